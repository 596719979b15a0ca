#include "ui/shape.h"

#include "ui/recently_used.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPathStroker>
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

struct Cubic {
    QPointF p0, p1, p2, p3;
};

// A circular arc of `sweep` radians as one cubic, from `start` leaving along unit `startTangent`
// to `end` arriving along unit `endTangent`.
Cubic arc(QPointF start, QPointF startTangent, QPointF end, QPointF endTangent, double radius, double sweep)
{
    const double handle = 4.0 / 3.0 * std::tan(sweep / 4) * radius;
    return {start, start + startTangent * handle, end - endTangent * handle, end};
}

void cubicTo(QPainterPath& path, const Cubic& cubic)
{
    path.cubicTo(cubic.p1, cubic.p2, cubic.p3);
}

// The inscribed circle quarter by quarter, clockwise on screen (y down) from 3 o'clock.
std::array<Cubic, 4> circleQuarters(const QRectF& bounds)
{
    const double radius = std::min(bounds.width(), bounds.height()) / 2;
    const QPointF centre = bounds.center();
    const std::array<QPointF, 4> spokes{QPointF(1, 0), QPointF(0, 1), QPointF(-1, 0), QPointF(0, -1)};
    std::array<Cubic, 4> quarters;
    for (size_t i = 0; i < spokes.size(); ++i) {
        const QPointF from = spokes[i], to = spokes[(i + 1) % spokes.size()];
        quarters[i] = arc(centre + from * radius, to, centre + to * radius, -from, radius, std::numbers::pi / 2);
    }
    return quarters;
}

QPainterPath circlePath(const QRectF& bounds)
{
    const std::array<Cubic, 4> quarters = circleQuarters(bounds);
    QPainterPath path(quarters[0].p0);
    for (const Cubic& quarter : quarters)
        cubicTo(path, quarter);
    path.closeSubpath();
    return path;
}

QPointF pointAt(const Cubic& c, double t)
{
    const double u = 1 - t;
    return u * u * u * c.p0 + 3 * u * u * t * c.p1 + 3 * u * t * t * c.p2 + t * t * t * c.p3;
}

// de Casteljau: the exact part of `c` between parameters t0 < t1.
Cubic subCubic(const Cubic& c, double t0, double t1)
{
    const auto head = [](const Cubic& whole, double t) {
        const QPointF a = whole.p0 + (whole.p1 - whole.p0) * t;
        const QPointF b = whole.p1 + (whole.p2 - whole.p1) * t;
        const QPointF e = whole.p2 + (whole.p3 - whole.p2) * t;
        const QPointF ab = a + (b - a) * t, be = b + (e - b) * t;
        return Cubic{whole.p0, a, ab, ab + (be - ab) * t};
    };
    const Cubic left = head(c, t1);
    if (!(t1 > 0))
        return left;
    const Cubic reversed = head({left.p3, left.p2, left.p1, left.p0}, 1 - t0 / t1);
    return {reversed.p3, reversed.p2, reversed.p1, reversed.p0};
}

// Fine enough that lengths along a quarter circle are off by about 1e-4 of themselves.
constexpr int lengthSteps = 32;

// lengths[i]: the length of `c` up to parameter i / lengthSteps.
std::array<double, lengthSteps + 1> lengthTable(const Cubic& c)
{
    std::array<double, lengthSteps + 1> lengths{0.0};
    QPointF previous = c.p0;
    for (int i = 1; i <= lengthSteps; ++i) {
        const QPointF point = pointAt(c, double(i) / lengthSteps);
        lengths[i] = lengths[i - 1] + std::hypot(point.x() - previous.x(), point.y() - previous.y());
        previous = point;
    }
    return lengths;
}

double parameterAt(const std::array<double, lengthSteps + 1>& lengths, double length)
{
    const auto upper = std::upper_bound(lengths.begin(), lengths.end(), length);
    if (upper == lengths.end())
        return 1;
    const size_t i = size_t(upper - lengths.begin()) - 1;
    const double step = lengths[i + 1] - lengths[i];
    const double within = step > 0 ? (length - lengths[i]) / step : 0;
    return (double(i) + within) / lengthSteps;
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
    cubicTo(path, arc(arcStart, startTangent, arcEnd, endTangent, radius, arcSweep));
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
        // A straight edge, unless the corners took all of it.
        if (const QPointF gap = origin - path.currentPosition(); std::abs(gap.x()) > 1e-9 || std::abs(gap.y()) > 1e-9)
            path.lineTo(origin);
        if (corner.radius > 0)
            addCorner(path, corner, origin, along, across);
    }
    path.closeSubpath();
    return path;
}

