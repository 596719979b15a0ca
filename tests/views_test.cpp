// The panel as the user sees it: its laid-out tree, and through pixels what only pixels tell (the
// arc's colour and reach, the card fills, the motion); the symbols, the tray icon and the rules
// the panel presents the monitor by.
#include "monitor/battery_monitor.h"
#include "platform/fake/child_process_launchers.h"
#include "platform/linux/plain_main_queue.h"
#include "ui/accessibility.h"
#include "ui/hosting_widget.h"
#include "ui/view_host.h"
#include "views/battery_popup_view.h"
#include "views/circular_progress_ring.h"
#include "views/glass_button_style.h"
#include "views/presentation_rules.h"
#include "views/system_symbols.h"
#include "views/tray_icon_art.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <cmath>
#include <numbers>

namespace {

using namespace ui;

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
QColor onRing(const QImage& image, QPointF centre, double turn)
{
    const double angle = turn * 2 * std::numbers::pi;
    return at(image, centre + QPointF(std::sin(angle), -std::cos(angle)) * 41);
}

// The arc itself: the track under it and the glow around it are far fainter.
bool inked(const QImage& image, QPointF centre, double turn)
{
    return onRing(image, centre, turn).alpha() > 200;
}

// How far a colour's hue is from `degrees`, around the wheel.
double hueOff(const QColor& color, double degrees)
{
    const double apart = std::fmod(std::abs(color.hsvHueF() * 360 - degrees), 360);
    return std::min(apart, 360 - apart);
}

constexpr double red = 355, amber = 36, green = 136, teal = 166;

struct Panel : ::testing::Test {
    LaidOut tree()
    {
        ViewHost host(body);
        host.update(size, ColorScheme::Light, 0);
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
    const ViewHost::Body body = [this](ColorScheme scheme) {
        return views::BatteryPopupView(*monitor, scheme, [] {}, [] {});
    };
};

TEST_F(Panel, SectionsAndButtonsKeepTheirPlacesAndTheMainCardStandsOutInBothAppearances)
{
    const LaidOut all = tree();
    const LaidOut& padded = *findAll(all, "padding").front();
    const QRectF inner = padded.children.front().frame;
    EXPECT_EQ(padded.frame.adjusted(18, 18, -18, -18), inner) << "18 of padding on every edge";
    EXPECT_EQ(inner.left(), 18);
    EXPECT_EQ(inner.width(), 284);
    EXPECT_LE(inner.bottom(), 462);

    const auto& blocks = sections(all);
    ASSERT_EQ(blocks.size(), 4u);
    for (std::size_t i = 1; i < blocks.size(); ++i)
        EXPECT_NEAR(blocks[i].frame.top() - blocks[i - 1].frame.bottom(), 14, 1e-6) << "above section " << i;
    EXPECT_EQ(findAll(all, "Divider").size(), 3u) << "between the rows only";
    const auto buttons = findAll(blocks[3], "Button");
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_NEAR(buttons[0]->frame.left(), inner.left(), 1e-6);
    EXPECT_NEAR(buttons[1]->frame.right(), inner.right(), 1e-6);
    for (const LaidOut* button : buttons)
        EXPECT_EQ(button->frame, findAll(*button, "HStack").front()->frame.adjusted(-13, -6, 13, 6))
            << "the label padded 13 across and 6 down";

    // The ground is the window's, not the view's: lay the card's gray wash over one.
    const QPointF clear(blocks[1].frame.right() - 6, blocks[1].frame.center().y());
    const auto over = [&](ColorScheme scheme, int ground) {
        ViewHost host(body);
        const QColor wash = at(draw(host, size, 0, scheme), clear);
        return wash.lightness() * wash.alphaF() + ground * (1 - wash.alphaF());
    };
    EXPECT_GT(over(ColorScheme::Dark, 30), 31);
    EXPECT_LT(over(ColorScheme::Light, 236), 235);
}

TEST_F(Panel, NamesShrinkThenAreCutOnScreenButAreReadWholeInLayoutOrderWithTheRingAsAGauge)
{
    const LaidOut plain = tree();
    const std::string model = "MacBook Pro (16-inch, Nov 2023) Space Black Edition";
    const std::string device = "The Workshop Laptop of Somebody With A Very Long Name Indeed";
    const std::string sentence = "Alimentazione da batteria.\nNessun alimentatore collegato.";
    monitor->setPercentage(84);
    monitor->setPowerSource("Batteria");
    monitor->setHealthCapacity("84%");
    monitor->setCycleCount(412);
    monitor->setCondition("Normale");
    monitor->setModelName(model);
    monitor->setDeviceName(device);
    const LaidOut all = tree();
    const auto texts = findAll(sections(all)[0], "Text");
    ASSERT_EQ(texts.size(), 4u); // the model, two badges, the device
    const auto fitting = findAll(sections(plain)[0], "Text");
    for (const auto& [i, factor] : {std::pair<std::size_t, double>{0, 0.9}, {3, 0.85}}) {
        const std::string shown = texts[i]->traits().label;
        EXPECT_TRUE(shown.ends_with("\u2026") && shown.find('\n') == std::string::npos) << shown;
        // One line shrunk by a factor is that much lower than the line of a name that fits.
        EXPECT_NEAR(texts[i]->frame.height() / fitting[i]->frame.height(), factor, 1e-9) << shown;
    }
    EXPECT_EQ(texts[1]->traits().label, "Apple Silicon") << "the badges stay whole";
    EXPECT_LE(texts[0]->frame.right(), texts[1]->frame.left());
    const auto card = findAll(sections(all)[1], "Text"); // the figure, the title, the sentence
    ASSERT_EQ(card.size(), 3u);
    const std::string shown = card[2]->traits().label; // each line cut to the card
    EXPECT_TRUE(shown.starts_with("Alimentazione") && shown.find("\nNessun") != std::string::npos) << shown;
    EXPECT_GT(card[2]->frame.height(), 2 * 11) << "two lines of 11-point text";

    const auto elements = accessibleElements(all);
    std::vector<std::pair<AccessibleRole, std::string>> read;
    for (const auto& element : elements)
        read.emplace_back(element.traits.role, element.traits.name);
    using enum AccessibleRole;
    const std::vector<std::pair<AccessibleRole, std::string>> expected{
        {StaticText, model}, {StaticText, "Apple Silicon"}, {StaticText, monitor->memorySize()}, {StaticText, device},
        {ProgressBar, "Carica della batteria"}, {StaticText, "Batteria"}, {StaticText, sentence},
        {StaticText, "Alimentazione: Batteria"}, {StaticText, "Capacità Massima: 84%"},
        {StaticText, "Cicli di Ricarica: 412"}, {StaticText, "Stato Salute: Normale"},
        {Button, "Esci"}, {Button, "Aggiorna"},
    };
    EXPECT_EQ(read, expected);
    EXPECT_EQ(elements[4].traits.value, 84);
    EXPECT_EQ(elements[4].traits.description, "");
    EXPECT_EQ(elements[4].frame.size(), QSizeF(86, 86));
    EXPECT_TRUE(elements.back().frame.intersects(QRectF(160, 420, 160, 60))) << "the refresh button, bottom right";
    monitor->setIsCharging(true);
    EXPECT_EQ(accessibleElements(tree())[4].traits.description, "La batteria si sta caricando.");
}

// The window builds the views on this thread, where the monitor lives (its fields assert so), and
// lays them out and paints them on a thread of its own; ThreadSanitizer watches the hand-over.
TEST_F(Panel, TheWindowFollowsTheMonitorAcrossItsPaintingThread)
{
    HostingWidget widget(body);
    widget.observe(monitor->objectWillChange);
    widget.resize(size.toSize());
    const QImage before = widget.grab().toImage();
    monitor->setPercentage(15);
    EXPECT_NE(widget.grab().toImage(), before);
    EXPECT_EQ(findAll(widget.laidOut(), "CircularProgressRing").size(), 1u);
}

TEST(Ring, ArcColourFollowsTheLevelBandsAndRunsClockwiseAsFarAsTheLevel)
{
    const struct {
        std::int64_t percentage;
        bool charging;
        double hue;
        std::vector<double> inkedTurns, clearTurns;
    } cases[] = {
        {20, false, red, {0.04, 0.18}, {0.23, 0.5, 0.9}},
        {21, false, amber, {}, {}},
        {25, false, amber, {0.22}, {0.3, 0.5, 0.9}}, // nothing counter-clockwise of 12
        {50, false, amber, {0.47}, {0.55, 0.75}},
        {51, false, green, {}, {}},
        {100, false, green, {0.25, 0.5, 0.75, 0.96}, {}},
        {10, true, teal, {}, {0.15}},
        {90, true, teal, {0.85}, {0.95}},
    };
    constexpr QPointF centre(43, 43);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.percentage << (c.charging ? " charging" : ""));
        ViewHost host([&](ColorScheme) { return views::CircularProgressRing(c.percentage, c.charging).frame(86, 86); });
        const QImage image = draw(host, {86, 86}, 0);
        EXPECT_LT(hueOff(onRing(image, centre, 0.04), c.hue), 10);
        for (const double turn : c.inkedTurns)
            EXPECT_TRUE(inked(image, centre, turn)) << turn;
        for (const double turn : c.clearTurns)
            EXPECT_FALSE(inked(image, centre, turn)) << turn;
    }
}

