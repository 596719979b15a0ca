#include "platform/qt/compositor_work_area.h"
#include "platform/fake/status_bar.h"
#include "platform/qt/popup_window.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace {

using platform::PopupWindow;
using platform::RectEdge;

const QRect screen(0, 0, 1280, 800);
const QSize panel(320, 480);

TEST(PopupPlacement, OpensUnderAnIconInATopPanelCentredOnIt)
{
    EXPECT_EQ(PopupWindow::placement(QRect(600, 2, 22, 24), panel, screen, RectEdge::MinY), QRect(451, 26, 320, 480));
}

TEST(PopupPlacement, OpensAboveAnIconInABottomPanel)
{
    EXPECT_EQ(PopupWindow::placement(QRect(600, 776, 22, 24), panel, screen, RectEdge::MinY), QRect(451, 296, 320, 480));
}

TEST(PopupPlacement, StaysWholeOnTheIconsScreen)
{
    // Near the right edge, and on a second screen to the right of the first.
    EXPECT_EQ(PopupWindow::placement(QRect(1270, 0, 10, 24), panel, screen, RectEdge::MinY), QRect(960, 24, 320, 480));
    const QRect second(1280, 0, 1920, 1080);
    EXPECT_EQ(PopupWindow::placement(QRect(1285, 0, 22, 24), panel, second, RectEdge::MinY), QRect(1280, 24, 320, 480));
    // A screen too short for either side: the top of the panel stays visible.
    EXPECT_EQ(PopupWindow::placement(QRect(600, 200, 22, 24), panel, QRect(0, 0, 1280, 400), RectEdge::MinY).top(), 0);
}

TEST(PopupPlacement, HonoursTheOtherPreferredEdges)
{
    EXPECT_EQ(PopupWindow::placement(QRect(600, 600, 22, 24), panel, screen, RectEdge::MaxY).bottom(), 599);
    EXPECT_EQ(PopupWindow::placement(QRect(500, 300, 22, 24), panel, screen, RectEdge::MaxX).left(), 522);
    EXPECT_EQ(PopupWindow::placement(QRect(500, 300, 22, 24), panel, screen, RectEdge::MinX).right(), 499);
}

TEST(PopupPlacement, WithoutAPlaceForTheItemAtTheFarEndOfTheBar)
{
    const auto opened = [](QRect available) {
        return PopupWindow::placement(PopupWindow::barEnd(screen, available), panel, available, RectEdge::MinY);
    };
    EXPECT_EQ(opened(QRect(0, 30, 1280, 770)), QRect(960, 30, 320, 480)) << "under a top bar";
    EXPECT_EQ(opened(QRect(0, 0, 1280, 770)), QRect(960, 290, 320, 480)) << "above a bottom bar";
    EXPECT_EQ(opened(QRect(0, 0, 1240, 800)).right(), 1239) << "beside a bar on the right";
    EXPECT_EQ(opened(screen), QRect(960, 0, 320, 480)) << "no bar known: the top right";
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

} // namespace
