#include "platform/linux/plain_main_queue.h"
#include "statusbar/status_bar_controller.h"

#include <gtest/gtest.h>

namespace {

using platform::Rect;
using platform::StatusImage;
using platform::StatusItemButton;
using Log = std::vector<std::string>;

class FakeButton final : public StatusItemButton {
public:
    void setAction(Action a) override { action = std::move(a); }
    void setTitle(std::string title) override { log.push_back("title" + title); }
    void setImage(StatusImage image) override
    {
        log.push_back("image " + image.symbolName + (image.isTemplate ? " template" : "") + " \""
                      + image.accessibilityDescription + "\"");
    }
    void setImagePosition(platform::ImagePosition position) override
    {
        log.push_back(position == platform::ImagePosition::ImageLeft ? "image left" : "image elsewhere");
    }
    Rect bounds() const override { return {0, 0, 30, 22}; }
    std::optional<Rect> rectOnScreen(Rect) const override { return std::nullopt; }

    Action action;
    Log log;
};

class FakeStatusItem final : public platform::StatusItem {
public:
    explicit FakeStatusItem(bool withButton) : withButton_(withButton) {}
    StatusItemButton* button() override { return withButton_ ? &button_ : nullptr; }
    FakeButton& fake() { return button_; }

private:
    bool withButton_;
    FakeButton button_;
};

class FakeStatusBar final : public platform::StatusBar {
public:
    std::shared_ptr<platform::StatusItem> statusItem(double length) override
    {
        lengths.push_back(length);
        return item;
    }
    std::shared_ptr<FakeStatusItem> item = std::make_shared<FakeStatusItem>(true);
    std::vector<double> lengths;
};

class FakePopover final : public platform::Popover {
public:
    bool isShown() const override { return shown; }
    void show(Rect rect, const StatusItemButton&, platform::RectEdge edge) override
    {
        shown = true;
        log.push_back("show " + std::to_string(int(rect.width)) + "x" + std::to_string(int(rect.height)) + " edge "
                      + std::to_string(int(edge)) + " after " + std::to_string(*refreshes) + " refreshes");
    }
    void performClose(StatusItemButton* sender) override
    {
        shown = false;
        log.push_back(sender ? "close from button" : "close");
    }
    void makeContentWindowKey() override { log.push_back("make key"); }

    bool shown = false;
    Log log;
    std::shared_ptr<int> refreshes;
};

class NoChildren final : public platform::ChildProcessLauncher {
public:
    std::optional<platform::LaunchFailure> launch(const std::string&, const std::vector<std::string>&,
                                                  TerminationHandler) override
    {
        return std::nullopt;
    }
};

class StatusBarControllerTest : public ::testing::Test {
protected:
    StatusBarControllerTest()
    {
        popover->refreshes = refreshes;
        monitor = monitor::BatteryMonitor::create({
            .computerName = [] { return std::optional<std::string>("box"); },
            .powerSources = [this] {
                ++*refreshes;
                return std::optional(platform::PowerSourceSnapshot{{{"Type", std::string("InternalBattery")},
                                                                    {"Current Capacity", level},
                                                                    {"Is Charging", charging}}});
            },
            .childProcesses = std::make_shared<NoChildren>(),
            .mainQueue = mainQueue,
            .profilerPath = "/unused",
        });
        *refreshes = 0;
    }

    std::shared_ptr<statusbar::StatusBarController> makeController()
    {
        return statusbar::StatusBarController::create(
            popover, monitor,
            {
                .statusBar = statusBar,
                .systemSymbolImage = [this](const std::string& name, const std::string& description)
                    -> std::optional<StatusImage> {
                    if (!symbolsAvailable)
                        return std::nullopt;
                    return StatusImage{name, description, false};
                },
                .scheduleTimer = [this](std::chrono::milliseconds interval, std::function<void()> block) {
                    timerInterval = interval;
                    tick = std::move(block);
                    return std::make_shared<platform::RepeatingTimer>();
                },
                .mainQueue = mainQueue,
            });
    }

    FakeButton& button() { return statusBar->item->fake(); }

