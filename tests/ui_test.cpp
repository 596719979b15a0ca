// The view layer: layout through the laid-out tree, text, view state, what is painted again after
// a change; shapes and effects through their pixels; timing curves, springs and animated values.
#include "ui/animation.h"
#include "ui/effects.h"
#include "ui/shape_view.h"
#include "ui/stacks.h"
#include "ui/text.h"
#include "ui/view_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

using namespace ui;

LaidOut laidOut(const View& view, QSizeF size = {300, 300})
{
    ViewHost host([view](ColorScheme) { return view; });
    host.update(size, ColorScheme::Light, 0);
    return host.laidOut();
}

View box(double width, double height)
{
    return View(RoundedRectangle(2).fill(Color::blue())).frame(width, height);
}

TEST(Layout, StacksSpacersAndModifiersPlaceTheirContent)
{
    const struct {
        const char* what;
        View view;
        std::vector<QRectF> frames;
        QSizeF size = {300, 300};
        std::string_view kind = "RoundedRectangle";
    } cases[] = {
        {"spaced and leading in order", VStack(Alignment::Leading, 10, {box(50, 20), box(30, 10)}),
         {{125, 130, 50, 20}, {125, 160, 30, 10}}},
        {"centred on the cross axis", HStack(4, {box(10, 40), box(10, 10)}), {{138, 130, 10, 40}, {152, 145, 10, 10}}},
        {"spacers share what the others leave", HStack(0, {box(40, 10), Spacer(), box(20, 10), Spacer(), box(40, 10)}),
         {{0, 20, 40, 10}, {140, 20, 20, 10}, {260, 20, 40, 10}}, {300, 50}},
        {"spacers add no cross length", HStack(0, {box(40, 10), Spacer(), box(40, 10)}), {{0, 20, 300, 10}}, {300, 50},
         "HStack"},
        // A shape that takes any width, first, and a fixed 200 share 300: an equal share would be 150.
        {"the least flexible child is served first", HStack(0, {Circle().fill(Color::red()), box(200, 20)}),
         {{0, 0, 100, 50}}, {300, 50}, "Circle"},
        {"padding grows the view, decorations take its size",
         box(40, 20).padding(edges::horizontal, 13).padding(edges::vertical, 6)
             .background(View(Capsule().fill(Color::gray()))).shadow(Color::black(), 5, 0, 3),
         {{117, 134, 66, 32}}, {300, 300}, "Capsule"},
        {"a fixed frame centres its content", box(50, 30).frame(86, 86), {{18, 28, 50, 30}}, {86, 86}},
        {"scale and rotation move no neighbour",
         HStack(5, {box(30, 30).scaleEffect(0.5).rotationEffect(45), box(30, 30)}),
         {{117.5, 135, 30, 30}, {152.5, 135, 30, 30}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const LaidOut tree = laidOut(c.view, c.size);
        std::vector<QRectF> frames;
        for (const LaidOut* node : findAll(tree, c.kind))
            frames.push_back(node->frame);
        EXPECT_EQ(frames, c.frames);
    }
}

TEST(Text, UnchangedTextIsSetOnceAndForgottenOnlyWhenUnseenForTwoFrames)
{
    TextRequest label;
    label.text = QStringLiteral("Cicli di Ricarica");
    measureText(label);
    const auto set = textsTypeset();
    // Asks for the text after `frames` new frames; returns how many texts were set so far.
    const auto after = [&](int frames) {
        for (int i = 0; i < frames; ++i)
            beginTextFrame();
        measureText(label);
        return textsTypeset() - set;
    };
    EXPECT_EQ(after(1), 0u) << "asked in every frame";
    EXPECT_EQ(after(2), 0u) << "unseen for one frame";
    EXPECT_EQ(after(3), 1u) << "unseen for two: forgotten";
}

TEST(Text, FixedVerticalSizeShowsBothLinesInFull)
{
    const std::string sentence = "Alimentazione da batteria.\nNessun alimentatore collegato.";
    const View text = Text(sentence).font({11}).lineLimit(2);
    const LaidOut tree = laidOut(text.fixedSize(false, true).frame(180, 8), {180, 8});
    const LaidOut& shown = *findAll(tree, "Text").front();
    EXPECT_EQ(shown.traits().label, sentence);
    EXPECT_GT(shown.frame.height(), 2 * 11) << "two lines of 11-point text";
}
// Repaints after a change reach only a few points past a text's frame: its glyphs must stay there.
TEST(Text, InksItsFrameAndNoMoreThanAFewPointsPastIt)
{
    const struct {
        std::string text;
        Font font;
    } cases[] = {
        {"72%", {20, FontWeight::Bold, FontDesign::Rounded}},
        {"Capacità Massima", {13, FontWeight::Medium}},
        {"Giulia's ThinkPad X1 Carbon Gen 9", {17, FontWeight::Bold, FontDesign::Rounded}},
        {"Alimentazione da batteria.\nNessun alimentatore collegato.", {11, FontWeight::Medium}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const View text = View(Text(c.text).font(c.font).lineLimit(2)).frame(120, 60);
        const QRectF frame = findAll(laidOut(text, {200, 100}), "Text").front()->frame;
        const QImage image = renderImage([&](ColorScheme) { return text; }, {200, 100}, 2, ColorScheme::Light);
        QRectF ink;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(image.pixel(x, y)) > 0)
                    ink |= QRectF(x / 2.0, y / 2.0, 0.5, 0.5);
        EXPECT_GT(ink.width(), frame.width() / 2) << "drawn";
        EXPECT_TRUE(frame.adjusted(-3, -3, 3, 3).contains(ink)) << ink.x() << "," << ink.y() << " " << ink.width()
                                                                  << "x" << ink.height();
    }
}

TEST(ViewState, SurvivesRendersAndIsDroppedWithItsPlace)
{
    bool shown = true;
    int renders = 0;
    ViewHost host([&](ColorScheme) {
        const auto count = [&](ResolveContext& context) { renders = ++context.state("renders", 0); return View(); };
        return shown ? Stateful("counter", count) : View();
    });
    std::vector<int> counted;
    for (const bool show : {true, true, false, true}) {
        shown = show;
        renders = 0;
        host.update({300, 300}, ColorScheme::Light, 0);
        counted.push_back(renders);
    }
    EXPECT_EQ(counted, (std::vector<int>{1, 2, 0, 1})) << "kept between renders; a new place starts afresh";
}

TEST(Changes, OnlyViewsThatDrawDifferentlyArePaintedAgain)
{
    // A row of two texts over a card with a shadow; the same body gives the same tree.
    std::string left = "72%";
    Color ink = Color::primary();
    double shadow = 0.1;
    ViewHost host([&](ColorScheme) {
        const View right = View(Text("Batteria").foregroundColor(ink)).frame(100, 40);
        return View(HStack(0, {View(Text(left)).frame(100, 40), right})
                        .background(RoundedRectangle(8).fill(Color::white())))
            .shadow(Color::black().opacity(shadow), 2, 0, 4)
            .padding(50);
    });
    const auto update = [&] {
        host.update({300, 140}, ColorScheme::Light, 0);
        return host.changedBounds();
    };
    EXPECT_TRUE(update().contains(QRectF(0, 0, 300, 140))) << "the first layout changes everything";
    EXPECT_TRUE(update().isEmpty());

    const auto text = [&](std::size_t i) { return findAll(host.laidOut(), "Text").at(i)->frame; };

    // A changed text: it and what the shadow spreads from it, not its neighbour.
    left = "73%";
    QRectF changed = update();
    EXPECT_TRUE(changed.contains(text(0)));
    EXPECT_FALSE(changed.intersects(text(1)));
    // Past the text's ink (16 beyond its frame), blurred by 8 and moved by 4.
    EXPECT_LE(changed.top(), text(0).top() - 16 - 8 - 4) << "the shadow spreads the change";

    ink = Color::red();
    changed = update();
    EXPECT_TRUE(changed.contains(text(1))) << "a colour is part of the look";
    EXPECT_FALSE(changed.intersects(text(0)));

    shadow = 0.2;
    EXPECT_TRUE(update().contains(QRectF(40, 40, 220, 60))) << "the shadow's own look: all of it";

    // A view that moves is painted where it was and where it is.
    double inset = 10;
    ViewHost moving([&](ColorScheme) { return View(Text("x")).padding(edges::leading, inset); });
    moving.update({300, 40}, ColorScheme::Light, 0);
    inset = 80;
    moving.update({300, 40}, ColorScheme::Light, 0);
    EXPECT_LT(moving.changedBounds().left(), 140);
    EXPECT_GT(moving.changedBounds().right(), 190);
}

// Paints with `draw` on a clear image of `width` by `height` points.
QImage painted(int width, int height, const std::function<void(QPainter&)>& draw, qreal ratio = 1)
{
    QImage image(QSize(width, height) * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    draw(painter);
    painter.end();
    return image;
}

TEST(Shapes, ACircleIsInscribedStartsAtThreeOClockAndIsStrokedAcrossItsOutline)
{
    const QPainterPath wide = shapePath(Shape::circle(), QRectF(0, 0, 200, 100));
    EXPECT_EQ(wide.boundingRect(), QRectF(50, 0, 100, 100));
    EXPECT_EQ(wide.elementAt(0), QPointF(150, 50));

    const QImage image = painted(100, 100, [](QPainter& p) {
        strokeShape(p, Shape::circle(), QRectF(7, 7, 86, 86), Color::black(), {.lineWidth = 8}, ColorScheme::Light);
    });
    // The ink `radius` from the centre, clockwise on screen from 3 o'clock.
    const auto alpha = [&](double radius, double degrees) {
        const double angle = degrees * std::numbers::pi / 180;
        return qAlpha(image.pixel((QPointF(50, 50) + QPointF(std::cos(angle), std::sin(angle)) * radius).toPoint()));
    };
    for (double degrees = 0; degrees < 360; degrees += 45) {
        SCOPED_TRACE(degrees);
        for (double radius : {40.5, 43.0, 45.5})
            EXPECT_GT(alpha(radius, degrees), 200) << radius;
        for (double radius : {36.0, 49.0})
            EXPECT_EQ(alpha(radius, degrees), 0) << radius;
    }
    // A trim that starts where it ends, or after, draws nothing.
    EXPECT_TRUE(circleArc(QRectF(0, 0, 86, 86), 0.6, 0.6).isEmpty());
    EXPECT_TRUE(circleArc(QRectF(0, 0, 86, 86), 0.7, 0.2).isEmpty());
}

TEST(Shapes, ContinuousCornersEaseInsideACircularCornerAndLargeRadiiBecomeACapsule)
{
    const QImage image = painted(400, 300, [](QPainter& p) {
        fillShape(p, Shape::roundedRectangle(100), QRectF(0, 0, 400, 300), Color::black(), ColorScheme::Light);
    });
    // Where a circular corner of 100 meets the top edge, the continuous one is still easing in.
    EXPECT_LT(qAlpha(image.pixel(100, 0)), 100);
    EXPECT_GT(qAlpha(image.pixel(100, 2)), 0) << "but close";

    const QRectF bar(10, 10, 200, 100);
    for (double radius = 0; radius <= 60; radius += 5)
        EXPECT_EQ(shapePath(Shape::roundedRectangle(radius), bar).boundingRect(), bar) << radius;
    EXPECT_EQ(shapePath(Shape::roundedRectangle(500), bar), shapePath(Shape::capsule(), bar));
}

TEST(Shapes, ColoursFollowTheAppearanceAndAGradientSpansTheBounds)
{
    EXPECT_EQ(brushFor(Color::primary(), {}, ColorScheme::Light).color(), QColor(Qt::black));
    EXPECT_EQ(brushFor(Color::primary(), {}, ColorScheme::Dark).color(), QColor(Qt::white));
    const QImage image = painted(100, 10, [](QPainter& p) {
        fillShape(p, Shape::roundedRectangle(0), QRectF(0, 0, 100, 10), LinearGradient{Color::red(), Color::blue()},
                  ColorScheme::Light);
    });
    EXPECT_GT(image.pixelColor(0, 0).red(), 250);
    EXPECT_GT(image.pixelColor(99, 9).blue(), 250);
    EXPECT_LT(image.pixelColor(99, 9).red(), 5);
}

TEST(Blur, FollowsTheGaussianOfTheRadiusAtEveryResolutionAndKeepsTheColour)
{
    // 3 is blurred at full resolution, 6 at half and 10 at a quarter. Across an edge the blur
    // follows the Gaussian's integral, as wide as the radius, on both sides alike.
    const QRect half(150, -40, 150, 160);
    for (const double radius : {3.0, 6.0, 10.0}) {
        SCOPED_TRACE(radius);
        const QImage image = painted(300, 80, [&](QPainter& p) {
            drawBlurred(p, half, radius, [&](QPainter& q) { q.fillRect(half, QColor(255, 128, 0)); });
        });
        for (const double share : {0.5, 1.0, 1.5, 6.0}) {
            const int distance = int(std::lround(share * radius));
            const double expected = 255 * 0.5 * std::erfc((distance - 0.5) / (radius * std::numbers::sqrt2));
            EXPECT_NEAR(qAlpha(image.pixel(150 - distance, 40)), expected, 4) << distance;
            EXPECT_NEAR(qAlpha(image.pixel(149 + distance, 40)), 255 - expected, 4) << distance;
        }
        EXPECT_EQ(image.pixelColor(225, 40), QColor(255, 128, 0));
        const QRgb edge = image.pixel(150, 40);
        EXPECT_NEAR(qGreen(edge) * 2, qAlpha(edge), 4) << "premultiplied: green half the alpha";
    }
}

TEST(Effects, ShadowAndBlurKeepTheirSizeInPointsAtAnyScale)
{
    const auto paint = [](qreal ratio) {
        const QRectF card(30, 30, 40, 40);
        const auto drawCard = [&](QPainter& p) { p.fillRect(card, Qt::white); };
        return painted(120, 120, [&](QPainter& p) {
            p.translate(10, 0);
            drawShadow(p, card, drawCard, QColor(0, 0, 0, 200), 4, QPointF(0, 20));
            drawCard(p);
        }, ratio);
    };
    for (qreal ratio : {1.0, 2.0}) {
        SCOPED_TRACE(ratio);
        const QImage image = paint(ratio);
        const auto at = [&](int x, int y) { return image.pixelColor(QPoint(x, y) * ratio); };
        EXPECT_EQ(at(60, 50), QColor(Qt::white));
        EXPECT_EQ(at(60, 85).red(), 0);
        EXPECT_GT(at(60, 85).alpha(), 150);
        EXPECT_EQ(at(60, 25).alpha(), 0);
        EXPECT_NEAR(at(60, 91).alpha(), paint(1).pixelColor(60, 91).alpha(), 12);
    }
}

TEST(TimingCurve, NamedCurvesAreCsssExactAtTheEndsAndTheSlopeIsTheDerivative)
{
    const TimingCurve easeInOut = TimingCurve::easeInOut(), easeOut = TimingCurve::easeOut();
    // The values found by bisection on the Bézier's x.
    const std::tuple<TimingCurve, double, double> points[] = {
        {easeInOut, 0.1, 0.019722}, {easeInOut, 0.25, 0.129162}, {easeInOut, 0.9, 0.980278},
        {easeOut, 0.1, 0.160572},   {easeOut, 0.5, 0.684643},    {easeOut, 0.9, 0.982973},
    };
    for (const auto& [curve, progress, value] : points) {
        EXPECT_NEAR(curve.value(progress), value, 1e-6) << progress;
        const double slope = (curve.value(progress + 1e-6) - curve.value(progress - 1e-6)) / 2e-6;
        EXPECT_NEAR(curve.slope(progress), slope, 1e-5) << progress;
    }
    for (const TimingCurve curve : {easeInOut, easeOut, TimingCurve(1, 0, 0, 1)})
        for (const double progress : {-0.5, 0.0, 1.0, 1.5})
            EXPECT_EQ(curve.value(progress), progress < 0.5 ? 0 : 1) << progress;
    // A curve that starts or ends flat in x has a finite slope there.
    EXPECT_NEAR(easeOut.slope(0), 1 / 0.58, 1e-5);
    EXPECT_NEAR(TimingCurve(0.42, 0, 1, 1).slope(1), 1 / 0.58, 1e-5);
}

TEST(AnimatedValue, RetargetingKeepsPositionAndVelocity)
{
    for (const Animation first : {Animation::spring(0.5, 0.7), Animation::easeInOut(0.6)}) {
        AnimatedValue value(0);
        value.set(1, first, 0);
        const double position = value.value(0.2);
        const double velocity = value.velocity(0.2);
        EXPECT_NEAR(velocity, (value.value(0.2 + 1e-6) - value.value(0.2 - 1e-6)) / 2e-6, 1e-4);
        value.set(2, Animation::spring(0.5, 0.7), 0.2);
        EXPECT_DOUBLE_EQ(value.value(0.2), position);
        EXPECT_DOUBLE_EQ(value.velocity(0.2), velocity);
        EXPECT_NEAR((value.value(0.2 + 1e-6) - position) / 1e-6, velocity, 1e-3);
    }
}

TEST(AnimatedValue, SpringsOvershootAndSettleForGoodTimedOnesEndOnTimeOrRepeatBackAndForth)
{
    AnimatedValue value(0);
    value.set(1, Animation::spring(0.8, 0.8), 0);
    EXPECT_EQ(value.value(0), 0);
    double highest = 0, settle = 0;
    for (double t = 0; t < 3; t += 1e-4)
        highest = std::max(highest, value.value(t));
    EXPECT_NEAR(highest - 1, std::exp(-0.8 * std::numbers::pi / std::sqrt(1 - 0.8 * 0.8)), 1e-6);
    while (value.isAnimating(settle))
        settle += 1e-3;
    EXPECT_GT(settle, 1);
    EXPECT_LT(settle, 3);
    for (const double t : {settle, settle + 0.5, 60.0}) {
        EXPECT_FALSE(value.isAnimating(t)) << t;
        EXPECT_EQ(value.value(t), 1) << t;
    }

    value.set(0, Animation::easeOut(0.12), 100);
    EXPECT_TRUE(value.isAnimating(100.06));
    EXPECT_EQ(value.value(100.12), 0);
    EXPECT_FALSE(value.isAnimating(100.12));
    value.set(3, std::nullopt, 100.2);
    EXPECT_EQ(value.value(100.2), 3) << "without an animation: at once";

    AnimatedValue pulse(1);
    pulse.set(1.2, Animation::easeInOut(0.8).repeatForever(), 0);
    pulse.set(1.2, Animation::easeOut(0.1), 0.1); // the same target leaves the motion alone
    const std::pair<double, double> pulseAt[] = {{0.4, 1.1}, {0.8, 1.2}, {1.2, 1.1}, {1.6, 1}, {16, 1}, {1000, 1}};
    for (const auto& [t, at] : pulseAt) {
        EXPECT_NEAR(pulse.value(t), at, 1e-12) << t;
        EXPECT_TRUE(pulse.isAnimating(t)) << t;
    }
    EXPECT_LT(pulse.velocity(1.0), 0);
}

} // namespace
