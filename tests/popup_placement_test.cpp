#include "platform/fake/status_bar.h"
#include "platform/qt/compositor_work_area.h"
#include "platform/qt/popup_window.h"
#include "platform/qt/qt_main_queue.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <thread>

namespace {

using platform::PopupWindow;
using platform::RectEdge;

const QRect screen(0, 0, 1280, 800);
const QSize panel(320, 480);

TEST(PopupPlacement, OnThePreferredSideWhereItFitsElseTheOtherAlwaysWholeOnTheScreen)
{
    const struct {
        const char* what;
        QRect anchor, area;
        QSize size;
        RectEdge edge;
        QRect expected;
    } cases[] = {
        {"under an icon in a top bar", {600, 2, 22, 24}, screen, panel, RectEdge::MinY, {451, 26, 320, 480}},
        {"above an icon in a bottom bar", {600, 776, 22, 24}, screen, panel, RectEdge::MinY, {451, 296, 320, 480}},
        {"above", {600, 600, 22, 24}, screen, panel, RectEdge::MaxY, {451, 120, 320, 480}},
        {"right", {500, 300, 22, 24}, screen, panel, RectEdge::MaxX, {522, 72, 320, 480}},
        {"left", {500, 300, 22, 24}, screen, panel, RectEdge::MinX, {180, 72, 320, 480}},
        {"near the right edge", {1270, 0, 10, 24}, screen, panel, RectEdge::MinY, {960, 24, 320, 480}},
        {"on a second screen", {1285, 0, 22, 24}, {1280, 0, 1920, 1080}, panel, RectEdge::MinY, {1280, 24, 320, 480}},
        {"a screen too short: the top stays visible", {600, 200, 22, 24}, {0, 0, 1280, 400}, panel, RectEdge::MinY,
         {451, 0, 320, 480}},
        // Room on neither side: the preferred side, pushed back onto the screen (both axes share the rule).
        {"neither side, below", {40, 40, 10, 10}, {0, 0, 100, 100}, {60, 60}, RectEdge::MinY, {15, 40, 60, 60}},
        {"neither side, above", {40, 40, 10, 10}, {0, 0, 100, 100}, {60, 60}, RectEdge::MaxY, {15, 0, 60, 60}},
        // No place for the item: at the far end of the bar.
        {"under a top bar", PopupWindow::barEnd(screen, {0, 30, 1280, 770}), {0, 30, 1280, 770}, panel, RectEdge::MinY,
         {960, 30, 320, 480}},
        {"above a bottom bar", PopupWindow::barEnd(screen, {0, 0, 1280, 770}), {0, 0, 1280, 770}, panel, RectEdge::MinY,
         {960, 290, 320, 480}},
        {"beside a bar on the right", PopupWindow::barEnd(screen, {0, 0, 1240, 800}), {0, 0, 1240, 800}, panel,
         RectEdge::MinY, {920, 1, 320, 480}},
        {"no bar known: the top right", PopupWindow::barEnd(screen, screen), screen, panel, RectEdge::MinY, {960, 0, 320, 480}},
    };
    for (const auto& each : cases)
        EXPECT_EQ(PopupWindow::placement(each.anchor, each.size, each.area, each.edge), each.expected) << each.what;
}

TEST(CompositorWorkArea, TheFocusedWorkspaceLeavesOutTheBars)
{
    const QByteArray answer = R"([{"num": 1, "focused": false, "rect": {"x": 1280, "y": 0, "width": 1920, "height": 1080}},
                                  {"num": 2, "focused": true, "rect": {"x": 0, "y": 30, "width": 1024, "height": 738}}])";
    EXPECT_EQ(platform::focusedWorkspaceRect(answer), QRect(0, 30, 1024, 738));
    for (const QByteArray& junk : {QByteArray("[]"), QByteArray("{"), QByteArray(R"([{"focused": true, "rect": 5}])"),
                                  QByteArray(R"([{"focused": true, "rect": {"width": -1, "height": 10}}])")})
        EXPECT_EQ(platform::focusedWorkspaceRect(junk), std::nullopt) << junk.toStdString();
}

TEST(PopupWindowLife, ClosedItKeepsNoWindowAndOpensAgainWithOne)
{
    PopupWindow popup("panel");
    popup.setContentSize(panel);
    popup.setContent(std::make_unique<QWidget>());
    const platform::FakeStatusItemButton item;
    for (int opening = 0; opening < 2; ++opening) {
        popup.show({}, item, RectEdge::MinY);
        ASSERT_TRUE(popup.isShown());
        EXPECT_NE(popup.window()->windowHandle(), nullptr);
        popup.performClose(nullptr);
        QCoreApplication::processEvents();
        EXPECT_FALSE(popup.isShown());
        EXPECT_EQ(popup.window()->windowHandle(), nullptr) << "opening " << opening;
    }
}

TEST(QtMainQueue, TasksRunOnTheLoopAndAreDroppedOnceTheContextIsGone)
{
    auto context = std::make_unique<QObject>();
    platform::QtMainQueue queue(context.get());
    int ran = 0;
    queue.async([&ran] { ++ran; });
    std::thread([&] { queue.async([&ran] { ++ran; }); }).join();
    QCoreApplication::processEvents();
    EXPECT_EQ(ran, 2) << "from the main thread and from another";

    queue.async([&ran] { ++ran; }); // queued, then its context goes
    context.reset();
    queue.async([&ran] { ++ran; }); // after: must not touch the freed context
    std::thread([&] { queue.async([&ran] { ++ran; }); }).join();
    QCoreApplication::processEvents();
    EXPECT_EQ(ran, 2);
}

} // namespace
