#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRectF>

#include <functional>

class QPainter;

namespace ui {

// A blur's radius is the Gaussian's standard deviation, as the panel's look is drawn.

// How many pixels of transparent margin an image needs on every side so that blurring it by
// `radius` pixels loses no ink: the blur reaches no further than that.
int blurMargin(double radius);

// A Gaussian blur of `radius` pixels (approximated by three extended box blurs, exact in its
// variance for any radius). Pixels beyond the edges count as transparent, so ink fades out
// there. Returns a premultiplied ARGB32 image of the same size and device pixel ratio.
QImage gaussianBlur(const QImage& premultipliedArgb, double radius);

// The effects below render `drawContent` into an offscreen layer in device pixels, with the
// painter's transform, so their radius and offset are in the painter's units (points) whatever
// the device pixel ratio. `contentBounds`, in the painter's units, must hold all the content's
// ink. The result is drawn with the painter's opacity, clip and composition mode.

// Draws the content over a shadow: the content's alpha tinted with `shadowColor`, blurred by
// `radius` and moved by `offset`.
void drawWithShadow(QPainter& painter, const QRectF& contentBounds, const std::function<void(QPainter&)>& drawContent,
                    const QColor& shadowColor, double radius, QPointF offset);

// Draws the content blurred by `radius`.
void drawBlurred(QPainter& painter, const QRectF& contentBounds, double radius,
                 const std::function<void(QPainter&)>& drawContent);

} // namespace ui
