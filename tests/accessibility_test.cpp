// The panel as assistive technology and the keyboard meet it, in process: the elements taken
// from the laid-out tree, what Qt's accessibility hands out for them, and keys on a hosting widget.
#include "monitor/battery_monitor.h"
#include "platform/fake/child_process_launchers.h"
#include "platform/linux/plain_main_queue.h"
#include "ui/accessibility.h"
#include "ui/accessible_host.h"
#include "ui/hosting_widget.h"
#include "ui/stacks.h"
#include "ui/view_state.h"
#include "views/battery_popup_view.h"

#include <gtest/gtest.h>

#include <QAccessibleValueInterface>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include <map>

namespace {

using namespace ui;

class PanelElements : public ::testing::Test {
protected:
    PanelElements()
    {
        widget.observe(monitor->objectWillChange);
        monitor->setPercentage(84);
        monitor->setPowerSource("Batteria");
        monitor->setHealthCapacity("84%");
        monitor->setCycleCount(412);
        monitor->setCondition("Normale");
    }

    HostingWidget& shown()
    {
        widget.resize(320, 480);
        widget.grab(); // a render
        return widget;
    }

    std::shared_ptr<monitor::BatteryMonitor> monitor = monitor::BatteryMonitor::create({
        .computerName = [] { return std::optional<std::string>("Studio"); },
        .childProcesses = std::make_shared<platform::NoChildren>(),
        .mainQueue = std::make_shared<platform::PlainMainQueue>(),
        .profilerPath = "/nonexistent/system_profiler",
    });
    int refreshes = 0;
    HostingWidget widget{[this](ColorScheme scheme) {
        return views::BatteryPopupView(*monitor, scheme, [] {}, [this] { ++refreshes; });
    }};
};

TEST_F(PanelElements, ReadInLayoutOrderWithWholeNamesTheRingAsAGaugeAndEachRowAsOneLine)
{
    monitor->setModelName("MacBook Pro (16-inch, Nov 2023) Space Black Edition");
    const auto elements = accessibleElements(shown().laidOut());
    std::vector<std::pair<AccessibleRole, std::string>> read;
    for (const auto& element : elements)
        read.emplace_back(element.traits.role, element.traits.name);
    using enum AccessibleRole;
    const std::vector<std::pair<AccessibleRole, std::string>> expected{
        {StaticText, "MacBook Pro (16-inch, Nov 2023) Space Black Edition"}, // cut on screen, whole here
        {StaticText, "Apple Silicon"},
        {StaticText, monitor->memorySize()},
        {StaticText, monitor->deviceName()},
        {ProgressBar, "Carica della batteria"},
        {StaticText, "Batteria"},
        {StaticText, "Alimentazione da batteria.\nNessun alimentatore collegato."}, // both lines
        {StaticText, "Alimentazione: Batteria"},
        {StaticText, "Capacità Massima: 84%"},
        {StaticText, "Cicli di Ricarica: 412"},
        {StaticText, "Stato Salute: Normale"},
        {Button, "Esci"},
        {Button, "Aggiorna"},
    };
    EXPECT_EQ(read, expected);
    const auto& ring = elements[4];
    EXPECT_EQ(ring.traits.value, 84);
    EXPECT_EQ(ring.traits.description, "");
    EXPECT_EQ(ring.frame.size(), QSizeF(86, 86));
    EXPECT_TRUE(elements.back().frame.intersects(QRectF(160, 420, 160, 60))) << "the refresh button, bottom right";

    monitor->setIsCharging(true);
    EXPECT_EQ(accessibleElements(shown().laidOut())[4].traits.description, "La batteria si sta caricando.");
}

TEST_F(PanelElements, QtsInterfacesKeepTheirIdentityFollowTheMonitorAndPress)
{
    QAccessibleInterface* panel = QAccessible::queryAccessibleInterface(&shown());
    ASSERT_EQ(panel->childCount(), 13);
    QAccessibleInterface* ring = panel->child(4);
    EXPECT_EQ(ring->role(), QAccessible::ProgressBar);
    EXPECT_EQ(ring->text(QAccessible::Value), "84%");
    EXPECT_EQ(panel->indexOfChild(ring), 4);
    EXPECT_EQ(ring->parent(), panel);
    EXPECT_EQ(panel->childAt(ring->rect().center().x(), ring->rect().center().y()), ring);

    monitor->setPercentage(85);
    shown();
    accessibleTreeChanged(&widget);
    EXPECT_EQ(panel->child(4), ring) << "the same element, so a reader on it hears the change";
    EXPECT_EQ(ring->valueInterface()->currentValue().toDouble(), 85);

    QAccessibleInterface* refresh = panel->child(12);
    EXPECT_EQ(refresh->role(), QAccessible::PushButton);
    refresh->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QApplication::processEvents();
    EXPECT_EQ(refreshes, 1);
}

// Two buttons that record what they ran and whether their focus ring shows.
class Keyboard : public ::testing::Test {
protected:
    View button(const std::string& name)
    {
        return Button([this, name] { ran.push_back(name); }, View().frame(40, 20), [this, name](View label, bool, bool ring) {
            rings[name] = ring;
            return label;
        });
    }

    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(&widget, &press);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers);
        QApplication::sendEvent(&widget, &release);
        widget.grab();
    }

    std::vector<std::string> ran;
    std::map<std::string, bool> rings;
    HostingWidget widget{[this](ColorScheme) { return HStack(10, {button("a"), button("b")}); }};
};

TEST_F(Keyboard, TabWalksTheButtonsRoundEnterPressesAndTheRingShowsUntilTheMouseIsUsed)
{
    widget.resize(200, 40);
    widget.grab();
    EXPECT_EQ(rings, (std::map<std::string, bool>{{"a", false}, {"b", false}}));
    key(Qt::Key_Return);
    EXPECT_TRUE(ran.empty()) << "on no button yet";

    key(Qt::Key_Tab);
    EXPECT_EQ(rings, (std::map<std::string, bool>{{"a", true}, {"b", false}}));
    key(Qt::Key_Tab);
    EXPECT_EQ(rings, (std::map<std::string, bool>{{"a", false}, {"b", true}}));
    key(Qt::Key_Tab);
    EXPECT_TRUE(rings["a"]) << "round to the first";
    key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(rings["b"]);
    key(Qt::Key_Return);
    key(Qt::Key_Space);
    EXPECT_EQ(ran, (std::vector<std::string>{"b", "b"}));

    QMouseEvent click(QEvent::MouseButtonPress, QPointF(199, 39), QPointF(199, 39), Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(&widget, &click);
    widget.grab();
    EXPECT_EQ(rings, (std::map<std::string, bool>{{"a", false}, {"b", false}})) << "no ring while the mouse is used";
    key(Qt::Key_Space);
    EXPECT_EQ(ran.size(), 3u) << "the keyboard stays on its button";
    EXPECT_TRUE(rings["b"]);
}

} // namespace
