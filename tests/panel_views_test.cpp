// The panel as the user sees it: its laid-out tree, and through pixels what only
// pixels tell (the arc's colour and reach, the card fills, the motion).
#include "monitor/battery_monitor.h"
#include "platform/fake/child_process_launchers.h"
#include "platform/linux/plain_main_queue.h"
#include "ui/view_host.h"
#include "views/battery_popup_view.h"
#include "views/circular_progress_ring.h"
#include "views/glass_button_style.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

using namespace ui;

// Whether two frames agree but for rounding.
bool near(const QRectF& a, const QRectF& b)
{
    const double gaps[] = {a.left() - b.left(), a.top() - b.top(), a.right() - b.right(), a.bottom() - b.bottom()};
    return std::ranges::all_of(gaps, [](double gap) { return std::abs(gap) <= 1e-6; });
}

// The strings of the texts in the tree at `root`, as laid out.
std::vector<std::string> textsIn(const LaidOut& root)
{
    std::vector<std::string> strings;
    for (const LaidOut* text : findAll(root, "Text"))
        strings.push_back(text->traits().label);
    return strings;
}

// Renders at two device pixels a point; unpremultiplied, so a pixel's colour reads directly.
QImage draw(ViewHost& host, QSizeF size, double now, ColorScheme scheme = ColorScheme::Light)
{
    QImage image((size * 2).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    host.render(painter, size, scheme, now);
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

QColor at(const QImage& image, QPointF point)
{
    return image.pixelColor((point * 2).toPoint());
}

// A point on the arc's stroke, `turn` of the way clockwise from 12 o'clock: the stroke straddles
// the 86 frame's inscribed circle, so 41 from the centre is ink whether or not the frame clips.
QPointF onRing(QPointF centre, double turn)
{
    const double angle = turn * 2 * std::numbers::pi;
    return centre + QPointF(std::sin(angle), -std::cos(angle)) * 41;
}

// The arc itself: the track under it and the glow around it are far fainter.
bool inked(const QImage& image, QPointF centre, double turn)
{
    return at(image, onRing(centre, turn)).alpha() > 200;
}

// How far a colour's hue is from `degrees`, around the wheel.
double hueOff(const QColor& color, double degrees)
{
    const double apart = std::fmod(std::abs(color.hsvHueF() * 360 - degrees), 360);
    return std::min(apart, 360 - apart);
}

constexpr double red = 355, amber = 36, green = 136, teal = 166;

QImage ring(std::int64_t percentage, bool charging)
{
    ViewHost host([=](ColorScheme) { return views::CircularProgressRing(percentage, charging).frame(86, 86); });
    return draw(host, {86, 86}, 0);
}

constexpr QPointF ringCentre(43, 43);

class Panel : public ::testing::Test {
protected:
    ViewHost::Body body()
    {
        return [this](ColorScheme scheme) { return views::BatteryPopupView(*monitor, scheme, [] {}, [] {}); };
    }

    LaidOut tree()
    {
        ViewHost host(body());
        draw(host, size, 0);
        return host.laidOut();
    }

    // The header, the main card, the details card and the footer, in their stack.
    static const std::vector<LaidOut>& sections(const LaidOut& all) { return findAll(all, "VStack").front()->children; }

    static constexpr QSizeF size{320, 480};
    std::shared_ptr<monitor::BatteryMonitor> monitor = monitor::BatteryMonitor::create({
        .computerName = [] { return std::optional<std::string>("Studio"); },
        .childProcesses = std::make_shared<platform::NoChildren>(),
        .mainQueue = std::make_shared<platform::PlainMainQueue>(),
        .profilerPath = "/nonexistent/system_profiler",
    });
};

TEST_F(Panel, SectionsAndButtonsKeepTheirPlaces)
{
    monitor->setPowerSource("Batteria");
    monitor->setHealthCapacity("87%");
    monitor->setCycleCount(412);
    monitor->setCondition("Normale");
    const LaidOut all = tree();
    EXPECT_EQ(all.frame, QRectF(0, 0, 320, 480));
    const LaidOut& padded = *findAll(all, "padding").front();
    const QRectF inner = padded.children.front().frame;
    EXPECT_TRUE(near(padded.frame.adjusted(18, 18, -18, -18), inner)) << "18 of padding on every edge";
    EXPECT_EQ(inner.left(), 18);
    EXPECT_EQ(inner.width(), 284);
    EXPECT_GE(inner.top(), 18);
    EXPECT_LE(inner.bottom(), 462);

    const auto& blocks = sections(all);
    ASSERT_EQ(blocks.size(), 4u);
    for (std::size_t i = 1; i < blocks.size(); ++i)
        EXPECT_NEAR(blocks[i].frame.top() - blocks[i - 1].frame.bottom(), 14, 1e-6) << "above section " << i;
    EXPECT_EQ(textsIn(blocks[0]).front(), "MacBook");
    const auto rings = findAll(blocks[1], "CircularProgressRing");
    ASSERT_EQ(rings.size(), 1u);
    EXPECT_EQ(rings[0]->frame.size(), QSizeF(86, 86));
    EXPECT_EQ(textsIn(blocks[2]), (std::vector<std::string>{"Alimentazione", "Batteria", "Capacità Massima", "87%",
                                                           "Cicli di Ricarica", "412", "Stato Salute", "Normale"}));
    EXPECT_EQ(findAll(all, "Divider").size(), 3u) << "between the rows only";

    const auto buttons = findAll(blocks[3], "Button");
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_EQ(textsIn(*buttons[0]), std::vector<std::string>{"Esci"});
    EXPECT_EQ(textsIn(*buttons[1]), std::vector<std::string>{"Aggiorna"});
    EXPECT_NEAR(buttons[0]->frame.left(), inner.left(), 1e-6);
    EXPECT_NEAR(buttons[1]->frame.right(), inner.right(), 1e-6);
    for (const LaidOut* button : buttons)
        EXPECT_TRUE(near(button->frame, findAll(*button, "HStack").front()->frame.adjusted(-13, -6, 13, 6)))
            << "the label padded 13 across and 6 down";
}

TEST_F(Panel, NamesShrinkThenAreCutOnOneLineAndTheSentenceKeepsTwo)
{
    const LaidOut plain = tree();
    monitor->setModelName("MacBook Pro (16-inch, Nov 2023) Space Black Edition");
    monitor->setDeviceName("The Workshop Laptop of Somebody With A Very Long Name Indeed");
    const LaidOut all = tree();
    const auto texts = findAll(sections(all)[0], "Text");
    ASSERT_EQ(texts.size(), 4u); // the model, two badges, the device
    // One line shrunk by a factor is that much lower than the line of a name that fits.
    const auto factor = [&](std::size_t i) { return texts[i]->frame.height() / findAll(sections(plain)[0], "Text")[i]->frame.height(); };
    const std::string model = texts[0]->traits().label, device = texts[3]->traits().label;
    EXPECT_TRUE(model.ends_with("\u2026")) << model;
    EXPECT_EQ(model.find('\n'), std::string::npos) << model;
    EXPECT_GE(factor(0), 0.9 - 1e-9);
    EXPECT_LT(factor(0), 1);
    EXPECT_TRUE(device.ends_with("\u2026")) << device;
    EXPECT_GE(factor(3), 0.85 - 1e-9);
    EXPECT_LT(factor(3), 1);
    EXPECT_EQ(texts[1]->traits().label, "Apple Silicon") << "the badges stay whole";
    EXPECT_LE(texts[0]->frame.right(), texts[1]->frame.left());

    const auto card = findAll(sections(all)[1], "Text");
    ASSERT_EQ(card.size(), 3u); // the figure, the title, the sentence
    const std::string sentence = card[2]->traits().label;
    EXPECT_TRUE(sentence.starts_with("Alimentazione")) << sentence;
    EXPECT_NE(sentence.find("\nNessun"), std::string::npos) << sentence;
    EXPECT_GT(card[2]->frame.height(), 2 * 11) << "two lines of 11-point text";
}

TEST_F(Panel, MainCardStandsOutFromTheGroundInBothAppearances)
{
    const QRectF card = sections(tree())[1].frame;
    const QPointF clear(card.right() - 6, card.center().y());
    // The ground is the window's, not the view's: lay the card's gray wash over one.
    const auto over = [&](ColorScheme scheme, int ground) {
        ViewHost host(body());
        const QColor wash = at(draw(host, size, 0, scheme), clear);
        return wash.lightness() * wash.alphaF() + ground * (1 - wash.alphaF());
    };
    EXPECT_GT(over(ColorScheme::Dark, 30), 31);
    EXPECT_LT(over(ColorScheme::Light, 236), 235);
}

TEST(RingPixels, ArcColourFollowsTheLevelBands)
{
    const auto start = [](std::int64_t percentage, bool charging) { return at(ring(percentage, charging), onRing(ringCentre, 0.04)); };
    EXPECT_LT(hueOff(start(20, false), red), 10);
    EXPECT_LT(hueOff(start(21, false), amber), 10);
    EXPECT_LT(hueOff(start(50, false), amber), 10);
    EXPECT_LT(hueOff(start(51, false), green), 10);
    EXPECT_LT(hueOff(start(10, true), teal), 10);
}

TEST(RingPixels, ArcRunsClockwiseAsFarAsTheLevel)
{
    const QImage quarter = ring(25, false);
    EXPECT_TRUE(inked(quarter, ringCentre, 0.22));
    EXPECT_FALSE(inked(quarter, ringCentre, 0.3));
    EXPECT_FALSE(inked(quarter, ringCentre, 0.5));
    EXPECT_FALSE(inked(quarter, ringCentre, 0.9)) << "nothing counter-clockwise of 12";
    const QImage half = ring(50, false);
    EXPECT_TRUE(inked(half, ringCentre, 0.47));
    EXPECT_FALSE(inked(half, ringCentre, 0.55));
    EXPECT_FALSE(inked(half, ringCentre, 0.75));
}

TEST_F(Panel, ArcSpringsOnLevelChangesButRecoloursAtOnce)
{
    monitor->setPercentage(60);
    ViewHost host(body());
    draw(host, size, 0);
    const QPointF centre = findAll(host.laidOut(), "CircularProgressRing").front()->frame.center();

    monitor->setPercentage(40);
    const QImage moving = draw(host, size, 0.1);
    EXPECT_TRUE(inked(moving, centre, 0.5)) << "still near 60 %";
    EXPECT_FALSE(inked(moving, centre, 0.68));
    const QImage settled = draw(host, size, 3);
    EXPECT_TRUE(inked(settled, centre, 0.37));
    EXPECT_FALSE(inked(settled, centre, 0.46));
    EXPECT_LT(hueOff(at(settled, onRing(centre, 0.04)), amber), 10);

    monitor->setIsCharging(true);
    const QImage charging = draw(host, size, 3.05);
    EXPECT_LT(hueOff(at(charging, onRing(centre, 0.04)), teal), 10) << "same level: no spring";
    EXPECT_FALSE(inked(charging, centre, 0.46));
}

TEST_F(Panel, BoltPulsesWhileChargingAndTheClockRestsWithoutIt)
{
    ViewHost host(body());
    draw(host, size, 0);
    EXPECT_FALSE(host.isAnimating(0));

    monitor->setIsCharging(true);
    const QImage still = draw(host, size, 0); // the bolt appears and starts its pulse
    const auto images = findAll(host.laidOut(), "Image");
    const auto bolt = std::ranges::find_if(images, [](const LaidOut* image) { return image->traits().label == "bolt.fill"; });
    ASSERT_NE(bolt, images.end());
    const QRect area = QRectF((*bolt)->frame.topLeft() * 2, (*bolt)->frame.size() * 2).adjusted(-8, -8, 8, 8).toRect();
    EXPECT_TRUE(host.isAnimating(100));
    EXPECT_NE(draw(host, size, 0.8).copy(area), still.copy(area)) << "swollen";
    EXPECT_EQ(draw(host, size, 1.6).copy(area), still.copy(area)) << "back";

    monitor->setIsCharging(false);
    draw(host, size, 2);
    EXPECT_FALSE(host.isAnimating(2));
}

TEST(GlassButton, PressEasesIntoThePressedLook)
{
    const View label = View().frame(60, 20);
    const auto style = views::GlassButtonStyle(true, ColorScheme::Light);
    ViewHost host([&](ColorScheme) { return Button([] {}, label, style); });
    ViewHost pressedLook([&](ColorScheme) { return style(label, true, false); });
    const QSizeF size(100, 40);
    const auto fill = [&](ViewHost& of, double now) { return at(draw(of, size, now), {16, 20}).alpha(); }; // clear of label and outline
    const int released = fill(host, 1);
    const int pressed = fill(pressedLook, 0);
    ASSERT_GT(pressed, released + 10);

    host.press({50, 20});
    EXPECT_EQ(fill(host, 1), released);
    const int midway = fill(host, 1.06);
    EXPECT_GT(midway, released + 2);
    EXPECT_LT(midway, pressed - 2);
    EXPECT_NEAR(fill(host, 1.12), pressed, 1);
    EXPECT_NEAR(fill(host, 1.5), pressed, 1);
}

} // namespace
