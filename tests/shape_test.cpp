#include "ui/effects.h"
#include "ui/shape.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

using namespace ui;

QImage canvas(int width, int height, qreal ratio = 1)
{
    QImage image(QSize(width, height) * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    return image;
}

int alphaAt(const QImage& image, int x, int y)
{
    return qAlpha(image.pixel(x, y));
}

// A point on a circle, clockwise on screen from 3 o'clock.
QPoint onCircle(QPointF centre, double radius, double degrees)
{
    const double angle = degrees * std::numbers::pi / 180;
    return (centre + QPointF(std::cos(angle), std::sin(angle)) * radius).toPoint();
}

TEST(ShapePath, CircleIsInscribedStartsAtThreeOClockAndIsStrokedOnItsOutline)
{
    const QPainterPath wide = shapePath(Shape::circle(), QRectF(0, 0, 200, 100));
    EXPECT_EQ(wide.boundingRect(), QRectF(50, 0, 100, 100));
    EXPECT_EQ(wide.elementAt(0), QPointF(150, 50));

    QImage image = canvas(100, 100);
    QPainter painter(&image);
    strokeShape(painter, Shape::circle(), QRectF(7, 7, 86, 86), Color::black(), {.lineWidth = 8}, ColorScheme::Light);
    painter.end();
    const QPointF centre(50, 50);
    for (double degrees = 0; degrees < 360; degrees += 30) {
        for (double radius : {40.5, 43.0, 45.5})
            EXPECT_GT(alphaAt(image, onCircle(centre, radius, degrees).x(), onCircle(centre, radius, degrees).y()), 200);
        for (double radius : {36.0, 49.5})
            EXPECT_EQ(alphaAt(image, onCircle(centre, radius, degrees).x(), onCircle(centre, radius, degrees).y()), 0);
    }
    EXPECT_EQ(alphaAt(image, 50, 50), 0);
}

TEST(ShapePath, ContinuousCornersEaseInsideACircularCornerAndLargeRadiiBecomeACapsule)
{
    const QRectF bounds(0, 0, 400, 300);
    QImage continuous = canvas(400, 300), circular = canvas(400, 300);
    QPainter painter(&continuous);
    fillShape(painter, Shape::roundedRectangle(100), bounds, Color::black(), ColorScheme::Light);
    painter.end();
    QPainterPath reference;
    reference.addRoundedRect(bounds, 100, 100);
    painter.begin(&circular);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(reference, Qt::black);
    painter.end();
    // Where the circular arc meets the top edge, the continuous corner is still easing in.
    EXPECT_GT(alphaAt(circular, 100, 0), 200);
    EXPECT_LT(alphaAt(continuous, 100, 0), 100);
    for (QPoint middle : {QPoint(200, 0), QPoint(399, 150), QPoint(200, 299), QPoint(0, 150)})
        EXPECT_GT(alphaAt(continuous, middle.x(), middle.y()), 200) << middle.x() << "," << middle.y();

    const QRectF bar(10, 10, 200, 100);
    for (double radius = 0; radius <= 60; radius += 5)
        EXPECT_EQ(shapePath(Shape::roundedRectangle(radius), bar).boundingRect(), bar) << radius;
    EXPECT_EQ(shapePath(Shape::roundedRectangle(500), bar), shapePath(Shape::capsule(), bar));
}

TEST(CircleArc, RunsClockwiseFromThreeOClockAsFarAsItsFraction)
{
    const QPainterPath quarter = circleArc(QRectF(0, 0, 86, 86), 0, 0.25);
    EXPECT_NEAR(quarter.elementAt(0).x, 86, 1e-6);
    EXPECT_NEAR(quarter.currentPosition().x(), 43, 1e-6);
    EXPECT_NEAR(quarter.currentPosition().y(), 86, 1e-6);
    EXPECT_TRUE(circleArc(QRectF(0, 0, 86, 86), 0.6, 0.6).isEmpty());
    EXPECT_TRUE(circleArc(QRectF(0, 0, 86, 86), 0.7, 0.2).isEmpty());

    // A ring's first quarter, turned to start at 12 o'clock, covers 12 to 3 o'clock only.
    QImage image = canvas(100, 100);
    QPainter painter(&image);
    painter.translate(50, 50);
    painter.rotate(-90);
    painter.translate(-50, -50);
    strokeShape(painter, Shape::circle(), QRectF(7, 7, 86, 86), Color::black(), {.lineWidth = 8}, ColorScheme::Light, 0, 0.25);
    painter.end();
    EXPECT_GT(alphaAt(image, onCircle({50, 50}, 43, -45).x(), onCircle({50, 50}, 43, -45).y()), 200);
    for (double degrees : {-100.0, 10.0, 135.0})
        EXPECT_EQ(alphaAt(image, onCircle({50, 50}, 43, degrees).x(), onCircle({50, 50}, 43, degrees).y()), 0) << degrees;
}

TEST(BrushFor, ResolvesColoursAndSpreadsAGradientAcrossTheBounds)
{
    EXPECT_EQ(brushFor(Color::primary(), {}, ColorScheme::Dark).color(), QColor(Qt::white));

    const LinearGradient gradient{Color::red(), Color::blue()};
    QImage image = canvas(100, 10);
    QPainter painter(&image);
    fillShape(painter, Shape::roundedRectangle(0), QRectF(0, 0, 100, 10), gradient, ColorScheme::Light);
    painter.end();
    EXPECT_GT(image.pixelColor(0, 0).red(), 250);
    EXPECT_GT(image.pixelColor(99, 9).blue(), 250);
    EXPECT_LT(image.pixelColor(99, 9).red(), 5);
}

// The content blurred by `radius` onto a clear canvas at scale 1.
QImage blurred(int width, int height, QRect ink, QColor colour, double radius)
{
    QImage image = canvas(width, height);
    QPainter painter(&image);
    drawBlurred(painter, ink, radius, [&](QPainter& p) { p.fillRect(ink, colour); });
    return image;
}

TEST(Blur, KeepsTheInkItsAmountAndItsPlaceAtEveryResolution)
{
    // 3 is blurred at full resolution, 5 at half and 9 at a quarter.
    for (const double radius : {3.0, 5.0, 9.0}) {
        const QRect square(60, 60, 40, 40);
        QImage original = canvas(160, 160);
        QPainter(&original).fillRect(square, QColor(255, 128, 0));
        const QImage image = blurred(160, 160, square, QColor(255, 128, 0), radius);
        EXPECT_NEAR(alphaAt(image, 80, 80), 255, radius > 5 ? 12 : 1) << radius;
        EXPECT_GT(alphaAt(image, 58, 80), 20) << radius;
        EXPECT_LT(alphaAt(image, 58, 80), 128) << radius;
        EXPECT_EQ(alphaAt(image, 2, 80), 0) << radius;
        // Even about the square: nothing shifts the ink.
        EXPECT_NEAR(alphaAt(image, 50, 80), alphaAt(image, 109, 80), 1) << radius;
        EXPECT_NEAR(alphaAt(image, 80, 50), alphaAt(image, 80, 109), 1) << radius;

        double before = 0, after = 0;
        for (int y = 0; y < 160; ++y)
            for (int x = 0; x < 160; ++x) {
                before += alphaAt(original, x, y);
                after += alphaAt(image, x, y);
                EXPECT_LE(qRed(image.pixel(x, y)), alphaAt(image, x, y));
            }
        // Within what rounding the faint edge to whole steps loses.
        EXPECT_NEAR(after, before, before * 0.02) << radius;
    }
}

TEST(Blur, StandardDeviationIsTheRadius)
{
    // Across an edge the blur follows the Gaussian's integral, as wide as the radius.
    for (const double radius : {6.0, 10.0}) {
        const QImage image = blurred(300, 80, QRect(150, -40, 150, 160), Qt::black, radius);
        for (const double share : {0.5, 1.0, 1.5}) {
            const int distance = int(std::lround(share * radius));
            const double expected = 255 * 0.5 * std::erfc((distance - 0.5) / (radius * std::numbers::sqrt2));
            EXPECT_NEAR(alphaAt(image, 150 - distance, 40), expected, 4) << radius << " " << distance;
            EXPECT_NEAR(alphaAt(image, 149 + distance, 40), 255 - expected, 4) << radius << " " << distance;
        }
    }
}

TEST(Effects, ShadowAndBlurKeepTheirSizeInPointsAtAnyScale)
{
    const auto paint = [](qreal ratio) {
        QImage image = canvas(120, 120, ratio);
        QPainter painter(&image);
        painter.translate(10, 0);
        const QRectF card(30, 30, 40, 40);
        const auto drawCard = [&](QPainter& p) { p.fillRect(card, Qt::white); };
        drawShadow(painter, card, drawCard, QColor(0, 0, 0, 200), 4, QPointF(0, 20));
        drawCard(painter);
        return image;
    };
    for (qreal ratio : {1.0, 2.0}) {
        const QImage image = paint(ratio);
        const auto at = [&](int x, int y) { return image.pixelColor(QPoint(x, y) * ratio); };
        EXPECT_EQ(at(60, 50), QColor(Qt::white)) << ratio;
        EXPECT_EQ(at(60, 85).red(), 0) << ratio;
        EXPECT_GT(at(60, 85).alpha(), 150) << ratio;
        EXPECT_EQ(at(60, 25).alpha(), 0) << ratio;
        EXPECT_NEAR(at(60, 91).alpha(), paint(1).pixelColor(60, 91).alpha(), 12) << ratio;
    }

    QImage image = canvas(100, 100, 2);
    QPainter painter(&image);
    drawBlurred(painter, QRectF(30, 30, 40, 40), 4, [](QPainter& p) { p.fillRect(QRectF(30, 30, 40, 40), Qt::blue); });
    painter.end();
    EXPECT_EQ(image.pixelColor(100, 100), QColor(Qt::blue));
    EXPECT_GT(image.pixelColor(2 * 28, 100).alpha(), 0);
    EXPECT_LT(image.pixelColor(2 * 31, 100).alpha(), 255);
}

} // namespace
