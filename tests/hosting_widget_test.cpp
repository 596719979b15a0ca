// The hosting widget, which lays out and paints on a thread of its own: what Qt's accessibility
// hands out for its views, keys on its buttons, and what it paints again after a change.
#include "ui/accessibility.h"
#include "ui/accessible_host.h"
#include "ui/hosting_widget.h"
#include "ui/stacks.h"
#include "ui/text.h"

#include <gtest/gtest.h>

#include <QAccessibleValueInterface>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>

namespace {

using namespace ui;

TEST(AccessibleHost, QtsInterfacesKeepTheirIdentityFollowTheViewsAndPress)
{
    double level = 84;
    int presses = 0;
    HostingWidget widget([&](ColorScheme) {
        const AccessibleTraits gauge{AccessibleRole::ProgressBar, "Carica", level > 84 ? "In carica" : "", level};
        return VStack(Alignment::Leading, 10, {View(Text("Batteria")), accessibilityElement(View().frame(86, 86), gauge),
                                               Button([&] { ++presses; }, Text("Aggiorna"), [](View label, bool, bool) { return label; })});
    });
    widget.resize(200, 200);
    widget.grab(); // a render
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(&widget);
    ASSERT_EQ(root->childCount(), 3);
    QAccessibleInterface* gauge = root->child(1);
    EXPECT_EQ(gauge->role(), QAccessible::ProgressBar);
    EXPECT_EQ(gauge->text(QAccessible::Name), "Carica");
    EXPECT_EQ(gauge->text(QAccessible::Value), "84%");
    EXPECT_EQ(root->indexOfChild(gauge), 1);
    EXPECT_EQ(gauge->parent(), root);
    EXPECT_EQ(root->childAt(gauge->rect().center().x(), gauge->rect().center().y()), gauge);

    level = 85;
    widget.invalidate();
    widget.grab();
    accessibleTreeChanged(&widget);
    EXPECT_EQ(root->child(1), gauge) << "the same element, so a reader on it hears the change";
    EXPECT_EQ(gauge->valueInterface()->currentValue().toDouble(), 85);
    EXPECT_EQ(gauge->text(QAccessible::Description), "In carica");

    QAccessibleInterface* button = root->child(2);
    EXPECT_EQ(button->role(), QAccessible::PushButton);
    EXPECT_EQ(button->text(QAccessible::Name), "Aggiorna");
    button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(presses, 0) << "run from the event loop, after the reader's call returns";
    QApplication::processEvents();
    EXPECT_EQ(presses, 1);
}

TEST(Keyboard, TabWalksTheButtonsRoundEnterPressesAndTheRingShowsUntilTheMouseIsUsed)
{
    std::string ran, ringOn;
    const auto button = [&](const std::string& name) {
        return Button([&ran, name] { ran += name; }, View().frame(40, 20), [&ringOn, name](View label, bool, bool ring) {
            if (ring)
                ringOn += name;
            return label;
        });
    };
    HostingWidget widget([&](ColorScheme) { return HStack(10, {button("a"), button("b"), button("c")}); });
    widget.resize(200, 40);
    // Sends the key, and returns which button shows the focus ring after the next render.
    const auto key = [&](int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers), release(QEvent::KeyRelease, key, modifiers);
        QApplication::sendEvent(&widget, &press);
        QApplication::sendEvent(&widget, &release);
        ringOn.clear();
        widget.grab();
        return ringOn;
    };
    EXPECT_EQ(key(Qt::Key_Return), "");
    EXPECT_EQ(ran, "") << "on no button yet";
    EXPECT_EQ(key(Qt::Key_Tab), "a");
    EXPECT_EQ(key(Qt::Key_Tab), "b");
    EXPECT_EQ(key(Qt::Key_Tab), "c");
    EXPECT_EQ(key(Qt::Key_Tab), "a") << "round to the first";
    EXPECT_EQ(key(Qt::Key_Backtab, Qt::ShiftModifier), "c") << "and back round to the last";
    EXPECT_EQ(key(Qt::Key_Backtab, Qt::ShiftModifier), "b");
    key(Qt::Key_Return);
    key(Qt::Key_Space);
    EXPECT_EQ(ran, "bb");

    QMouseEvent click(QEvent::MouseButtonPress, QPointF(199, 39), QPointF(199, 39), Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(&widget, &click);
    ringOn.clear();
    widget.grab();
    EXPECT_EQ(ringOn, "") << "no ring while the mouse is used";
    EXPECT_EQ(key(Qt::Key_Space), "b") << "the keyboard stays on its button";
    EXPECT_EQ(ran, "bbb");
}

TEST(Repaint, TheWindowPaintsWhatChangedAndNoMore)
{
    std::string word = "72%";
    HostingWidget widget([&](ColorScheme) {
        return View(VStack(0, {View(Text(word)).frame(100, 40), View(Text("Batteria")).frame(100, 40)}));
    });
    struct Recorder : QObject {
        QRegion painted;
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Paint)
                painted += static_cast<QPaintEvent*>(event)->region();
            return false;
        }
    } recorder;
    widget.installEventFilter(&recorder);
    widget.resize(100, 80);
    widget.show();
    const auto settle = [&] {
        recorder.painted = {};
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        return recorder.painted;
    };
    settle();

    word = "73%";
    widget.invalidate();
    const QRegion repainted = settle();
    const QRect first = findAll(widget.laidOut(), "Text").at(0)->frame.toAlignedRect();
    const QRect second = findAll(widget.laidOut(), "Text").at(1)->frame.toAlignedRect();
    EXPECT_TRUE(repainted.contains(first));
    EXPECT_FALSE(repainted.contains(second)) << "the other text did not change";

    // A paint for another part that comes first still leads to the changed part being painted.
    word = "74%";
    widget.invalidate();
    widget.repaint(second);
    EXPECT_TRUE(settle().contains(first));
}

} // namespace