TEST_F(Panel, ArcSpringsOnLevelChangesRecoloursAtOnceAndTheBoltPulsesWhileCharging)
{
    monitor->setPercentage(60);
    ViewHost host(body);
    draw(host, size, 0);
    EXPECT_FALSE(host.isAnimating(0));
    const QPointF centre = findAll(host.laidOut(), "CircularProgressRing").front()->frame.center();

    monitor->setPercentage(40);
    const QImage moving = draw(host, size, 0.1);
    EXPECT_TRUE(inked(moving, centre, 0.5)) << "still near 60 %";
    EXPECT_FALSE(inked(moving, centre, 0.68));
    const QImage settled = draw(host, size, 3);
    EXPECT_TRUE(inked(settled, centre, 0.37));
    EXPECT_FALSE(inked(settled, centre, 0.46));
    EXPECT_LT(hueOff(onRing(settled, centre, 0.04), amber), 10);
    EXPECT_FALSE(host.isAnimating(3)) << "settled: the clock may rest";

    monitor->setIsCharging(true);
    const QImage still = draw(host, size, 3); // the bolt appears and starts its pulse
    EXPECT_LT(hueOff(onRing(still, centre, 0.04), teal), 10) << "same level: no spring";
    EXPECT_FALSE(inked(still, centre, 0.46));
    const auto images = findAll(host.laidOut(), "Image");
    const auto bolt = std::ranges::find(images, "bolt.fill", [](const LaidOut* image) { return image->traits().label; });
    ASSERT_NE(bolt, images.end());
    const QRect area = QRectF((*bolt)->frame.topLeft() * 2, (*bolt)->frame.size() * 2).adjusted(-8, -8, 8, 8).toRect();
    EXPECT_TRUE(host.isAnimating(100));
    EXPECT_NE(draw(host, size, 3.8).copy(area), still.copy(area)) << "swollen";
    EXPECT_EQ(draw(host, size, 4.6).copy(area), still.copy(area)) << "back";

    monitor->setIsCharging(false);
    draw(host, size, 5);
    EXPECT_FALSE(host.isAnimating(5));
}

