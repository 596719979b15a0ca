#pragma once

#include "ui/view.h"

#include <optional>

namespace ui {

enum class Alignment { Leading, Center };

// Children side by side along an axis, `spacing` apart (absent: the default of 8), aligned on
// the other axis.
View VStack(Alignment alignment, std::optional<double> spacing, std::vector<View> children);
View HStack(Alignment alignment, std::optional<double> spacing, std::vector<View> children);
inline View VStack(double spacing, std::vector<View> children)
{
    return VStack(Alignment::Center, spacing, std::move(children));
}
inline View HStack(double spacing, std::vector<View> children)
{
    return HStack(Alignment::Center, spacing, std::move(children));
}

// Children over one another, later ones on top, each centred.
View ZStack(std::vector<View> children);

// Takes the room a stack has left, at least `minLength`.
View Spacer(double minLength = 8);

// A hairline across a vertical stack.
View Divider();

inline constexpr double defaultSpacing = 8;

} // namespace ui
