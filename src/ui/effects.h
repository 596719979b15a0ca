#pragma once

#include <QColor>
#include <QPointF>
#include <QRectF>

#include <functional>

class QPainter;

namespace ui {

// A blur's radius is the Gaussian's standard deviation, as the panel's look is drawn.

// The effects below render `drawContent` offscreen with the painter's transform, aligned to the
// device's pixels, so their radius and offset are in the painter's units (points) whatever the
// device pixel ratio. `contentBounds`, in the painter's units, must hold all the content's ink.
// The result is drawn with the painter's opacity, clip and composition mode.

// Draws the shadow the content casts: its alpha tinted with `shadowColor`, blurred by `radius`
// and moved by `offset`. The content itself is the caller's to draw, over it.
void drawShadow(QPainter& painter, const QRectF& contentBounds, const std::function<void(QPainter&)>& drawContent,
                const QColor& shadowColor, double radius, QPointF offset);

// Draws the content blurred by `radius`.
void drawBlurred(QPainter& painter, const QRectF& contentBounds, double radius,
                 const std::function<void(QPainter&)>& drawContent);

} // namespace ui
