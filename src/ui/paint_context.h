#pragma once

#include "ui/color.h"
#include "ui/layout.h"

#include <QPainter>

namespace ui {

// What painting a laid-out tree needs: the painter (in points), the appearance and the
// environment's foreground colour, which modifiers may change for a subtree.
struct PaintContext {
    QPainter& painter;
    ColorScheme scheme = ColorScheme::Light;
    qreal devicePixelRatio = 1;
    std::optional<Color> foreground; // unset: primary
    double time = 0;                 // seconds on the host's animation clock

    Color foregroundOr(Color fallback) const { return foreground.value_or(fallback); }
};

void paintChildren(PaintContext& context, const LaidOut& laidOut);
void paintTree(PaintContext& context, const LaidOut& laidOut);

} // namespace ui
