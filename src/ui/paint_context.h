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

// Where a laid-out view may leave ink: strokes, shadows and glows reach past the frames.
inline QRectF inkBounds(const LaidOut& laidOut)
{
    constexpr double reach = 16;
    return laidOut.extent.adjusted(-reach, -reach, reach, reach);
}

void paintChildren(PaintContext& context, const LaidOut& laidOut);
void paintTree(PaintContext& context, const LaidOut& laidOut);

} // namespace ui
