// The view layer through its laid-out tree: sizes and places, not pixels, except where only
// pixels tell (fills, strokes, transforms).
#include "ui/hosting_widget.h"
#include "ui/shape_view.h"
#include "ui/stacks.h"
#include "ui/text.h"
#include "ui/text_measure.h"
#include "ui/view_host.h"

#include <QCoreApplication>
#include <QPaintEvent>

#include <gtest/gtest.h>

namespace {

using namespace ui;

LaidOut laidOut(const View& view, QSizeF size = {300, 300})
{
    ViewHost host([view](ColorScheme) { return view; });
    QImage scratch(1, 1, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&scratch);
    host.render(painter, size, ColorScheme::Light, 0);
    return host.laidOut();
}

std::vector<QRectF> framesOf(const LaidOut& tree, std::string_view kind)
{
    std::vector<QRectF> frames;
    for (const LaidOut* node : findAll(tree, kind))
        frames.push_back(node->frame);
    return frames;
}

View box(double width, double height)
{
    return View(RoundedRectangle(2).fill(Color::blue())).frame(width, height);
}

TEST(StackLayout, SpacesAndAlignsChildrenInOrder)
{
    auto frames = framesOf(laidOut(VStack(Alignment::Leading, 10, {box(50, 20), box(30, 10)})), "RoundedRectangle");
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], QRectF(125, 130, 50, 20));
    EXPECT_EQ(frames[1], QRectF(125, 160, 30, 10));

    frames = framesOf(laidOut(HStack(4, {box(10, 40), box(10, 10)})), "RoundedRectangle");
    EXPECT_EQ(frames[1], QRectF(152, 145, 10, 10)) << "centred on the cross axis";
}

TEST(StackLayout, SpacersShareWhatTheOthersLeave)
{
    const LaidOut nodes = laidOut(HStack(0, {box(40, 10), Spacer(), box(20, 10), Spacer(), box(40, 10)}), {300, 50});
    const auto spacers = framesOf(nodes, "Spacer");
    ASSERT_EQ(spacers.size(), 2u);
    EXPECT_EQ(spacers[0].width(), 100);
    EXPECT_EQ(spacers[1].width(), 100);
    EXPECT_EQ(framesOf(nodes, "RoundedRectangle").back().right(), 300);
    EXPECT_EQ(framesOf(nodes, "HStack").front().height(), 10) << "spacers add no cross length";
}

TEST(StackLayout, TheLeastFlexibleChildIsServedFirst)
{
    // A fixed 200 wide box and a shape that takes any width share 300: the shape gets 100,
    // although it comes first and an equal share would have been 150.
    const LaidOut nodes = laidOut(HStack(0, {Circle().fill(Color::red()), box(200, 20)}), {300, 50});
    EXPECT_EQ(framesOf(nodes, "Circle").front().width(), 100);
}

TEST(Modifiers, PaddingGrowsTheViewAndDecorationsTakeItsSize)
{
    const LaidOut nodes = laidOut(box(40, 20)
                                   .padding(edges::horizontal, 13)
                                   .padding(edges::vertical, 6)
                                   .background(View(Capsule().fill(Color::gray())))
                                   .shadow(Color::black(), 5, 0, 3));
    const QRectF padded = framesOf(nodes, "shadow").front();
    EXPECT_EQ(padded.size(), QSizeF(66, 32));
    EXPECT_EQ(framesOf(nodes, "Capsule").front(), padded);
    EXPECT_EQ(framesOf(nodes, "background").front(), padded);
}

TEST(Modifiers, AFixedFrameCentresItsContent)
{
    const LaidOut nodes = laidOut(box(50, 30).frame(86, 86), {86, 86});
    EXPECT_EQ(framesOf(nodes, "RoundedRectangle").front(), QRectF(18, 28, 50, 30));
}

TEST(Modifiers, ScaleAndRotationMoveNoNeighbour)
{
    const auto plain = framesOf(laidOut(HStack(5, {box(30, 30), box(30, 30)})), "RoundedRectangle");
    const auto scaled = framesOf(laidOut(HStack(5, {box(30, 30).scaleEffect(0.5).rotationEffect(45), box(30, 30)})),
                                 "RoundedRectangle");
    EXPECT_EQ(plain, scaled);
}

TEST(TextLayout, UnchangedTextIsSetOnceAndForgottenOnlyWhenUnseenForTwoFrames)
{
    TextRequest label;
    label.text = QStringLiteral("Cicli di Ricarica");
    measureText(label);
    const auto set = textsTypeset();
    for (int frames = 0; frames < 4; ++frames) {
        beginTextFrame();
        measureText(label);
    }
    beginTextFrame();
    beginTextFrame();
    measureText(label);
    EXPECT_EQ(textsTypeset(), set) << "asked in every frame, or unseen for only one";
    for (int frames = 0; frames < 3; ++frames)
        beginTextFrame();
    measureText(label);
    EXPECT_EQ(textsTypeset(), set + 1);
}