    std::int64_t level = 72;
    bool charging = false;
    bool symbolsAvailable = true;
    std::shared_ptr<int> refreshes = std::make_shared<int>(0);
    std::shared_ptr<platform::PlainMainQueue> mainQueue = std::make_shared<platform::PlainMainQueue>();
    std::shared_ptr<FakeStatusBar> statusBar = std::make_shared<FakeStatusBar>();
    std::shared_ptr<FakePopover> popover = std::make_shared<FakePopover>();
    std::shared_ptr<monitor::BatteryMonitor> monitor;
    std::optional<std::chrono::milliseconds> timerInterval;
    std::function<void()> tick;
};

TEST_F(StatusBarControllerTest, FirstUpdateIsRequestedAtConstructionAndShownOneTurnLater)
{
    const auto controller = makeController();
    EXPECT_EQ(statusBar->lengths, std::vector<double>{-1});
    EXPECT_TRUE(button().action);
    EXPECT_EQ(*refreshes, 1);
    EXPECT_TRUE(button().log.empty()) << "title and image wait for the queued task";
    EXPECT_EQ(timerInterval, std::chrono::milliseconds(10'000));

    mainQueue->drain();
    EXPECT_EQ(button().log, (Log{"title 72%", "image battery.75 template \"Stato Batteria\"", "image left"}));
}

TEST_F(StatusBarControllerTest, TheQueuedTaskShowsTheMonitorAsItIsWhenItRuns)
{
    const auto controller = makeController();
    monitor->setPercentage(5);
    monitor->setIsCharging(true);
    mainQueue->drain();
    EXPECT_EQ(button().log.front(), "title 5%");
    EXPECT_EQ(button().log[1], "image battery.100.bolt template \"Stato Batteria\"");
}

TEST_F(StatusBarControllerTest, EveryTickRefreshesAndRewritesTitleAndImage)
{
    const auto controller = makeController();
    mainQueue->drain();
    level = 14;
    tick();
    EXPECT_EQ(*refreshes, 2);
    mainQueue->drain();
    EXPECT_EQ(button().log.size(), 6u);
    EXPECT_EQ(button().log[3], "title 14%");
    EXPECT_EQ(button().log[4], "image battery.0 template \"Stato Batteria\"");
}

TEST_F(StatusBarControllerTest, AMissingSymbolLeavesTheImageButNotTheTitle)
{
    symbolsAvailable = false;
    const auto controller = makeController();
    mainQueue->drain();
    EXPECT_EQ(button().log, Log{"title 72%"});
}

TEST_F(StatusBarControllerTest, WithoutAButtonThereIsNoActionAndNoFirstUpdate)
{
    statusBar->item = std::make_shared<FakeStatusItem>(false);
    const auto controller = makeController();
    EXPECT_EQ(*refreshes, 0);
    EXPECT_TRUE(tick) << "the timer runs all the same";
    tick();
    EXPECT_EQ(*refreshes, 1);
    EXPECT_EQ(mainQueue->drain(), 1u);
    controller->showPopover(nullptr);
    EXPECT_EQ(*refreshes, 1) << "opening needs a button to open under";
    EXPECT_TRUE(popover->log.empty());
}

TEST_F(StatusBarControllerTest, AClickOpensAfterARefreshAndTheNextOneCloses)
{
    const auto controller = makeController();
    mainQueue->drain();
    const auto titleAndImage = button().log;

    button().action(&button());
    EXPECT_EQ(popover->log, (Log{"show 30x22 edge 1 after 2 refreshes", "make key"}));
    button().action(&button());
    EXPECT_EQ(popover->log.back(), "close from button");
    EXPECT_EQ(*refreshes, 2) << "closing does not refresh";

    mainQueue->drain();
    EXPECT_EQ(button().log, titleAndImage) << "opening leaves the title and image alone";
}

TEST_F(StatusBarControllerTest, TimerAndQueuedTaskHoldTheControllerWeakly)
{
    auto controller = makeController();
    std::weak_ptr<statusbar::StatusBarController> weak = controller;
    controller.reset();
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(mainQueue->drain(), 1u);
    EXPECT_TRUE(button().log.empty());
    tick();
    button().action(&button());
    EXPECT_EQ(*refreshes, 1);
    EXPECT_TRUE(popover->log.empty());
}

} // namespace
