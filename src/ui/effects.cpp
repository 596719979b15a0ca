#include "ui/effects.h"

#include "ui/recently_used.h"

#include <QHash>
#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace ui {
namespace {

// An extended box filter: weight 1 on taps -reach...reach and `edge` (0 <= edge < 1) on the
// two taps just beyond, so its variance, unlike a plain box's, can match any Gaussian's.
// Three passes of it come close to the Gaussian (Gwosdek et al., "Theoretical Foundations of
// Gaussian Convolution by Extended Box Filtering", 2011).
struct Box {
    int reach = 0;
    double edge = 0;
};

constexpr int passes = 3;

Box boxFor(double sigma)
{
    const double variance = sigma * sigma / passes;
    // A plain box over -r...r has variance r (r + 1) / 3; take the widest that stays below.
    const int reach = int(std::floor((std::sqrt(1 + 12 * variance) - 1) / 2));
    const double taps = 2.0 * reach + 1;
    const double squares = reach * (reach + 1.0) * taps / 3; // sum of k² over -r...r
    const double outer = (reach + 1.0) * (reach + 1.0);
    const double edge = (variance * taps - squares) / (2 * (outer - variance));
    return {reach, std::clamp(edge, 0.0, 1.0)};
}

// Premultiplied alpha, red, green and blue as one vector, so that a pass moves all four at once:
// the panel paints in two thirds of the time it takes with four plain floats (view_bench).
// Shadows blur their alpha alone, as plain floats, and take their colour afterwards.
using Pixel = float __attribute__((vector_size(16)));

// One pass along a line whose first and last reach + 1 pixels are zero guards. The column pass
// below, one pixel wide, would do the same sums, but takes the blur half as long again.
template <class Pixel>
void boxPass(const Pixel* in, Pixel* out, int count, const Box& box)
{
    const int r = box.reach;
    const double total = 2 * r + 1 + 2 * box.edge;
    const float inner = float(1 / total), edge = float(box.edge / total);
    Pixel sum{};
    for (int k = 1; k <= 2 * r + 1; ++k)
        sum += in[k];
    std::fill(out, out + r + 1, Pixel{});
    std::fill(out + count - r - 1, out + count, Pixel{});
    for (int x = r + 1; x < count - r - 1; ++x) {
        out[x] = sum * inner + (in[x - r - 1] + in[x + r + 1]) * edge;
        sum += in[x + r + 1] - in[x - r];
    }
}

// The same pass down every column at once, a row at a time, so that it runs along memory as the
// rows' passes do: a running sum per column.
template <class Pixel>
void columnPass(const Pixel* in, Pixel* out, int width, int count, const Box& box, std::vector<Pixel>& sums)
{
    const int r = box.reach;
    const double total = 2 * r + 1 + 2 * box.edge;
    const float inner = float(1 / total), edge = float(box.edge / total);
    const auto row = [width](auto* plane, int y) { return plane + ptrdiff_t(y) * width; };
    std::fill(sums.begin(), sums.end(), Pixel{});
    for (int k = 1; k <= 2 * r + 1; ++k) {
        const Pixel* line = row(in, k);
        for (int x = 0; x < width; ++x)
            sums[size_t(x)] += line[x];
    }
    std::fill(row(out, 0), row(out, r + 1), Pixel{});
    std::fill(row(out, count - r - 1), row(out, count), Pixel{});
    for (int y = r + 1; y < count - r - 1; ++y) {
        const Pixel *before = row(in, y - r - 1), *after = row(in, y + r + 1), *leaving = row(in, y - r);
        Pixel* line = row(out, y);
        for (int x = 0; x < width; ++x) {
            line[x] = sums[size_t(x)] * inner + (before[x] + after[x]) * edge;
            sums[size_t(x)] += after[x] - leaving[x];
        }
    }
}

// A plane of pixels with a transparent border as wide as a pass reads past a line's ends.
template <class Pixel>
struct Plane {
    int width = 0, height = 0, pad = 0;
    std::vector<Pixel> pixels;
    Pixel* row(int y) { return pixels.data() + ptrdiff_t(y + pad) * (width + 2 * pad) + pad; }
};

// Blurs the plane in place: every row along x, then every column along y.
template <class Pixel>
void blurPlane(Plane<Pixel>& plane, const Box& box)
{
    const int paddedWidth = plane.width + 2 * plane.pad, paddedHeight = plane.height + 2 * plane.pad;
    std::vector<Pixel> line(static_cast<size_t>(paddedWidth));
    for (int y = 0; y < plane.height; ++y) {
        Pixel* row = plane.row(y) - plane.pad;
        boxPass(row, line.data(), paddedWidth, box);
        boxPass(line.data(), row, paddedWidth, box);
        boxPass(row, line.data(), paddedWidth, box);
        std::copy(line.begin(), line.end(), row);
    }
    std::vector<Pixel> other(plane.pixels.size()), sums(static_cast<size_t>(paddedWidth));
    columnPass(plane.pixels.data(), other.data(), paddedWidth, paddedHeight, box, sums);
    columnPass(other.data(), plane.pixels.data(), paddedWidth, paddedHeight, box, sums);
    columnPass(plane.pixels.data(), other.data(), paddedWidth, paddedHeight, box, sums);
    plane.pixels.swap(other);
}

using Ints = int __attribute__((vector_size(16)));

inline QRgb packed(Pixel p)
{
    Ints value = __builtin_convertvector(p + 0.5f, Ints);
    const int alpha = std::clamp(value[0], 0, 255);
    // Rounding may lift a colour a step above its alpha, which premultiplied forbids.
    const Ints ceiling = {alpha, alpha, alpha, alpha};
    value = value < 0 ? Ints{} : value;
    value = value > ceiling ? ceiling : value;
    return QRgb(alpha) << 24 | QRgb(value[1]) << 16 | QRgb(value[2]) << 8 | QRgb(value[3]);
}

Pixel unpacked(QRgb p)
{
    return Pixel{float(qAlpha(p)), float(qRed(p)), float(qGreen(p)), float(qBlue(p))};
}

// Blurs a premultiplied ARGB32 image in place by a box filter passed three times: all four
// channels, or with `tint` the alpha alone, which then gives the tint its opacity. The image's
// transparent margin must hold the ink the passes spread, as the layers below do: the plane
// around it only guards the passes' reads, a third as wide, which takes a quarter off a blur.
void blurImage(QImage& image, const Box& box, std::optional<QColor> tint)
{
    const int width = image.width(), height = image.height();
    const auto blurred = [&](auto unpack, auto pack) {
        using P = decltype(unpack(QRgb()));
        Plane<P> plane{width, height, box.reach + 1, {}};
        plane.pixels.resize(size_t(width + 2 * plane.pad) * size_t(height + 2 * plane.pad));
        for (int y = 0; y < height; ++y) {
            const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            std::transform(row, row + width, plane.row(y), unpack);
        }
        blurPlane(plane, box);
        for (int y = 0; y < height; ++y)
            std::transform(plane.row(y), plane.row(y) + width, reinterpret_cast<QRgb*>(image.scanLine(y)), pack);
    };
    if (!tint) {
        blurred(unpacked, packed);
        return;
    }
    // The tint premultiplied, per unit of alpha.
    const QColor colour = tint->toRgb();
    const float opacity = float(colour.alphaF());
    const Pixel ink = Pixel{255, float(colour.red()), float(colour.green()), float(colour.blue())} * (opacity / 255);
    blurred([](QRgb p) { return float(qAlpha(p)); }, [ink](float alpha) { return packed(ink * alpha); });
}

// The blurred layer, from the last few blurs when one had the same content: while a view moves,
// the effects around it that stood still do not blur again. Kept per thread, as painting is.
QImage blurredLayer(QImage layer, const Box& box, std::optional<QColor> tint)
{
    struct Blurred {
        std::size_t key; // a quick first test
        QImage content;
        int reach;
        double edge;
        std::optional<QRgb> tint;
        QImage blurred;
    };
    thread_local std::vector<Blurred> recent;
    const std::optional<QRgb> colour = tint ? std::optional(tint->rgba()) : std::nullopt;
    const std::size_t key = qHashBits(layer.constBits(), size_t(layer.sizeInBytes()));
    const auto same = [&](const Blurred& b) {
        return b.key == key && b.reach == box.reach && b.edge == box.edge && b.tint == colour && b.content == layer;
    };
    return recentlyUsed(recent, 8, same, [&] {
        QImage blurred = layer;
        blurImage(blurred, box, tint);
        return Blurred{key, layer, box.reach, box.edge, colour, std::move(blurred)};
    }).blurred;
}

// The content's ink, blurred by `radius` and tinted with `tint` when one is given, drawn
// `offset` away from the content.
void drawSoftened(QPainter& painter, const QRectF& contentBounds, double radius, QPointF offset,
                  std::optional<QColor> tint, const std::function<void(QPainter&)>& drawContent)
{
    const QTransform toDevice = painter.deviceTransform();
    const double scale = std::sqrt(std::abs(toDevice.determinant()));
    const QRect deviceRect = toDevice.mapRect(contentBounds).toAlignedRect();
    if (deviceRect.isEmpty() || !(radius > 0))
        return;
    // A wide blur leaves no detail finer than a few pixels, so it runs at a half or a quarter of
    // the device's resolution: the content is drawn that much smaller, which averages it over
    // f x f blocks, blurred there, and drawn back enlarged with linear filtering. The blur takes
    // what is left of the variance once the averaging ((f² - 1) / 12) and the filling back in
    // (f² / 6) have taken their share.
    const double sigma = radius * scale;
    const int f = sigma >= 8 ? 4 : sigma >= 4 ? 2 : 1;
    const double variance = sigma * sigma - (f == 1 ? 0 : (f * f - 1) / 12.0 + f * f / 6.0);
    const Box box = boxFor(std::sqrt(variance) / f); // in reduced pixels
    // As far as three passes of the box spread ink.
    const int margin = passes * (box.reach + (box.edge > 0 ? 1 : 0));
    QImage layer(QSize((deviceRect.width() + f - 1) / f, (deviceRect.height() + f - 1) / f) + QSize(2 * margin, 2 * margin),
                 QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    QPainter content(&layer);
    const QPointF deviceOffset = toDevice.map(offset) - toDevice.map(QPointF(0, 0));
    // Of the content, only what lies within the blur's reach of the part being repainted shows.
    if (painter.hasClipping()) {
        const int reach = (margin + 1) * f;
        const QRect near = toDevice.map(painter.clipRegion()).boundingRect().translated(-deviceOffset.toPoint())
                               .adjusted(-reach, -reach, reach, reach);
        if (!near.contains(deviceRect))
            content.setClipRect(QRectF(QPointF(near.topLeft() - deviceRect.topLeft()) / f + QPointF(margin, margin),
                                       QSizeF(near.size()) / f).toAlignedRect());
    }
    content.setRenderHints(painter.renderHints());
    content.setTransform(toDevice * QTransform::fromTranslate(-deviceRect.x(), -deviceRect.y())
                         * QTransform::fromScale(1.0 / f, 1.0 / f) * QTransform::fromTranslate(margin, margin));
    drawContent(content);
    content.end();
    layer = blurredLayer(std::move(layer), box, tint);

    const QRectF target(QPointF(deviceRect.topLeft()) - QPointF(margin, margin) * f + deviceOffset, QSizeF(layer.size()) * f);
    const qreal ratio = painter.device()->devicePixelRatio();
    painter.save();
    painter.resetTransform();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(target.topLeft() / ratio, target.size() / ratio), layer);
    painter.restore();
}

} // namespace

void drawShadow(QPainter& painter, const QRectF& contentBounds, const std::function<void(QPainter&)>& drawContent,
                const QColor& shadowColor, double radius, QPointF offset)
{
    drawSoftened(painter, contentBounds, radius, offset, shadowColor, drawContent);
}

void drawBlurred(QPainter& painter, const QRectF& contentBounds, double radius,
                 const std::function<void(QPainter&)>& drawContent)
{
    drawSoftened(painter, contentBounds, radius, {}, std::nullopt, drawContent);
}

} // namespace ui