// The outline a stroke fills, remembered for the last few strokes: a ring is stroked again at
// every frame of anything that moves over it, and outlining its curves is most of the cost.
QPainterPath strokeOutline(const Shape& shape, const QRectF& bounds, const StrokeStyle& style, double trimFrom,
                           double trimTo)
{
    struct Outline {
        Shape shape;
        QRectF bounds;
        StrokeStyle style;
        double from, to;
        QPainterPath path;
    };
    thread_local std::vector<Outline> recent;
    const auto same = [&](const Outline& o) {
        return o.shape == shape && o.bounds == bounds && o.style == style && o.from == trimFrom && o.to == trimTo;
    };
    return recentlyUsed(recent, 16, same, [&] {
        const bool whole = trimFrom <= 0 && trimTo >= 1;
        const QPainterPath path = whole ? shapePath(shape, bounds) : circleArc(bounds, trimFrom, trimTo);
        QPainterPathStroker stroker;
        stroker.setWidth(style.lineWidth);
        stroker.setCapStyle(style.cap);
        stroker.setJoinStyle(Qt::MiterJoin);
        // Miters up to ten line widths across the join, as in SVG; Qt measures from the join point.
        stroker.setMiterLimit(5);
        return Outline{shape, bounds, style, trimFrom, trimTo, path.isEmpty() ? QPainterPath() : stroker.createStroke(path)};
    }).path;
}

// Fills a thick stroke's outline through its pixels, kept for the last few strokes at each place
// on the device: a frame that repaints part of a ring copies that part instead of rasterizing
// the whole ring again.
void fillOutline(QPainter& painter, const QPainterPath& outline, const QBrush& brush)
{
    struct Pixels {
        QPainterPath outline;
        QBrush brush;
        QTransform device;
        QImage image;
        QPoint at;
    };
    thread_local std::vector<Pixels> recent;
    const QTransform device = painter.deviceTransform();
    const auto same = [&](const Pixels& p) { return p.device == device && p.outline == outline && p.brush == brush; };
    const Pixels& stroke = recentlyUsed(recent, 8, same, [&] {
        const QRect area = device.map(outline).boundingRect().toAlignedRect();
        if (area.isEmpty())
            return Pixels{outline, brush, device, QImage(), QPoint()};
        // Whole device pixels away, so the stroke keeps its place within a pixel.
        QImage image(area.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter pixels(&image);
        pixels.setRenderHint(QPainter::Antialiasing);
        pixels.setTransform(device * QTransform::fromTranslate(-area.x(), -area.y()));
        pixels.fillPath(outline, brush);
        pixels.end();
        return Pixels{outline, brush, device, std::move(image), area.topLeft()};
    });
    if (stroke.image.isNull())
        return;
    const qreal ratio = painter.device()->devicePixelRatio();
    QImage image = stroke.image;
    image.setDevicePixelRatio(ratio);
    painter.save();
    painter.resetTransform();
    painter.drawImage(QPointF(stroke.at) / ratio, image);
    painter.restore();
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
    // Cut the very cubics a whole circle is drawn with at fractions of their measured length, so
    // that a trimmed ring lies exactly on the untrimmed one.
    const std::array<Cubic, 4> quarters = circleQuarters(bounds);
    std::array<std::array<double, lengthSteps + 1>, 4> lengths;
    double total = 0;
    for (size_t i = 0; i < quarters.size(); ++i) {
        lengths[i] = lengthTable(quarters[i]);
        total += lengths[i].back();
    }
    const double first = from * total, last = to * total;
    QPainterPath arc;
    double position = 0;
    for (size_t i = 0; i < quarters.size() && position < last; ++i) {
        const double start = position;
        position += lengths[i].back();
        const double low = std::max(first, start) - start, high = std::min(last, position) - start;
        if (!(low < high))
            continue;
        const Cubic piece = subCubic(quarters[i], parameterAt(lengths[i], low), parameterAt(lengths[i], high));
        if (arc.isEmpty())
            arc.moveTo(piece.p0);
        cubicTo(arc, piece);
    }
    return arc;
}

QBrush brushFor(const Paint& paint, const QRectF& bounds, ColorScheme scheme)
{
    if (const Color* colour = std::get_if<Color>(&paint))
        return QBrush(colour->resolve(scheme));
    const LinearGradient& gradient = std::get<LinearGradient>(paint);
    QLinearGradient linear(bounds.topLeft(), bounds.bottomRight());
    linear.setColorAt(0, gradient.start.resolve(scheme));
    linear.setColorAt(1, gradient.end.resolve(scheme));
    return QBrush(linear);
}

void fillShape(QPainter& painter, const Shape& shape, const QRectF& bounds, const Paint& paint, ColorScheme scheme)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(shapePath(shape, bounds), brushFor(paint, bounds, scheme));
    painter.restore();
}

void strokeShape(QPainter& painter, const Shape& shape, const QRectF& bounds, const Paint& paint,
                 const StrokeStyle& style, ColorScheme scheme, double trimFrom, double trimTo)
{
    if (!(style.lineWidth > 0))
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // Hairlines and thin lines Qt draws with a line rasterizer of its own, which outlines nothing.
    if (style.lineWidth <= 2) {
        const bool whole = trimFrom <= 0 && trimTo >= 1;
        QPen pen(brushFor(paint, bounds, scheme), style.lineWidth, Qt::SolidLine, style.cap, Qt::MiterJoin);
        pen.setMiterLimit(5);
        painter.strokePath(whole ? shapePath(shape, bounds) : circleArc(bounds, trimFrom, trimTo), pen);
    } else {
        fillOutline(painter, strokeOutline(shape, bounds, style, trimFrom, trimTo), brushFor(paint, bounds, scheme));
    }
    painter.restore();
}

} // namespace ui
