#pragma once

#include "ui/view.h"

namespace ui {

enum class Alignment { Leading, Center };

// Children one below another, `spacing` apart, aligned across.
View VStack(Alignment alignment, double spacing, std::vector<View> children);
inline View VStack(double spacing, std::vector<View> children)
{
    return VStack(Alignment::Center, spacing, std::move(children));
}
// Children side by side, `spacing` apart, centred across.
View HStack(double spacing, std::vector<View> children);

// Children over one another, later ones on top, each centred.
View ZStack(std::vector<View> children);

// Takes the room a stack has left, at least 8.
View Spacer();

// A hairline across a vertical stack.
View Divider();

} // namespace ui
