#include "ui/shape.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace ui {
namespace {

constexpr double degrees = std::numbers::pi / 180;

// How far a continuous corner's easing reaches past a circular one: the corner spans
// (1 + smoothing) × radius along each edge, 1.528 × radius as in the common continuous corners.
constexpr double cornerSmoothing = 0.528;

// A circular arc of `sweep` radians as one cubic, from `start` leaving along unit `startTangent`
// to `end` arriving along unit `endTangent`.
void arcTo(QPainterPath& path, QPointF start, QPointF startTangent, QPointF end, QPointF endTangent, double radius,
           double sweep)
{
    const double handle = 4.0 / 3.0 * std::tan(sweep / 4) * radius;
    path.cubicTo(start + startTangent * handle, end - endTangent * handle, end);
}

void lineToIfApart(QPainterPath& path, QPointF to)
{
    const QPointF gap = to - path.currentPosition();
    if (std::abs(gap.x()) > 1e-9 || std::abs(gap.y()) > 1e-9)
        path.lineTo(to);
}

QPainterPath circlePath(const QRectF& bounds)
{
    const double radius = std::min(bounds.width(), bounds.height()) / 2;
    const QPointF centre = bounds.center();
    // Quarter by quarter clockwise on screen (y down) from 3 o'clock.
    const std::array<QPointF, 4> spokes{QPointF(1, 0), QPointF(0, 1), QPointF(-1, 0), QPointF(0, -1)};
    QPainterPath path(centre + spokes[0] * radius);
    for (size_t i = 0; i < spokes.size(); ++i) {
        const QPointF from = spokes[i], to = spokes[(i + 1) % spokes.size()];
        arcTo(path, centre + from * radius, to, centre + to * radius, -from, radius, std::numbers::pi / 2);
    }
    path.closeSubpath();
    return path;
}

// One continuous corner, after the construction popularised by Figma's "corner smoothing": a
// circular arc in the middle of the corner, shortened by the smoothing, and on each side a cubic
// that leaves the straight edge with zero curvature and meets the arc tangentially. In the
// corner's own frame (x along the incoming edge, y along the outgoing one, origin where the
// corner begins, `extent` = (1 + smoothing) × radius before the corner point):
//   the arc turns 90° × (1 − smoothing) around the diagonal, so each transition turns
//   45° × smoothing; a, b, c, d place the transition's control points so that its handles
//   split the remaining length 2 : 1, matching the extent exactly.
struct CornerGeometry {
    double radius = 0;
    double extent = 0;
};

CornerGeometry cornerGeometry(double requestedRadius, const QRectF& bounds)
{
    // A corner may take at most half of the shorter side. The radius is capped there first, then
    // the smoothing shrinks to fit, so a large radius eases into a capsule's plain half circles.
    const double budget = std::min(bounds.width(), bounds.height()) / 2;
    const double radius = std::clamp(requestedRadius, 0.0, budget);
    if (radius <= 0)
        return {};
    const double smoothing = std::clamp(budget / radius - 1, 0.0, cornerSmoothing);
    return {radius, (1 + smoothing) * radius};
}

void addCorner(QPainterPath& path, const CornerGeometry& corner, QPointF origin, QPointF along, QPointF across)
{
    const double radius = corner.radius;
    const double smoothing = corner.extent / radius - 1;
    const double arcSweep = std::numbers::pi / 2 * (1 - smoothing);
    const double transitionTurn = std::numbers::pi / 4 * smoothing;
    const double arcSpan = std::sin(arcSweep / 2) * radius * std::numbers::sqrt2;
    const double handle = radius * std::tan(transitionTurn / 2);
    const double c = handle * std::cos(transitionTurn);
    const double d = handle * std::sin(transitionTurn);
    const double b = (corner.extent - arcSpan - c - d) / 3;
    const double a = 2 * b;

    const auto at = [&](double x, double y) { return origin + along * x + across * y; };
    const QPointF arcStart = at(a + b + c, d);
    const QPointF arcEnd = at(a + b + c + arcSpan, d + arcSpan);
    // Without smoothing the transitions would be points; leave them out for the stroker's sake.
    const bool eased = smoothing > 1e-6;
    if (eased)
        path.cubicTo(at(a, 0), at(a + b, 0), arcStart);
    const QPointF startTangent = along * std::cos(transitionTurn) + across * std::sin(transitionTurn);
    const QPointF endTangent = along * std::sin(transitionTurn) + across * std::cos(transitionTurn);
    arcTo(path, arcStart, startTangent, arcEnd, endTangent, radius, arcSweep);
    const double x = a + b + c + arcSpan + d;
    const double y = d + arcSpan;
    if (eased)
        path.cubicTo(at(x, y + c), at(x, y + b + c), at(x, y + a + b + c));
}

QPainterPath roundedRectanglePath(const QRectF& r, double requestedRadius)
{
    const CornerGeometry corner = cornerGeometry(requestedRadius, r);
    const double e = corner.extent;
    QPainterPath path(QPointF(r.left() + e, r.top()));
    // Clockwise on screen: each corner's frame runs along the edge arriving at it, then across.
    const std::array<std::array<QPointF, 3>, 4> corners{{
        {QPointF(r.right() - e, r.top()), QPointF(1, 0), QPointF(0, 1)},
        {QPointF(r.right(), r.bottom() - e), QPointF(0, 1), QPointF(-1, 0)},
        {QPointF(r.left() + e, r.bottom()), QPointF(-1, 0), QPointF(0, -1)},
        {QPointF(r.left(), r.top() + e), QPointF(0, -1), QPointF(1, 0)},
    }};
    for (const auto& [origin, along, across] : corners) {
        lineToIfApart(path, origin);
        if (corner.radius > 0)
            addCorner(path, corner, origin, along, across);
    }
    path.closeSubpath();
    return path;
}

} // namespace