TEST(TextLayout, ShrinksThenTruncatesOnOneLine)
{
    const auto name = [](const std::string& string) {
        const View text = Text(string).font({17, FontWeight::Bold}).minimumScaleFactor(0.9).lineLimit(1);
        return *findAll(laidOut(text.frame(120, 100), {120, 100}), "Text").front();
    };
    const LaidOut cut = name("A very long model name that cannot fit");
    const LaidOut whole = name("Short");
    EXPECT_LE(cut.frame.width(), 120);
    EXPECT_TRUE(cut.traits().label.ends_with("\u2026")) << cut.traits().label;
    EXPECT_NEAR(cut.frame.height() / whole.frame.height(), 0.9, 1e-9) << "shrunk to the minimum first";
    EXPECT_EQ(whole.traits().label, "Short");
}

TEST(TextLayout, FixedVerticalSizeShowsBothLinesInFull)
{
    const View sentence = Text("Alimentazione da batteria.\nNessun alimentatore collegato.").font({11}).lineLimit(2);
    const LaidOut squeezed = *findAll(laidOut(sentence.frame(180, 8), {180, 8}), "Text").front();
    const LaidOut shown = *findAll(laidOut(sentence.fixedSize(false, true).frame(180, 8), {180, 8}), "Text").front();
    EXPECT_EQ(shown.traits().label, "Alimentazione da batteria.\nNessun alimentatore collegato.");
    EXPECT_GT(shown.frame.height(), squeezed.frame.height());
}

