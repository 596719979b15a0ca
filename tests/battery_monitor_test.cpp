// The monitor over stand-in power sources, with profiler runs the test ends by hand or real
// children: scripts standing in for a profiler that works, fails, hangs or floods its pipe.
#include "monitor/battery_monitor.h"
#include "platform/fake/child_process_launchers.h"
#include "platform/fake/power_sources.h"
#include "platform/linux/plain_main_queue.h"
#include "platform/linux/posix_child_process.h"

#include <gtest/gtest.h>

#include <sstream>
#include <thread>
#include <tuple>

namespace {

using namespace std::chrono_literals;
using platform::internalBattery;
using platform::PowerSourceSnapshot;
using Text = std::string;
using Args = std::vector<std::string>;

class BatteryMonitorTest : public ::testing::Test {
protected:
    std::shared_ptr<monitor::BatteryMonitor> makeMonitor(std::shared_ptr<platform::ChildProcessLauncher> children,
                                                         std::string profiler = "/opt/test/system_profiler")
    {
        auto made = monitor::BatteryMonitor::create({
            .computerName = [this] { return computerName; },
            .powerSources = powerSources,
            .childProcesses = std::move(children),
            .mainQueue = mainQueue,
            .profilerPath = std::move(profiler),
            .failureReport = &report,
        });
        made->objectWillChange.connect([this] { ++notifications; });
        return made;
    }

