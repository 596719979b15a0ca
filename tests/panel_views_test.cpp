// The panel as the user sees it: its layout through the dump, and through pixels what only
// pixels tell (the arc's colour and reach, the card fills, the motion).
#include "monitor/battery_monitor.h"
#include "platform/plain_main_queue.h"
#include "ui/button.h"
#include "ui/view_host.h"
#include "views/battery_popup_view.h"
#include "views/circular_progress_ring.h"
#include "views/glass_button_style.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <cmath>
#include <numbers>
#include <regex>
#include <sstream>

namespace {

using namespace ui;

struct Node {
    int depth;
    std::string kind;
    QRectF frame;
    std::string extra;
};
using Nodes = std::vector<Node>;

Nodes parse(const std::string& dump)
{
    Nodes nodes;
    std::istringstream lines(dump);
    static const std::regex line(R"(( *)(\S+) \(([-\d.]+), ([-\d.]+), ([-\d.]+) x ([-\d.]+)\)\s?(.*))");
    for (std::string text; std::getline(lines, text);) {
        std::smatch m;
        if (std::regex_match(text, m, line))
            nodes.push_back({int(m[1].length() / 2), m[2], QRectF(std::stod(m[3]), std::stod(m[4]), std::stod(m[5]), std::stod(m[6])),
                             m[7]});
    }
    return nodes;
}

// The indices of the direct children of nodes[parent].
std::vector<std::size_t> childrenOf(const Nodes& nodes, std::size_t parent)
{
    std::vector<std::size_t> found;
    for (std::size_t i = parent + 1; i < nodes.size() && nodes[i].depth > nodes[parent].depth; ++i)
        if (nodes[i].depth == nodes[parent].depth + 1)
            found.push_back(i);
    return found;
}

// The nodes of a kind within the subtree of nodes[root], in dump order.
std::vector<Node> within(const Nodes& nodes, std::size_t root, const std::string& kind)
{
    std::vector<Node> found;
    for (std::size_t i = root; i < nodes.size() && (i == root || nodes[i].depth > nodes[root].depth); ++i)
        if (nodes[i].kind == kind)
            found.push_back(nodes[i]);
    return found;
}

// A text's string and font size, from `"string" size 17`.
std::pair<std::string, double> textOf(const Node& node)
{
    static const std::regex described(R"re("(.*)" size ([\d.]+))re");
    std::smatch m;
    return std::regex_match(node.extra, m, described) ? std::pair{m[1].str(), std::stod(m[2])} : std::pair{std::string(), 0.0};
}

// Renders at two device pixels a point; unpremultiplied, so a pixel's colour reads directly.
QImage draw(ViewHost& host, QSizeF size, double now, ColorScheme scheme = ColorScheme::Light)
{
    QImage image((size * 2).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    host.render(painter, size, scheme, 2, now);
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

QColor at(const QImage& image, QPointF point)
{
    return image.pixelColor((point * 2).toPoint());
}

// A point on the arc's stroke, `turn` of the way clockwise from 12 o'clock.
QPointF onRing(QPointF centre, double turn)
{
    const double angle = turn * 2 * std::numbers::pi;
    return centre + QPointF(std::sin(angle), -std::cos(angle)) * 41;
}

bool inked(const QImage& image, QPointF centre, double turn)
{
    return at(image, onRing(centre, turn)).alpha() > 200;
}

double hueDistance(const QColor& color, double degrees)
{
    const double apart = std::fmod(std::abs(color.hsvHueF() * 360 - degrees), 360);
    return std::min(apart, 360 - apart);
}

QImage ring(std::int64_t percentage, bool charging)
{
    ViewHost host([=](ColorScheme) { return views::CircularProgressRing(percentage, charging).frame(86, 86); });
    return draw(host, {86, 86}, 0);
}

constexpr QPointF ringCentre(43, 43);

class NoLauncher final : public platform::ChildProcessLauncher {
public:
    std::optional<platform::LaunchFailure> launch(const std::string&, const std::vector<std::string>&, TerminationHandler) override
    {
        return std::nullopt;
    }
};

class Panel : public ::testing::Test {
protected:
    Panel()
    {
        monitor->setPercentage(72);
        monitor->setPowerSource("Batteria");
        monitor->setHealthCapacity("87%");
        monitor->setCycleCount(412);
        monitor->setCondition("Normale");
    }

    ViewHost::Body body()
    {
        return [this](ColorScheme scheme) { return views::BatteryPopupView(*monitor, scheme, [] {}, [] {}); };
    }

    Nodes nodes() { return parse(layoutDump(body(), size)); }

    // The stack of the header, the two cards and the footer.
    std::size_t content(const Nodes& all)
    {
        const auto found = std::find_if(all.begin(), all.end(), [](const Node& n) { return n.kind == "VStack"; });
        return std::size_t(found - all.begin());
    }

    static constexpr QSizeF size{320, 480};
    std::ostringstream report;
    std::shared_ptr<monitor::BatteryMonitor> monitor = monitor::BatteryMonitor::create({
        .computerName = [] { return std::optional<std::string>("Studio"); },
        .powerSources = [] { return std::optional<platform::PowerSourceSnapshot>(); },
        .childProcesses = std::make_shared<NoLauncher>(),
        .mainQueue = std::make_shared<platform::PlainMainQueue>(),
        .profilerPath = "/nonexistent/system_profiler",
        .failureReport = &report,
    });
};

TEST_F(Panel, SectionsStackWithinTheMarginsInOrder)
{
    const Nodes all = nodes();
    EXPECT_EQ(all.front().frame, QRectF(0, 0, 320, 480));
    const std::size_t stack = content(all);
    const QRectF inner = all[stack].frame;
    EXPECT_EQ(all[stack - 1].frame.adjusted(18, 18, -18, -18), inner) << "18 of padding on every edge";
    EXPECT_EQ(inner.left(), 18);
    EXPECT_EQ(inner.width(), 284);
    EXPECT_GE(inner.top(), 18);
    EXPECT_LE(inner.bottom(), 462);

    const auto sections = childrenOf(all, stack);
    ASSERT_EQ(sections.size(), 4u);
    for (std::size_t i = 1; i < sections.size(); ++i)
        EXPECT_NEAR(all[sections[i]].frame.top() - all[sections[i - 1]].frame.bottom(), 14, 0.02) << "after section " << i;
    EXPECT_EQ(textOf(within(all, sections[0], "Text").front()).first, "MacBook");
    const auto rings = within(all, sections[1], "CircularProgressRing");
    ASSERT_EQ(rings.size(), 1u);
    EXPECT_EQ(rings[0].frame.size(), QSizeF(86, 86));
    EXPECT_EQ(within(all, sections[2], "Divider").size(), 3u);
    EXPECT_EQ(within(all, stack, "Divider").size(), 3u);
    EXPECT_EQ(within(all, sections[3], "Button").size(), 2u);

    std::vector<std::string> rows;
    for (const Node& text : within(all, sections[2], "Text"))
        rows.push_back(textOf(text).first);
    EXPECT_EQ(rows, (std::vector<std::string>{"Alimentazione", "Batteria", "Capacità Massima", "87%", "Cicli di Ricarica", "412",
                                              "Stato Salute", "Normale"}));
}

TEST_F(Panel, FooterButtonsSitAtTheEdgesAndPadTheirLabels)
{
    const Nodes all = nodes();
    const QRectF inner = all[content(all)].frame;
    std::vector<std::size_t> buttons;
    for (std::size_t i = 0; i < all.size(); ++i)
        if (all[i].kind == "Button")
            buttons.push_back(i);
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_EQ(all[buttons[0]].frame.left(), inner.left());
    EXPECT_EQ(all[buttons[1]].frame.right(), inner.right());
    EXPECT_EQ(textOf(within(all, buttons[0], "Text").front()).first, "Esci");
    EXPECT_EQ(textOf(within(all, buttons[1], "Text").front()).first, "Aggiorna");
    for (const std::size_t button : buttons) {
        const QRectF label = within(all, button, "HStack").front().frame;
        EXPECT_EQ(all[button].frame, label.adjusted(-13, -6, 13, 6)) << all[button].frame.x();
    }
}

TEST_F(Panel, LongNamesShrinkThenAreCutOnOneLine)
{
    monitor->setModelName("MacBook Pro (16-inch, Nov 2023) Space Black Edition");
    monitor->setDeviceName("The Workshop Laptop of Somebody With A Very Long Name Indeed");
    const Nodes all = nodes();
    const auto header = childrenOf(all, content(all)).front();
    const auto texts = within(all, header, "Text");
    ASSERT_EQ(texts.size(), 4u);
    const auto [model, modelSize] = textOf(texts[0]);
    const auto [device, deviceSize] = textOf(texts[3]);
    EXPECT_TRUE(model.ends_with("\u2026")) << model;
    EXPECT_GE(modelSize, 17 * 0.9 - 0.01);
    EXPECT_LT(modelSize, 17);
    EXPECT_TRUE(device.ends_with("\u2026")) << device;
    EXPECT_GE(deviceSize, 11 * 0.85 - 0.01);
    EXPECT_LT(deviceSize, 11);
    EXPECT_EQ(model.find("\\n"), std::string::npos);
    EXPECT_EQ(textOf(texts[1]).first, "Apple Silicon") << "the badges stay whole";
    EXPECT_LE(texts[0].frame.right(), texts[1].frame.left());
}

TEST_F(Panel, StatusSentenceShowsBothLines)
{
    const Nodes all = nodes();
    const auto card = childrenOf(all, content(all))[1];
    const auto texts = within(all, card, "Text");
    ASSERT_EQ(texts.size(), 3u); // the figure, the title, the sentence
    const auto [sentence, fontSize] = textOf(texts[2]);
    EXPECT_TRUE(sentence.starts_with("Alimentazione")) << sentence;
    EXPECT_NE(sentence.find("\\nNessun"), std::string::npos) << sentence;
    const double line = within(all, childrenOf(all, content(all))[0], "Text").back().frame.height(); // the device name, also 11
    EXPECT_GE(texts[2].frame.height(), 2 * line - 0.1);
}

TEST(RingPixels, ArcColourFollowsTheLevelBands)
{
    const auto startHue = [](std::int64_t percentage, bool charging) { return at(ring(percentage, charging), onRing(ringCentre, 0.04)); };
    constexpr double red = 355, amber = 36, green = 136, teal = 166;
    EXPECT_LT(hueDistance(startHue(20, false), red), 10);
    EXPECT_LT(hueDistance(startHue(21, false), amber), 10);
    EXPECT_LT(hueDistance(startHue(50, false), amber), 10);
    EXPECT_LT(hueDistance(startHue(51, false), green), 10);
    EXPECT_LT(hueDistance(startHue(100, false), green), 10);
    EXPECT_LT(hueDistance(startHue(10, true), teal), 10);
}

TEST(RingPixels, ArcRunsClockwiseAsFarAsTheLevel)
{
    const QImage quarter = ring(25, false);
    EXPECT_TRUE(inked(quarter, ringCentre, 0.04));
    EXPECT_TRUE(inked(quarter, ringCentre, 0.22));
    EXPECT_FALSE(inked(quarter, ringCentre, 0.3));
    EXPECT_FALSE(inked(quarter, ringCentre, 0.5));
    EXPECT_FALSE(inked(quarter, ringCentre, 0.9)) << "nothing counter-clockwise of 12";
    const QImage half = ring(50, false);
    EXPECT_TRUE(inked(half, ringCentre, 0.47));
    EXPECT_FALSE(inked(half, ringCentre, 0.55));
    EXPECT_FALSE(inked(half, ringCentre, 0.75));
}

TEST_F(Panel, MainCardStandsOutFromTheGroundInBothAppearances)
{
    const Nodes all = nodes();
    const QRectF card = all[childrenOf(all, content(all))[1]].frame;
    const QPointF clear(card.right() - 6, card.center().y());
    // The panel's ground is the window's, not the view's: lay the card's pixel over one.
    const auto over = [&](ColorScheme scheme, QColor ground) {
        ViewHost host(body());
        const QColor top = at(draw(host, size, 0, scheme), clear);
        const double a = top.alphaF();
        return QColor::fromRgbF(top.redF() * a + ground.redF() * (1 - a), top.greenF() * a + ground.greenF() * (1 - a),
                                top.blueF() * a + ground.blueF() * (1 - a))
            .lightness();
    };
    const QColor darkGround(30, 30, 30), lightGround(236, 236, 236);
    EXPECT_GT(over(ColorScheme::Dark, darkGround), darkGround.lightness());
    EXPECT_LT(over(ColorScheme::Light, lightGround), lightGround.lightness());
}

TEST_F(Panel, ArcSpringsOnLevelChangesAndRecoloursAtOnce)
{
    monitor->setPercentage(60);
    ViewHost host(body());
    draw(host, size, 0);
    const Nodes all = parse(host.layoutDump());
    const QPointF centre = std::find_if(all.begin(), all.end(), [](const Node& n) { return n.kind == "CircularProgressRing"; })->frame.center();

    monitor->setPercentage(40);
    const QImage moving = draw(host, size, 0.1);
    EXPECT_TRUE(inked(moving, centre, 0.5)) << "still near 60 %";
    EXPECT_FALSE(inked(moving, centre, 0.68));
    EXPECT_TRUE(host.isAnimating(0.1));
    const QImage settled = draw(host, size, 3);
    EXPECT_TRUE(inked(settled, centre, 0.37));
    EXPECT_FALSE(inked(settled, centre, 0.46));
    EXPECT_LT(hueDistance(at(settled, onRing(centre, 0.04)), 36), 10);

    monitor->setIsCharging(true);
    const QImage charging = draw(host, size, 3.05);
    EXPECT_LT(hueDistance(at(charging, onRing(centre, 0.04)), 166), 10) << "same level: no spring";
    EXPECT_FALSE(inked(charging, centre, 0.46));
}

TEST_F(Panel, BoltPulsesWhileChargingAndTheClockRestsWithoutIt)
{
    ViewHost host(body());
    draw(host, size, 0);
    EXPECT_FALSE(host.isAnimating(0));

    monitor->setIsCharging(true);
    const QImage still = draw(host, size, 0);
    const Nodes all = parse(host.layoutDump());
    const auto bolt = std::find_if(all.begin(), all.end(), [](const Node& n) { return n.extra == "\"bolt.fill\""; });
    ASSERT_NE(bolt, all.end());
    const QRect area = QRectF(bolt->frame.topLeft() * 2, bolt->frame.size() * 2).adjusted(-8, -8, 8, 8).toRect();
    EXPECT_TRUE(host.isAnimating(0.4));
    EXPECT_TRUE(host.isAnimating(100));
    const QImage swollen = draw(host, size, 0.8);
    const QImage back = draw(host, size, 1.6);
    EXPECT_NE(still.copy(area), swollen.copy(area));
    EXPECT_EQ(still.copy(area), back.copy(area));

    monitor->setIsCharging(false);
    draw(host, size, 2);
    EXPECT_FALSE(host.isAnimating(2));
}

TEST(GlassButton, PressEasesIntoThePressedLook)
{
    const View label = View().frame(60, 20);
    const auto style = views::GlassButtonStyle(true, ColorScheme::Light);
    ViewHost host([&](ColorScheme) { return Button([] {}, label, style); });
    const QSizeF size(100, 40);
    const QPointF tile(16, 20); // inside the tile, clear of the label and the outline
    const auto fill = [&](const QImage& image) { return at(image, tile).alpha(); };
    const int released = fill(draw(host, size, 1));
    ViewHost pressedHost([&](ColorScheme) { return style(label, true); });
    const int pressed = fill(draw(pressedHost, size, 0));
    ASSERT_GT(pressed, released + 10);

    host.press({50, 20});
    EXPECT_EQ(fill(draw(host, size, 1)), released);
    const int midway = fill(draw(host, size, 1.06));
    EXPECT_GT(midway, released + 2);
    EXPECT_LT(midway, pressed - 2);
    EXPECT_NEAR(fill(draw(host, size, 1.12)), pressed, 1);
    EXPECT_NEAR(fill(draw(host, size, 1.5)), pressed, 1);
}

} // namespace