TEST(ViewState, SurvivesRendersAndIsDroppedWithItsPlace)
{
    bool shown = true;
    int renders = 0;
    const auto counter = [&] {
        return Stateful("counter", [&](ResolveContext& context) {
            renders = ++context.state("renders", 0);
            return View();
        });
    };
    ViewHost host([&](ColorScheme) { return shown ? counter() : View(); });
    QImage image(10, 10, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    host.render(painter, {10, 10}, ColorScheme::Light, 0);
    host.render(painter, {10, 10}, ColorScheme::Light, 0);
    EXPECT_EQ(renders, 2);
    shown = false;
    host.render(painter, {10, 10}, ColorScheme::Light, 0);
    shown = true;
    host.render(painter, {10, 10}, ColorScheme::Light, 0);
    EXPECT_EQ(renders, 1) << "a new place starts afresh";
}

TEST(ViewState, KeyedAnimationsMoveOnlyWhenTheirKeyChanges)
{
    double key = 1;
    double target = 10;
    double shown = 0;
    ViewHost host([&](ColorScheme) {
        return Animated(key, Animation::easeOut(1.0), {target}, [&](const std::vector<double>& values) {
            shown = values[0];
            return View();
        });
    });
    QImage image(10, 10, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    host.render(painter, {10, 10}, ColorScheme::Light, 0);
    target = 20;
    host.render(painter, {10, 10}, ColorScheme::Light, 0.1);
    EXPECT_EQ(shown, 20) << "same key: at once";
    key = 2;
    target = 30;
    host.render(painter, {10, 10}, ColorScheme::Light, 0.2);
    EXPECT_EQ(shown, 20);
    EXPECT_TRUE(host.isAnimating(0.5));
    host.render(painter, {10, 10}, ColorScheme::Light, 1.2);
    EXPECT_EQ(shown, 30);
    EXPECT_FALSE(host.isAnimating(1.3)) << "the clock may stop";
}

TEST(Buttons, APressShowsInTheStyleAndTheReleaseRunsTheAction)
{
    int runs = 0;
    std::vector<bool> styled;
    ViewHost host([&](ColorScheme) {
        return Button([&] { ++runs; }, box(40, 20), [&](View label, bool pressed, bool) {
            styled.push_back(pressed);
            return label.padding(6);
        });
    });
    QImage image(100, 100, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    host.render(painter, {100, 100}, ColorScheme::Light, 0);
    host.press({50, 50});
    host.render(painter, {100, 100}, ColorScheme::Light, 0);
    host.release({50, 50});
    host.render(painter, {100, 100}, ColorScheme::Light, 0);
    EXPECT_EQ(styled, (std::vector<bool>{false, true, false}));
    EXPECT_EQ(runs, 1);
    host.press({50, 50});
    host.release({2, 2});
    EXPECT_EQ(runs, 1) << "released elsewhere: no action";
}

TEST(Painting, ARotatedTrimStartsAtTwelveAndRunsClockwise)
{
    const View arc = View(Circle().trim(0, 0.25).stroke(Color::red(), {8, Qt::FlatCap})).rotationEffect(-90);
    const QImage image = renderImage([arc](ColorScheme) { return arc; }, {100, 100}, 1, ColorScheme::Light)
                             .convertToFormat(QImage::Format_ARGB32);
    const auto inked = [&](int x, int y) { return qAlpha(image.pixel(x, y)) > 128; };
    EXPECT_TRUE(inked(85, 15)) << "between 12 and 3 o'clock";
    EXPECT_FALSE(inked(15, 15)) << "not before 12";
    EXPECT_FALSE(inked(85, 85)) << "not past 3";
}

TEST(Painting, FillsFollowTheAppearance)
{
    const View card = View(RoundedRectangle(8).fill(Color::primary())).frame(20, 20);
    const auto centre = [&](ColorScheme scheme) {
        return renderImage([card](ColorScheme) { return card; }, {20, 20}, 2, scheme).pixelColor(20, 20);
    };
    EXPECT_EQ(centre(ColorScheme::Light), QColor(Qt::black));
    EXPECT_EQ(centre(ColorScheme::Dark), QColor(Qt::white));
}

TEST(Changes, OnlyViewsThatDrawDifferentlyArePaintedAgain)
{
    // A row of two texts over a card with a shadow; the same body gives the same tree.
    struct Inputs {
        std::string left = "72%", right = "Batteria";
        Color ink = Color::primary();
        double shadow = 0.1;
    } inputs;
    ViewHost host([&](ColorScheme) {
        return View(HStack(0, {View(Text(inputs.left)).frame(100, 40), View(Text(inputs.right).foregroundColor(inputs.ink)).frame(100, 40)})
                        .background(RoundedRectangle(8).fill(Color::white())))
            .shadow(Color::black().opacity(inputs.shadow), 2)
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
    inputs.left = "73%";
    QRectF changed = update();
    EXPECT_TRUE(changed.contains(text(0)));
    EXPECT_FALSE(changed.intersects(text(1)));
    EXPECT_LE(changed.top(), text(0).top() - 16 - 8) << "the shadow blurs the change by 8 past the text's ink";

    inputs.ink = Color::red();
    changed = update();
    EXPECT_TRUE(changed.contains(text(1))) << "a colour is part of the look";
    EXPECT_FALSE(changed.intersects(text(0)));

    inputs.shadow = 0.2;
    EXPECT_TRUE(update().contains(QRectF(40, 40, 220, 60))) << "the shadow's own look: all of it";

    // A view that moves is painted where it was and where it is.
    ViewHost moving([&](ColorScheme) { return View(Text("x")).padding(edges::leading, inputs.shadow * 100); });
    moving.update({300, 40}, ColorScheme::Light, 0);
    inputs.shadow = 0.8;
    moving.update({300, 40}, ColorScheme::Light, 0);
    EXPECT_LT(moving.changedBounds().left(), 140);
    EXPECT_GT(moving.changedBounds().right(), 190);
}

TEST(Changes, TheWindowPaintsWhatChangedAndNoMore)
{
    std::string word = "72%";
    HostingWidget widget([&](ColorScheme) {
        return View(VStack(0, {View(Text(word)).frame(100, 40), View(Text("Batteria")).frame(100, 40)}));
    });
    std::vector<QRegion> painted;
    struct Recorder : QObject {
        std::vector<QRegion>* painted;
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Paint)
                painted->push_back(static_cast<QPaintEvent*>(event)->region());
            return false;
        }
    } recorder;
    recorder.painted = &painted;
    widget.installEventFilter(&recorder);
    widget.resize(100, 80);
    widget.show();
    const auto settle = [&] {
        painted.clear();
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        QRegion all;
        for (const QRegion& region : painted)
            all += region;
        return all;
    };
    settle();

    word = "73%";
    widget.invalidate();
    QRegion repainted = settle();
    const QRect first = findAll(widget.laidOut(), "Text").at(0)->frame.toAlignedRect();
    const QRect second = findAll(widget.laidOut(), "Text").at(1)->frame.toAlignedRect();
    EXPECT_TRUE(repainted.contains(first));
    EXPECT_FALSE(repainted.contains(second)) << "the other text did not change";

    // A paint for another part that comes first still leads to the changed part being painted.
    word = "74%";
    widget.invalidate();
    widget.repaint(second);
    repainted = settle();
    EXPECT_TRUE(repainted.contains(first));
}

} // namespace