    std::optional<std::string> computerName = "Studio";
    std::shared_ptr<platform::FakePowerSources> powerSources =
        std::make_shared<platform::FakePowerSources>(PowerSourceSnapshot{internalBattery(72, true, "AC Power")});
    std::shared_ptr<platform::FakeLauncher> launcher = std::make_shared<platform::FakeLauncher>();
    std::shared_ptr<platform::PlainMainQueue> mainQueue = std::make_shared<platform::PlainMainQueue>();
    std::ostringstream report;
    int notifications = 0;
};

TEST_F(BatteryMonitorTest, StartsBothProfilesThenEachRefreshWritesNameAndBatteryTellingFirstAndStartsAHealthRun)
{
    const auto battery = makeMonitor(launcher);
    EXPECT_EQ(battery->chipName(), "Apple Silicon") << "constructed without waiting for a profile";
    ASSERT_EQ(launcher->launches.size(), 2u);
    EXPECT_EQ(launcher->launches[0].path, "/opt/test/system_profiler");
    EXPECT_EQ(launcher->launches[0].arguments, Args{"SPPowerDataType"});
    EXPECT_EQ(launcher->launches[1].arguments, Args{"SPHardwareDataType"});

    using State = std::tuple<Text, std::int64_t, bool, Text>;
    std::vector<State> seen;
    battery->objectWillChange.connect([&] {
        seen.emplace_back(battery->deviceName(), battery->percentage(), battery->isCharging(), battery->powerSource());
    });
    computerName = "my.local.box.local";
    powerSources->reading = PowerSourceSnapshot{internalBattery(72, false, "Battery Power")};
    battery->refresh();
    // The unchanged level is written (and told) all the same; the last write is the outlook.
    const std::vector<State> expected = {{"Studio", 72, true, "Alimentatore"},
                                         {"my.box", 72, true, "Alimentatore"},
                                         {"my.box", 72, true, "Alimentatore"},
                                         {"my.box", 72, false, "Alimentatore"},
                                         {"my.box", 72, false, "Batteria"}};
    EXPECT_EQ(seen, expected);
    ASSERT_EQ(launcher->launches.size(), 3u);
    EXPECT_EQ(launcher->launches.back().arguments, Args{"SPPowerDataType"});

    computerName = std::nullopt;
    battery->refresh();
    EXPECT_EQ(battery->deviceName(), "MacBook");
}

TEST_F(BatteryMonitorTest, APushedChangeRereadsOnlyThePowerSources)
{
    auto battery = makeMonitor(launcher);
    computerName = "Renamed";
    powerSources->reading = PowerSourceSnapshot{internalBattery(30, false, "Battery Power")};
    powerSources->change();
    EXPECT_EQ(battery->percentage(), 30);
    EXPECT_EQ(battery->powerSource(), "Batteria");
    EXPECT_EQ(battery->deviceName(), "Studio") << "the name waits for a refresh";
    EXPECT_EQ(launcher->launches.size(), 2u) << "no health run per change";
    battery.reset();
    powerSources->change(); // a change after the monitor is gone reaches nothing
}

TEST_F(BatteryMonitorTest, OnlyInternalBatteriesWriteAndTheLastOneStandsPerField)
{
    const struct {
        std::optional<PowerSourceSnapshot> sources;
        std::int64_t percentage;
        bool charging;
        Text powerSource;
    } cases[] = {
        {PowerSourceSnapshot{
             internalBattery(55, true, "AC Power"),
             {{"Type", Text("UPS")}, {"Current Capacity", std::int64_t{100}}, {"Is Charging", false}},
             {{"Type", Text("DeviceBattery")}, {"Current Capacity", std::int64_t{12}}},
             {{"Current Capacity", std::int64_t{3}}},                            // no type
             {{"Type", std::int64_t{1}}, {"Current Capacity", std::int64_t{4}}}, // a type of the wrong kind
             {{"Type", Text("InternalBattery")}, {"Current Capacity", std::int64_t{81}}, {"Is Charging", Text("yes")}}},
         81, true, "Alimentatore"},
        {PowerSourceSnapshot{internalBattery(50, true, "ac power")}, 50, true, "Batteria"},
        {PowerSourceSnapshot{internalBattery(50, true, "AC Power ")}, 50, true, "Batteria"},
        // No internal battery: the placeholders stay.
        {std::nullopt, 0, false, "Unknown"},
        {PowerSourceSnapshot{}, 0, false, "Unknown"},
        {PowerSourceSnapshot{{{"Type", Text("InternalBattery")}}}, 0, false, "Unknown"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(&row - cases);
        powerSources->reading = row.sources;
        launcher->launches.clear();
        const auto battery = makeMonitor(launcher);
        EXPECT_EQ(battery->percentage(), row.percentage);
        EXPECT_EQ(battery->isCharging(), row.charging);
        EXPECT_EQ(battery->powerSource(), row.powerSource);
        EXPECT_EQ(launcher->launches.size(), 2u) << "both profiles start all the same";
    }
}

TEST_F(BatteryMonitorTest, DeliveriesWriteInOrderOnTheMainQueueAndTheLastOneStands)
{
    const auto battery = makeMonitor(launcher);
    battery->refresh(); // a second health run, in flight beside the first
    using State = std::tuple<std::int64_t, Text, Text>;
    std::vector<State> seen;
    battery->objectWillChange.connect(
        [&] { seen.emplace_back(battery->cycleCount(), battery->healthCapacity(), battery->condition()); });

    ASSERT_TRUE(launcher->finish("SPPowerDataType", "Cycle Count: 2\nMaximum Capacity: 90%\nCondition: Normal\n"));
    ASSERT_TRUE(launcher->finish("SPPowerDataType", "Cycle Count: 1\n")); // the earlier run ends last
    EXPECT_TRUE(seen.empty()) << "nothing is written off the main queue";
    EXPECT_EQ(mainQueue->drain(), 2u);
    EXPECT_EQ(seen, (std::vector<State>{{0, "--%", "Unknown"}, {2, "--%", "Unknown"}, {2, "90%", "Unknown"},
                                        {2, "90%", "Normale"}, {1, "90%", "Normale"}, {1, "--%", "Normale"}}));
    EXPECT_EQ(battery->condition(), "Unknown");
}

TEST_F(BatteryMonitorTest, RunsUndecodableCutShortOrEndingAfterTheMonitorWriteNothing)
{
    auto battery = makeMonitor(launcher);
    battery->refresh();
    battery->refresh(); // four runs: power, hardware, power, power
    notifications = 0;
    ASSERT_TRUE(launcher->finish("SPHardwareDataType", "Model Name: Broken \xff\n"));
    ASSERT_TRUE(launcher->finish("SPPowerDataType", "Cycle Count: 5\n", /*completed=*/false));
    EXPECT_EQ(mainQueue->drain(), 0u);
    EXPECT_EQ(notifications, 0);

    ASSERT_TRUE(launcher->finish("SPPowerDataType", "Cycle Count: 1\n")); // queued while the monitor lives
    battery.reset();
    ASSERT_TRUE(launcher->finish("SPPowerDataType", "Cycle Count: 2\n"));
    EXPECT_EQ(mainQueue->drain(), 1u) << "only the run that ended in time queued its delivery";
    EXPECT_TRUE(report.str().empty());
}

// Real children on the launcher's threads; a run that outlasts its time limit is stopped.
TEST_F(BatteryMonitorTest, ProfilerChildrenDeliverWhatTheyPrintUnlessStopped)
{
    const std::tuple<const char*, int, const char*, std::int64_t> cases[] = { // profiler, notifications, chip, cycles
        {"scripted", 6, "Test Chip", 42},
        {"empty", 6, "Apple Chip", 0},        // nothing to read: the fallbacks are written
        {"fails", 6, "Apple Chip", 5},        // the exit status is not looked at
        {"large-output", 6, "Apple Chip", 99}, // several pipe buffers before the labels
        {"hang", 0, "Apple Silicon", 0},
    };
    for (const auto& [profiler, expectedNotifications, chip, cycles] : cases) {
        SCOPED_TRACE(profiler);
        const auto children = std::make_shared<platform::PosixChildProcessLauncher>(
            platform::PosixChildProcessLauncher::Options{.timeLimit = 1500ms});
        notifications = 0;
        const auto battery = makeMonitor(children, std::string(TEST_PROFILERS_DIR) + "/" + profiler);
        for (const auto deadline = std::chrono::steady_clock::now() + 20s;
             children->runsInFlight() > 0 && std::chrono::steady_clock::now() < deadline;)
            std::this_thread::sleep_for(5ms);
        ASSERT_EQ(children->runsInFlight(), 0u);
        mainQueue->drain();
        EXPECT_EQ(notifications, expectedNotifications);
        EXPECT_EQ(battery->chipName(), chip);
        EXPECT_EQ(battery->cycleCount(), cycles);
        EXPECT_TRUE(report.str().empty());
    }
}

TEST(PowerOutlookTest, TimesFromTheDecidingBatteryEveryOtherLevelAPeripheral)
{
    using platform::PowerSourceDescription;
    auto first = internalBattery(90, false);
    first["Time to Empty"] = std::int64_t{7200};
    auto last = internalBattery(40, true, "AC Power");
    last["Time to Full"] = std::int64_t{1800};
    last["Time to Empty"] = std::int64_t{0}; // a zero time is not a forecast
    const PowerSourceDescription mouse = {{"Type", Text("DeviceBattery")}, {"Kind", Text("mouse")},
                                          {"Name", Text("MX Master")}, {"Current Capacity", std::int64_t{55}}};
    const PowerSourceDescription ups = {{"Type", Text("UPS")}, {"Current Capacity", std::int64_t{100}}};
    const PowerSourceDescription noLevel = {{"Type", Text("DeviceBattery")}, {"Name", Text("Pen")}};
    const PowerSourceDescription absurd = {{"Type", Text("DeviceBattery")}, {"Current Capacity", std::int64_t{-3}}};

    const auto outlook = monitor::readPowerOutlook({first, mouse, last, ups, noLevel, absurd});

    EXPECT_EQ(outlook.timeToEmpty, std::nullopt);
    EXPECT_EQ(outlook.timeToFull, 1800);
    EXPECT_EQ(outlook.peripherals,
              (std::vector<monitor::Peripheral>{{"MX Master", "mouse", 55, {}}, {"", "ups", 100, {}}}));
}

} // namespace
