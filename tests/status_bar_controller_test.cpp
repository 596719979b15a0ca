#include "platform/fake/child_process_launchers.h"
#include "platform/fake/popover.h"
#include "platform/fake/power_sources.h"
#include "platform/fake/repeating_timer.h"
#include "platform/fake/status_bar.h"
#include "platform/linux/plain_main_queue.h"
#include "statusbar/status_bar_controller.h"

#include <gtest/gtest.h>

namespace {

using platform::StatusImage;
using Log = std::vector<std::string>;

class StatusBarControllerTest : public ::testing::Test {
protected:
    StatusBarControllerTest()
    {
        popover->onShow = [this] { popover->log.back() += " after " + std::to_string(refreshes()) + " refreshes"; };
        monitor = monitor::BatteryMonitor::create({
            .computerName = [] { return std::optional<std::string>("box"); },
            .powerSources = powerSources,
            .childProcesses = std::make_shared<platform::NoChildren>(),
            .mainQueue = mainQueue,
            .profilerPath = "/unused",
        });
        powerSources->reads = 0;
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
                .scheduleTimer = timer.scheduler(),
                .mainQueue = mainQueue,
            });
    }

    platform::FakeStatusItemButton& button() { return statusBar->item->fakeButton(); }
    int refreshes() const { return powerSources->reads; }
    void tick() { timer.tick(); }

    bool symbolsAvailable = true;
    std::shared_ptr<platform::FakePowerSources> powerSources =
        std::make_shared<platform::FakePowerSources>(platform::PowerSourceSnapshot{platform::internalBattery(72, false)});
    std::shared_ptr<platform::PlainMainQueue> mainQueue = std::make_shared<platform::PlainMainQueue>();
    std::shared_ptr<platform::FakeStatusBar> statusBar = std::make_shared<platform::FakeStatusBar>();
    std::shared_ptr<platform::FakePopover> popover = std::make_shared<platform::FakePopover>();
    std::shared_ptr<monitor::BatteryMonitor> monitor;
    platform::FakeTimer timer;
};

TEST_F(StatusBarControllerTest, FirstUpdateIsRequestedAtConstructionAndShownOneTurnLater)
{
    const auto controller = makeController();
    EXPECT_EQ(statusBar->lengths, std::vector<double>{-1});
    EXPECT_TRUE(button().action);
    EXPECT_EQ(refreshes(), 1);
    EXPECT_TRUE(button().log.empty()) << "title and image wait for the queued task";
    EXPECT_EQ(timer.interval, std::chrono::milliseconds(10'000));

    mainQueue->drain();
    EXPECT_EQ(button().log,
              (Log{"title 72%", "image battery.75 template \"Stato Batteria\"", "image left", "tooltip "}));
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
    powerSources->reading = platform::PowerSourceSnapshot{platform::internalBattery(14, false)};
    tick();
    EXPECT_EQ(refreshes(), 2);
    mainQueue->drain();
    EXPECT_EQ(button().log.size(), 8u);
    EXPECT_EQ(button().log[4], "title 14%");
    EXPECT_EQ(button().log[5], "image battery.0 template \"Stato Batteria\"");

    tick();
    mainQueue->drain();
    EXPECT_EQ(button().log.size(), 12u) << "a tick rewrites the item even when nothing changed";
}

TEST_F(StatusBarControllerTest, APushedChangeShowsAtOnceAndOneItDoesNotShowRedrawsNothing)
{
    const auto controller = makeController();
    mainQueue->drain();
    auto unplugged = platform::internalBattery(30, false);
    unplugged["Time to Empty"] = std::int64_t{4800};
    const platform::PowerSourceDescription mouse = {{"Type", std::string("DeviceBattery")}, {"Kind", std::string("mouse")},
                                                    {"Name", std::string("MX Master")}, {"Current Capacity", std::int64_t{55}}};
    powerSources->reading = platform::PowerSourceSnapshot{unplugged, mouse};

    powerSources->change();
    EXPECT_EQ(mainQueue->drain(), 1u) << "every write of the change in one task";
    EXPECT_EQ(refreshes(), 2) << "the push read the sources; no refresh, no profiler run";
    EXPECT_EQ(Log(button().log.begin() + 4, button().log.end()),
              (Log{"title 30%", "image battery.25 template \"Stato Batteria\"", "image left",
                   "tooltip circa 1 h 20 min rimanenti\nMouse MX Master: 55%"}));

    monitor->setCycleCount(12);
    powerSources->change();
    mainQueue->drain();
    EXPECT_EQ(button().log.size(), 8u);
}

TEST_F(StatusBarControllerTest, AMissingSymbolLeavesTheImageButNotTheTitle)
{
    symbolsAvailable = false;
    const auto controller = makeController();
    mainQueue->drain();
    EXPECT_EQ(button().log, (Log{"title 72%", "tooltip "}));
}

TEST_F(StatusBarControllerTest, WithoutAButtonThereIsNoActionAndNoFirstUpdate)
{
    statusBar->item = std::make_shared<platform::FakeStatusItem>(false);
    const auto controller = makeController();
    EXPECT_EQ(refreshes(), 0);
    EXPECT_TRUE(timer.tick) << "the timer runs all the same";
    tick();
    EXPECT_EQ(refreshes(), 1);
    EXPECT_EQ(mainQueue->drain(), 1u);
    controller->showPopover(nullptr);
    EXPECT_EQ(refreshes(), 1) << "opening needs a button to open under";
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
    EXPECT_EQ(refreshes(), 2) << "closing does not refresh";

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
    EXPECT_EQ(refreshes(), 1);
    EXPECT_TRUE(popover->log.empty());
}

} // namespace
