// The tray item: its symbol, title and tool tip, the controller that writes them and opens the
// panel, and the low-battery notifications.
#include "platform/fake/child_process_launchers.h"
#include "platform/fake/notifications.h"
#include "platform/fake/popover.h"
#include "platform/fake/power_sources.h"
#include "platform/fake/repeating_timer.h"
#include "platform/fake/status_bar.h"
#include "platform/linux/plain_main_queue.h"
#include "statusbar/battery_symbol.h"
#include "statusbar/low_battery_notifier.h"
#include "statusbar/status_bar_controller.h"
#include "statusbar/status_tool_tip.h"

#include <gtest/gtest.h>

namespace {

using Log = std::vector<std::string>;

TEST(SymbolName, LevelBandsHaveStrictLowerBoundsAndChargingShowsTheBolt)
{
    const std::tuple<std::int64_t, bool, const char*> cases[] = {
        {100, false, "battery.100"}, {90, false, "battery.100"}, {89, false, "battery.75"}, {65, false, "battery.75"},
        {64, false, "battery.50"},   {35, false, "battery.50"},  {34, false, "battery.25"}, {15, false, "battery.25"},
        {14, false, "battery.0"},    {-3, false, "battery.0"},   {250, false, "battery.100"}, {5, true, "battery.100.bolt"},
        {100, true, "battery.100.bolt"},
    };
    for (const auto& [percentage, charging, symbol] : cases) {
        SCOPED_TRACE(testing::Message() << percentage << (charging ? " charging" : ""));
        EXPECT_EQ(statusbar::symbolName(percentage, charging), symbol);
    }
    EXPECT_EQ(statusbar::statusTitle(100), " 100%");
    EXPECT_EQ(statusbar::statusTitle(-1), " -1%");
}

TEST(StatusToolTip, SaysTheTimeAsPeopleDoThenEachPeripheral)
{
    const std::pair<std::int64_t, const char*> durations[] = {
        {29, "1 min"}, {89, "1 min"}, {90, "2 min"}, {2100, "35 min"}, {3599, "1 h"}, {4800, "1 h 20 min"}, {7200, "2 h"},
    };
    for (const auto& [seconds, text] : durations)
        EXPECT_EQ(statusbar::durationText(seconds), text) << seconds;

    monitor::PowerOutlook outlook{.timeToEmpty = 4800, .timeToFull = 2100, .peripherals = {}, .warningLevel = {}};
    EXPECT_EQ(statusbar::statusToolTip(outlook, false), "circa 1 h 20 min rimanenti");
    EXPECT_EQ(statusbar::statusToolTip(outlook, true), "carica completa tra 35 min");
    outlook = {.timeToEmpty = 4800,
               .timeToFull = std::nullopt,
               .peripherals = {{"MX Master", "mouse", 55, {}}, {"Wireless Mouse", "mouse", 12, {}}, {"", "keyboard", 80, {}},
                               {"Pod", "strange", 40, {}}, {"Mute", "headset", std::nullopt, {}}},
               .warningLevel = {}};
    EXPECT_EQ(statusbar::statusToolTip(outlook, true), "Mouse MX Master: 55%\nWireless Mouse: 12%\nTastiera: 80%\n"
                                                       "Dispositivo Pod: 40%")
        << "no time to empty while charging, and no line without a level";
}

struct Tray : ::testing::Test {
    Tray()
    {
        popover->onShow = [this] { popover->log.back() += " after " + std::to_string(powerSources->reads) + " refreshes"; };
        powerSources->reads = 0;
    }

    std::shared_ptr<statusbar::StatusBarController> makeController()
    {
        const auto symbol = [this](const std::string& name, const std::string& description) {
            return symbolsAvailable ? std::optional(platform::StatusImage{name, description, false}) : std::nullopt;
        };
        return statusbar::StatusBarController::create(
            popover, monitor, {.statusBar = statusBar, .systemSymbolImage = symbol, .scheduleTimer = timer.scheduler(), .mainQueue = mainQueue});
    }

    platform::FakeStatusItemButton& button() { return statusBar->item->fakeButton(); }

