#include "monitor/battery_monitor.h"
#include "platform/fake/child_process_launchers.h"
#include "platform/fake/power_sources.h"
#include "platform/linux/plain_main_queue.h"
#include "platform/linux/sysfs_power_sources.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

namespace {

using platform::internalBattery;
using platform::PowerSourceSnapshot;
using Text = std::string;

class BatteryMonitorTest : public ::testing::Test {
protected:
    std::shared_ptr<monitor::BatteryMonitor> makeMonitor()
    {
        auto made = monitor::BatteryMonitor::create({
            .computerName = [this] { return computerName; },
            .powerSources = powerSources,
            .childProcesses = launcher,
            .mainQueue = mainQueue,
            .profilerPath = "/opt/test/system_profiler",
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

TEST_F(BatteryMonitorTest, ConstructionRefreshesAndStartsBothProfilesWithoutWaiting)
{
    const auto battery = makeMonitor();

    EXPECT_EQ(battery->deviceName(), "Studio");
    EXPECT_EQ(battery->percentage(), 72);
    EXPECT_TRUE(battery->isCharging());
    EXPECT_EQ(battery->powerSource(), "Alimentatore");
    // The profilers have not answered yet.
    EXPECT_EQ(battery->modelName(), "MacBook");
    EXPECT_EQ(battery->chipName(), "Apple Silicon");
    EXPECT_EQ(battery->memorySize(), "-- GB");
    EXPECT_EQ(battery->cycleCount(), 0);
    EXPECT_EQ(battery->healthCapacity(), "--%");
    EXPECT_EQ(battery->condition(), "Unknown");

    ASSERT_EQ(launcher->launches.size(), 2u);
    EXPECT_EQ(launcher->launches[0].path, "/opt/test/system_profiler");
    EXPECT_EQ(launcher->launches[0].arguments, std::vector<std::string>{"SPPowerDataType"});
    EXPECT_EQ(launcher->launches[1].arguments, std::vector<std::string>{"SPHardwareDataType"});
}

TEST_F(BatteryMonitorTest, EveryWriteNotifiesFirstEvenWithoutChange)
{
    const auto battery = makeMonitor();
    std::vector<std::int64_t> seenAtNotification;
    battery->objectWillChange.connect([&] { seenAtNotification.push_back(battery->percentage()); });

    battery->setPercentage(72);
    battery->setPercentage(40);
    EXPECT_EQ(notifications, 2);
    EXPECT_EQ(seenAtNotification, (std::vector<std::int64_t>{72, 72})) << "told before the value changes";
}

TEST_F(BatteryMonitorTest, RefreshWritesNameThenTheBatteryAndStartsOneHealthRun)
{
    const auto battery = makeMonitor();
    using State = std::tuple<Text, std::int64_t, bool, Text>;
    std::vector<State> seen;
    battery->objectWillChange.connect([&] {
        seen.emplace_back(battery->deviceName(), battery->percentage(), battery->isCharging(), battery->powerSource());
    });
    computerName = "Laptop.local";
    powerSources->reading = PowerSourceSnapshot{internalBattery(30, false, "Battery Power")};
    const auto launchesBefore = launcher->launches.size();

    battery->refresh();

    const std::vector<State> expected = {{"Studio", 72, true, "Alimentatore"},
                                         {"Laptop", 72, true, "Alimentatore"},
                                         {"Laptop", 30, true, "Alimentatore"},
                                         {"Laptop", 30, false, "Alimentatore"},
                                         {"Laptop", 30, false, "Batteria"}}; // then the outlook
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(battery->powerSource(), "Batteria");
    ASSERT_EQ(launcher->launches.size(), launchesBefore + 1);
    EXPECT_EQ(launcher->launches.back().arguments, std::vector<std::string>{"SPPowerDataType"});
}

TEST_F(BatteryMonitorTest, APushedChangeRereadsOnlyThePowerSources)
{
    auto battery = makeMonitor();
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

TEST_F(BatteryMonitorTest, ComputerNameLosesEveryLocalAndDefaultsToMacBook)
{
    const auto battery = makeMonitor();
    for (const auto& [name, shown] : std::vector<std::pair<std::optional<Text>, Text>>{
             {"mac.local", "mac"}, {"my.local.box", "my.box"}, {"LOCAL.LOCAL", "LOCAL.LOCAL"}, {std::nullopt, "MacBook"}}) {
        computerName = name;
        battery->refresh();
        EXPECT_EQ(battery->deviceName(), shown);
    }
}

TEST_F(BatteryMonitorTest, OnlyInternalBatteriesWriteAndTheLastOneStandsPerKey)
{
    powerSources->reading = PowerSourceSnapshot{
        internalBattery(55, true, "AC Power"),
        {{"Type", Text("UPS")}, {"Current Capacity", std::int64_t{100}}, {"Is Charging", true}},
        {{"Type", Text("DeviceBattery")}, {"Current Capacity", std::int64_t{12}}},
        {{"Current Capacity", std::int64_t{3}}},                    // no type
        {{"Type", std::int64_t{1}}, {"Current Capacity", std::int64_t{4}}}, // type of the wrong kind
        {{"Type", Text("InternalBattery")}, {"Current Capacity", std::int64_t{81}}, {"Is Charging", Text("yes")}},
    };
    const auto battery = makeMonitor();
    EXPECT_EQ(battery->percentage(), 81);
    EXPECT_TRUE(battery->isCharging()) << "a flag of the wrong kind leaves the first battery's value";
    EXPECT_EQ(battery->powerSource(), "Alimentatore");
}

TEST_F(BatteryMonitorTest, PowerSourceStateMustBeExactlyACPower)
{
    for (const Text state : {"ac power", "", "AC Power ", "Battery Power"}) {
        powerSources->reading = PowerSourceSnapshot{internalBattery(50, false, state)};
        EXPECT_EQ(makeMonitor()->powerSource(), "Batteria") << '"' << state << '"';
    }
}

TEST_F(BatteryMonitorTest, WithoutAnInternalBatteryTheFieldsKeepTheirValues)
{
    for (const auto& sources : std::vector<std::optional<PowerSourceSnapshot>>{
             std::nullopt, PowerSourceSnapshot{}, PowerSourceSnapshot{{{"Type", Text("InternalBattery")}}}}) {
        powerSources->reading = sources;
        launcher->launches.clear();
        const auto battery = makeMonitor();
        EXPECT_EQ(battery->percentage(), 0);
        EXPECT_FALSE(battery->isCharging());
        EXPECT_EQ(battery->powerSource(), "Unknown");
        EXPECT_EQ(launcher->launches.size(), 2u) << "the health profile starts all the same";
    }
}

TEST_F(BatteryMonitorTest, ADeliveryWritesItsThreeFieldsInOrderOnTheMainQueue)
{
    const auto battery = makeMonitor();
    using State = std::tuple<std::int64_t, Text, Text>;
    std::vector<State> seen;
    battery->objectWillChange.connect(
        [&] { seen.emplace_back(battery->cycleCount(), battery->healthCapacity(), battery->condition()); });

    ASSERT_TRUE(launcher->finish("SPPowerDataType", "Cycle Count: 9\nMaximum Capacity: 90%\nCondition: Normal\n"));
    EXPECT_TRUE(seen.empty()) << "nothing is written off the main queue";
    EXPECT_EQ(mainQueue->drain(), 1u);

    const std::vector<State> expected = {{0, "--%", "Unknown"}, {9, "--%", "Unknown"}, {9, "90%", "Unknown"}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(battery->condition(), "Normale");
}

TEST_F(BatteryMonitorTest, ACompletedProfileWithoutLabelsWritesTheFallbacks)
{
    const auto battery = makeMonitor();
    battery->setCycleCount(300);
    battery->setHealthCapacity("95%");
    ASSERT_TRUE(launcher->finish("SPHardwareDataType", ""));
    ASSERT_TRUE(launcher->finish("SPPowerDataType", "nothing useful"));
    notifications = 0;
    mainQueue->drain();

    EXPECT_EQ(notifications, 6);
    EXPECT_EQ(battery->modelName(), "MacBook");
    EXPECT_EQ(battery->chipName(), "Apple Chip");
    EXPECT_EQ(battery->memorySize(), "-- GB");
    EXPECT_EQ(battery->cycleCount(), 0);
    EXPECT_EQ(battery->healthCapacity(), "--%");
    EXPECT_EQ(battery->condition(), "Unknown");
}

TEST_F(BatteryMonitorTest, UndecodableOrCutShortRunsWriteNothing)
{
    const auto battery = makeMonitor();
    ASSERT_TRUE(launcher->finish("SPHardwareDataType", "Model Name: Broken \xff\n"));
    ASSERT_TRUE(launcher->finish("SPPowerDataType", "Cycle Count: 5\n", /*completed=*/false));
    notifications = 0;
    EXPECT_EQ(mainQueue->drain(), 0u);
    EXPECT_EQ(notifications, 0);
    EXPECT_EQ(battery->chipName(), "Apple Silicon");
    EXPECT_TRUE(report.str().empty());
}

TEST_F(BatteryMonitorTest, OverlappingRunsEachDeliverAndTheLastDeliveryStands)
{
    const auto battery = makeMonitor();
    battery->refresh(); // a second health run, in flight beside the first
    auto& first = launcher->launches[0];
    auto& second = launcher->launches[2];
    ASSERT_EQ(second.arguments, std::vector<std::string>{"SPPowerDataType"});

    std::exchange(second.onTermination, nullptr)({"Cycle Count: 2\n", true});
    std::exchange(first.onTermination, nullptr)({"Cycle Count: 1\n", true});
    notifications = 0;
    mainQueue->drain();
    EXPECT_EQ(notifications, 6);
    EXPECT_EQ(battery->cycleCount(), 1);
}

TEST_F(BatteryMonitorTest, ARunOutlivingTheMonitorDeliversNothing)
{
    auto battery = makeMonitor();
    ASSERT_TRUE(launcher->finish("SPPowerDataType", "Cycle Count: 1\n")); // queued while the monitor lives
    battery.reset();
    ASSERT_TRUE(launcher->finish("SPHardwareDataType", "Model Name: Late\n"));
    EXPECT_EQ(mainQueue->drain(), 1u) << "only the run that ended in time queued its delivery";
}

TEST_F(BatteryMonitorTest, AProfilerThatCannotStartIsReportedOnceAndWritesNothing)
{
    launcher->failure = platform::LaunchFailure{"/opt/test/system_profiler: No such file or directory"};
    const auto battery = makeMonitor();
    EXPECT_EQ(report.str(),
              "Failed to run power system_profiler: /opt/test/system_profiler: No such file or directory\n"
              "Failed to run hardware system_profiler: /opt/test/system_profiler: No such file or directory\n");
    EXPECT_EQ(battery->modelName(), "MacBook");
    EXPECT_EQ(battery->chipName(), "Apple Silicon");
}

// The monitor over the real sysfs reader, on machines described as folders.
class BatteryMonitorOnFixture : public BatteryMonitorTest {
protected:
    std::shared_ptr<monitor::BatteryMonitor> monitorOf(const std::string& machine)
    {
        const std::filesystem::path root = std::filesystem::path(TEST_FIXTURES_DIR) / "machines" / machine;
        powerSources->reading = platform::readPowerSources(root);
        return makeMonitor();
    }
};

TEST_F(BatteryMonitorOnFixture, ShowsBothSystemBatteriesAsOneAndIgnoresPeripherals)
{
    const auto battery = monitorOf("two-batteries");
    EXPECT_EQ(battery->percentage(), 70);
    EXPECT_FALSE(battery->isCharging());
    EXPECT_EQ(battery->powerSource(), "Batteria");
}

TEST_F(BatteryMonitorOnFixture, ReadsAChargingLaptop)
{
    const auto battery = monitorOf("laptop-charging");
    EXPECT_EQ(battery->percentage(), 72);
    EXPECT_TRUE(battery->isCharging());
    EXPECT_EQ(battery->powerSource(), "Alimentatore");
}

TEST_F(BatteryMonitorOnFixture, KeepsPlaceholdersWithoutABattery)
{
    for (const char* machine : {"desktop", "empty"}) {
        const auto battery = monitorOf(machine);
        EXPECT_EQ(battery->percentage(), 0) << machine;
        EXPECT_EQ(battery->powerSource(), "Unknown") << machine;
    }
}

TEST_F(BatteryMonitorOnFixture, SurvivesGarbledFiles)
{
    const auto battery = monitorOf("garbled");
    EXPECT_GE(battery->percentage(), 0);
    EXPECT_LE(battery->percentage(), 100);
    EXPECT_FALSE(battery->isCharging());
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