// The window repaints only where the views draw differently, after a change or in a frame of
// the pulse; anything they draw beyond that would stay stale on screen.
TEST_F(Panel, RepaintedWhereItChangedItMatchesThePanelPaintedWhole)
{
    ViewHost host(body);
    const auto paint = [&](QImage& image, std::optional<QRectF> part) {
        QPainter painter(&image);
        if (part) {
            painter.setClipRect(*part);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.fillRect(*part, Qt::transparent);
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        }
        host.paint(painter, ColorScheme::Light);
    };
    const auto blank = [] {
        QImage image((size * 2).toSize(), QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(2);
        image.fill(Qt::transparent);
        return image;
    };
    const auto apart = [](const QImage& a, const QImage& b) {
        int most = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x) {
                const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
                most = std::max({most, std::abs(qAlpha(p) - qAlpha(q)), std::abs(qRed(p) - qRed(q)),
                                 std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
            }
        return most;
    };
    QImage screen = blank();
    host.update(size, ColorScheme::Light, 0);
    paint(screen, std::nullopt);
    double now = 0;
    const std::function<void()> changes[] = {
        [&] { monitor->setPercentage(73); },   [&] { monitor->setPercentage(97); },
        [&] { monitor->setPercentage(20); },   [&] { monitor->setIsCharging(true); },
        [&] { monitor->setPercentage(100); },  [&] { monitor->setPercentage(60); },
        [&] { monitor->setIsCharging(false); }, [&] { monitor->setModelName("ThinkPad X1 Carbon Gen 9"); },
    };
    for (std::size_t i = 0; i < std::size(changes); ++i) {
        changes[i]();
        // The change, the spring that follows it, and the bolt's pulse once the tree stands still.
        for (const double after : {0.0, 0.05, 0.2, 3.0, 3.3, 3.6}) {
            SCOPED_TRACE(testing::Message() << "change " << i << ", " << after << " s after");
            const bool frame = after >= 3 && host.advanceAnimations(now + after);
            if (!frame)
                host.update(size, ColorScheme::Light, now + after);
            paint(screen, frame ? host.animatingBounds(now + after) : host.changedBounds());
            host.runAppearActions(); // the bolt's pulse starts as it appears
            QImage whole = blank();
            paint(whole, std::nullopt);
            EXPECT_LE(apart(screen, whole), 3);
        }
        now += 10;
    }
}

TEST(GlassButton, APressEasesIntoThePressedLookAndTheReleaseOnTheButtonRunsTheAction)
{
    int runs = 0;
    const View label = View().frame(60, 20);
    const auto style = views::GlassButtonStyle(true, ColorScheme::Light);
    ViewHost host([&](ColorScheme) { return Button([&] { ++runs; }, label, style); });
    ViewHost pressedLook([&](ColorScheme) { return style(label, true, false); });
    // The fill clear of the label and the outline.
    const auto fill = [&](ViewHost& of, double now) { return at(draw(of, {100, 40}, now), {16, 20}).alpha(); };
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
    EXPECT_EQ(runs, 0);
    host.release({50, 20});
    EXPECT_EQ(runs, 1);
    fill(host, 3); // the release eases back from here
    EXPECT_NEAR(fill(host, 3.2), released, 1);
    host.press({50, 20});
    host.release({2, 2});
    EXPECT_EQ(runs, 1) << "released elsewhere: no action";
}

// The bounds of the pixels with any ink in `within`.
QRect inkBounds(const QImage& image, const QRect& within)
{
    QRect bounds;
    for (int y = within.top(); y <= within.bottom(); ++y)
        for (int x = within.left(); x <= within.right(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

TEST(SystemSymbol, EachNameInksItsBoxWhereSaidInTheGivenColour)
{
    const QColor colour(200, 40, 90);
    std::vector<std::ptrdiff_t> levels; // the pixels battery.100 down to battery.0 ink
    for (const std::string_view name : {"battery.100.bolt", "battery.100", "battery.75", "battery.50", "battery.25",
                                        "battery.0", "bolt.fill", "powerplug.fill", "heart.text.square.fill",
                                        "arrow.triangle.2.circlepath", "checkmark.shield.fill", "power",
                                        "arrow.clockwise"}) {
        SCOPED_TRACE(name);
        const auto symbol = views::systemSymbol(name);
        ASSERT_TRUE(symbol);
        const QRectF box(QPointF(10, 10), ui::symbolSize(*symbol, 40));
        QImage image(64, 64, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        ui::drawSymbol(painter, *symbol, box, colour);
        painter.end();

        const QRect ink = inkBounds(image, image.rect());
        EXPECT_TRUE(box.adjusted(-1, -1, 1, 1).contains(ink));
        const QRectF said = ui::symbolInk(*symbol, 40).translated(box.topLeft());
        EXPECT_TRUE(said.adjusted(-1.5, -1.5, 1.5, 1.5).contains(QRectF(ink))) << "the ink within 1.5 of where said";
        EXPECT_TRUE(QRectF(ink).adjusted(-1.5, -1.5, 1.5, 1.5).contains(said));
        const auto* pixels = reinterpret_cast<const QRgb*>(image.constBits());
        EXPECT_NE(std::find(pixels, pixels + 64 * 64, colour.rgba()), pixels + 64 * 64) << "solid in the colour";
        if (name.starts_with("battery.") && !name.ends_with("bolt")) {
            levels.push_back(std::count_if(pixels, pixels + 64 * 64, [](QRgb pixel) { return qAlpha(pixel) > 128; }));
            // Lying down, the terminal on the right: a thin column there, a full one on the left.
            const auto column = [&](int x) { return inkBounds(image, QRect(x, 0, 1, 64)).height(); };
            EXPECT_GT(ink.width(), ink.height() * 1.5);
            EXPECT_LT(column(ink.right() - 1), column(ink.left() + 1) / 2);
        }
    }
    EXPECT_TRUE(std::ranges::adjacent_find(levels, std::less_equal()) == levels.end()) << "the fuller, the more ink";
    EXPECT_FALSE(views::systemSymbol("battery.110"));
    EXPECT_FALSE(views::systemSymbol(""));
}

TEST(TrayIcon, CarriesTheLevelInASquareWithClearCornersAndEdges)
{
    const std::pair<const char*, const char*> cases[] = {
        {"battery.0", " 5%"},  {"battery.50", " 38%"},    {"battery.100", " 100%"},
        {"battery.0", " -3%"}, {"battery.100", " 1000%"}, {"battery.100.bolt", " 100%"},
        {"none", " 72%"},
    };
    for (const int size : {16, 22, 44})
        for (const auto& [symbolName, level] : cases) {
            SCOPED_TRACE(testing::Message() << symbolName << level << " at " << size);
            const QImage image = views::trayIconImage(views::systemSymbol(symbolName), level, Qt::white, size);
            ASSERT_EQ(image.size(), QSize(size, size));
            // The outermost columns, corners and all, stay clear: digits cut off at the sides would ink them.
            EXPECT_TRUE(inkBounds(image, QRect(0, 0, 1, size)).isEmpty());
            EXPECT_TRUE(inkBounds(image, QRect(size - 1, 0, 1, size)).isEmpty());
            EXPECT_FALSE(inkBounds(image, QRect(0, size * 3 / 4, size, size / 4)).isEmpty());
        }
    // At 22 the level is tall enough to read, and one point more draws differently.
    const auto symbol = views::systemSymbol("battery.50");
    const QImage image = views::trayIconImage(symbol, " 38%", Qt::black, 22);
    EXPECT_GE(inkBounds(image, QRect(0, 11, 22, 11)).height(), 9);
    EXPECT_NE(image, views::trayIconImage(symbol, " 39%", Qt::black, 22));
}

TEST(PresentationRules, SentencesConditionColoursAndTints)
{
    using views::statusDescription;
    EXPECT_EQ(statusDescription(true, 100), "Alimentatore collegato.\nLa batteria si sta caricando.") << "charging wins";
    EXPECT_EQ(statusDescription(false, 100), "Batteria carica.\nAlimentazione da batteria.");
    for (const std::int64_t percentage : {99, 101})
        EXPECT_EQ(statusDescription(false, percentage), "Alimentazione da batteria.\nNessun alimentatore collegato.")
            << percentage;

    const std::pair<const char*, ui::Color> conditions[] = {
        {"Normale", Color::green()}, {"Assistenza consigliata", Color::orange()}, {"Sostituire presto", Color::orange()},
        {"Sostituire adesso", Color::red()}, {"normale", Color::gray()}, {"Normale ", Color::gray()},
        {"", Color::gray()},
    };
    for (const auto& [name, colour] : conditions)
        EXPECT_EQ(views::conditionColor(name), colour) << '"' << name << '"';

    EXPECT_EQ(views::schemeTint(ColorScheme::Dark, 0.08, 0.05), Color::white().opacity(0.08));
    EXPECT_EQ(views::schemeTint(ColorScheme::Light, 0.08, 0.05), Color::black().opacity(0.05));
}

} // namespace