QPainterPath shapePath(const Shape& shape, const QRectF& bounds)
{
    if (!(bounds.width() > 0 && bounds.height() > 0))
        return {};
    switch (shape.kind) {
    case ShapeKind::Circle: return circlePath(bounds);
    case ShapeKind::Capsule: return roundedRectanglePath(bounds, std::min(bounds.width(), bounds.height()) / 2);
    case ShapeKind::RoundedRectangle: return roundedRectanglePath(bounds, shape.cornerRadius);
    }
    return {};
}

QPainterPath circleArc(const QRectF& bounds, double from, double to)
{
    from = std::clamp(from, 0.0, 1.0);
    to = std::clamp(to, 0.0, 1.0);
    if (!(from < to) || !(bounds.width() > 0 && bounds.height() > 0))
        return {};
    const double diameter = std::min(bounds.width(), bounds.height());
    QRectF square(0, 0, diameter, diameter);
    square.moveCenter(bounds.center());
    // Qt's angles turn anticlockwise on screen; ours run clockwise from 3 o'clock.
    QPainterPath arc;
    arc.arcMoveTo(square, -360 * from);
    arc.arcTo(square, -360 * from, -360 * (to - from));
    return arc;
}

QBrush brushFor(const Paint& paint, const QRectF& bounds, ColorScheme scheme)
{
    if (const Color* colour = std::get_if<Color>(&paint))
        return QBrush(colour->resolve(scheme));
    const LinearGradient& gradient = std::get<LinearGradient>(paint);
    if (gradient.stops.empty())
        return {};
    if (gradient.stops.size() == 1)
        return QBrush(gradient.stops.front().resolve(scheme));
    QLinearGradient linear(bounds.topLeft(), bounds.bottomRight());
    const double last = double(gradient.stops.size() - 1);
    for (size_t i = 0; i < gradient.stops.size(); ++i)
        linear.setColorAt(double(i) / last, gradient.stops[i].resolve(scheme));
    return QBrush(linear);
}

void fillShape(QPainter& painter, const Shape& shape, const QRectF& bounds, const Paint& paint, ColorScheme scheme)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(brushFor(paint, bounds, scheme));
    painter.drawPath(shapePath(shape, bounds));
    painter.restore();
}

void strokeShape(QPainter& painter, const Shape& shape, const QRectF& bounds, const Paint& paint, const StrokeStyle& style,
                 ColorScheme scheme, double trimFrom, double trimTo)
{
    const bool whole = trimFrom <= 0 && trimTo >= 1;
    const QPainterPath path = whole ? shapePath(shape, bounds) : circleArc(bounds, trimFrom, trimTo);
    if (path.isEmpty() || !(style.lineWidth > 0))
        return;
    QPen pen(brushFor(paint, bounds, scheme), style.lineWidth, Qt::SolidLine, style.cap, style.join);
    // Qt measures the miter from the join point, half of the inner-to-outer length.
    pen.setMiterLimit(style.miterLimit / 2);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    painter.restore();
}

} // namespace ui