    bool symbolsAvailable = true;
    std::shared_ptr<platform::FakePowerSources> powerSources =
        std::make_shared<platform::FakePowerSources>(platform::PowerSourceSnapshot{platform::internalBattery(72, false)});
    std::shared_ptr<platform::PlainMainQueue> mainQueue = std::make_shared<platform::PlainMainQueue>();
    std::shared_ptr<platform::FakeStatusBar> statusBar = std::make_shared<platform::FakeStatusBar>();
    std::shared_ptr<platform::FakePopover> popover = std::make_shared<platform::FakePopover>();
    platform::FakeTimer timer;
    std::shared_ptr<monitor::BatteryMonitor> monitor = monitor::BatteryMonitor::create({
        .computerName = [] { return std::optional<std::string>("box"); },
        .powerSources = powerSources,
        .childProcesses = std::make_shared<platform::NoChildren>(),
        .mainQueue = mainQueue,
        .profilerPath = "/unused",
    });
};

TEST_F(Tray, FirstUpdateIsRequestedAtOnceAndShowsTheMonitorAsItIsWhenTheQueuedTaskRuns)
{
    const auto controller = makeController();
    EXPECT_EQ(statusBar->lengths, std::vector<double>{-1});
    EXPECT_EQ(powerSources->reads, 1);
    EXPECT_TRUE(button().log.empty()) << "title and image wait for the queued task";
    EXPECT_EQ(timer.interval, std::chrono::milliseconds(10'000));

    monitor->setPercentage(5);
    monitor->setIsCharging(true);
    EXPECT_EQ(mainQueue->drain(), 1u);
    EXPECT_EQ(button().log, (Log{"title 5%", "image battery.100.bolt template \"Stato Batteria\"", "image left", "tooltip "}));
}

TEST_F(Tray, EveryTickRefreshesAndRewritesTheItemEvenWhenNothingChangedAndAMissingSymbolLeavesTheImage)
{
    const auto controller = makeController();
    mainQueue->drain();
    powerSources->reading = platform::PowerSourceSnapshot{platform::internalBattery(14, false)};
    for (const bool symbols : {true, true, false}) {
        symbolsAvailable = symbols;
        timer.tick();
        mainQueue->drain();
    }
    EXPECT_EQ(powerSources->reads, 4);
    const std::string image = "image battery.0 template \"Stato Batteria\"";
    EXPECT_EQ(Log(button().log.begin() + 4, button().log.end()),
              (Log{"title 14%", image, "image left", "tooltip ", "title 14%", image, "image left", "tooltip ", "title 14%", "tooltip "}));
}

TEST_F(Tray, APushedChangeShowsAtOnceAndOneItDoesNotShowRedrawsNothing)
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
    EXPECT_EQ(powerSources->reads, 2) << "the push read the sources; no refresh, no profiler run";
    EXPECT_EQ(Log(button().log.begin() + 4, button().log.end()),
              (Log{"title 30%", "image battery.25 template \"Stato Batteria\"", "image left",
                   "tooltip circa 1 h 20 min rimanenti\nMouse MX Master: 55%"}));

    monitor->setCycleCount(12);
    powerSources->change();
    mainQueue->drain();
    EXPECT_EQ(button().log.size(), 8u);
}

TEST_F(Tray, WithoutAButtonThereIsNoActionAndNoFirstUpdate)
{
    statusBar->item = std::make_shared<platform::FakeStatusItem>(false);
    const auto controller = makeController();
    EXPECT_EQ(powerSources->reads, 0);
    ASSERT_TRUE(timer.tick) << "the timer runs all the same";
    timer.tick();
    EXPECT_EQ(powerSources->reads, 1);
    EXPECT_EQ(mainQueue->drain(), 1u);
    controller->showPopover(nullptr);
    EXPECT_EQ(powerSources->reads, 1) << "opening needs a button to open under";
    EXPECT_TRUE(popover->log.empty());
}

TEST_F(Tray, AClickOpensAfterARefreshAndTheNextOneCloses)
{
    const auto controller = makeController();
    mainQueue->drain();
    const auto titleAndImage = button().log;

    button().action(&button());
    EXPECT_EQ(popover->log, (Log{"show 30x22 edge 1 after 2 refreshes", "make key"}));
    button().action(&button());
    EXPECT_EQ(popover->log.back(), "close from button");
    EXPECT_EQ(powerSources->reads, 2) << "closing does not refresh";

    mainQueue->drain();
    EXPECT_EQ(button().log, titleAndImage) << "opening leaves the title and image alone";
}

TEST_F(Tray, TimerAndQueuedTaskHoldTheControllerWeakly)
{
    auto controller = makeController();
    std::weak_ptr<statusbar::StatusBarController> weak = controller;
    controller.reset();
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(mainQueue->drain(), 1u);
    EXPECT_TRUE(button().log.empty());
    timer.tick();
    button().action(&button());
    EXPECT_EQ(powerSources->reads, 1);
    EXPECT_TRUE(popover->log.empty());
}

TEST_F(Tray, LowBatteryNotificationsFollowTheMonitorWithTheirUrgency)
{
    const auto notifications = std::make_shared<platform::FakeNotifications>();
    std::shared_ptr<statusbar::LowBatteryNotifier> notifier;
    const struct {
        std::int64_t percentage;
        bool charging;
        const char* source;
        std::optional<std::int64_t> timeToEmpty;
        std::vector<monitor::Peripheral> peripherals;
        Log shown;
    } steps[] = {
        {15, false, "Batteria", {}, {}, {"show battery: Batteria scarica | Resta il 15%. Collega l'alimentatore. (urgency 1)"}},
        {5, false, "Batteria", 600, {},
         {"show battery: Batteria quasi esaurita | Resta il 5% (circa 10 min). Collega l'alimentatore. (urgency 2)"}},
        {50, true, "Batteria", {}, {}, {"withdraw battery"}}, // and risen far enough to warn again
        {3, false, "Alimentatore", {}, {}, {}},               // on mains without charging it is not running down
        {3, false, "Alimentatore", {}, {{"MX", "mouse", 4, {}}, {"Rack", "ups", 2, {}}, {"Pad", "keyboard", 6, {}}},
         {"show peripheral Mouse MX: Mouse MX: batteria al 4% | Ricaricalo presto. (urgency 1)"}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(testing::Message() << step.percentage << " " << step.source << (step.charging ? " charging" : ""));
        monitor->setPercentage(step.percentage);
        monitor->setIsCharging(step.charging);
        monitor->setPowerSource(step.source);
        monitor->setOutlook({.timeToEmpty = step.timeToEmpty, .timeToFull = {}, .peripherals = step.peripherals, .warningLevel = {}});
        if (!notifier) // the battery may already be low when it starts
            notifier = statusbar::LowBatteryNotifier::create(monitor, notifications, mainQueue);
        mainQueue->drain();
        EXPECT_EQ(notifications->log, step.shown);
        notifications->log.clear();
    }
}

} // namespace
