#include "platform/linux/host_files.h"
#include "platform/linux/sysfs_power_sources.h"
#include "platform/linux/sysfs_power_supply.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace {

using platform::PowerSourceDescription;
using platform::PowerSourceSnapshot;
using platform::PowerSupplyKind;
using Kind = PowerSupplyKind;

std::filesystem::path machine(const std::string& name)
{
    return std::filesystem::path(TEST_FIXTURES_DIR) / "machines" / name;
}

using Extra = std::vector<std::pair<std::string, platform::PowerSourceValue>>;

PowerSourceDescription battery(std::int64_t capacity, bool charging, std::string state, Extra extra = {})
{
    PowerSourceDescription description = {{"Type", std::string("InternalBattery")},
                                          {"Kind", std::string("battery")},
                                          {"Current Capacity", capacity},
                                          {"Is Charging", charging},
                                          {"Power Source State", std::move(state)}};
    for (auto& [key, value] : extra)
        description[key] = std::move(value);
    return description;
}

using Attributes = std::vector<std::pair<std::string, std::string>>;

// Reads a machine of system batteries BAT0, BAT1, ... with the given attributes.
PowerSourceSnapshot readBatteries(const std::vector<Attributes>& batteries)
{
    const auto root = std::filesystem::temp_directory_path() / ("batteries-" + std::to_string(::getpid()));
    for (std::size_t i = 0; i < batteries.size(); ++i) {
        const auto folder = root / "sys/class/power_supply" / ("BAT" + std::to_string(i));
        std::filesystem::create_directories(folder);
        std::ofstream(folder / "type") << "Battery\n";
        for (const auto& [attribute, value] : batteries[i])
            std::ofstream(folder / attribute) << value << '\n';
    }
    auto snapshot = platform::readPowerSources(root);
    std::filesystem::remove_all(root);
    return snapshot;
}

std::vector<std::pair<std::string, Kind>> listing(const std::string& name)
{
    std::vector<std::pair<std::string, Kind>> supplies;
    for (const auto& supply : platform::listPowerSupplies(machine(name)))
        supplies.emplace_back(supply.name(), supply.kind());
    return supplies;
}

TEST(SysfsIntegerTest, AcceptsOnlyPlainDecimalsWithinSixtyFourBits)
{
    EXPECT_EQ(platform::parseSysfsInteger("72\n"), 72);
    EXPECT_EQ(platform::parseSysfsInteger("  -1500000 \n"), -1500000);
    EXPECT_EQ(platform::parseSysfsInteger("9223372036854775807"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(platform::parseSysfsInteger("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());

    for (const char* junk : {"", "\n", "-", "+5", "0x48", "4l2", "4 2", "12\n34\n", "72%", "9223372036854775808", "1.5"})
        EXPECT_EQ(platform::parseSysfsInteger(junk), std::nullopt) << junk;
}

TEST(PowerSupplyListingTest, ClassifiesEverySupplyInNameOrder)
{
    using List = std::vector<std::pair<std::string, Kind>>;
    // The class entries are symlinks here, as on a live system.
    EXPECT_EQ(listing("laptop-charging"), (List{{"AC", Kind::Adapter}, {"BAT0", Kind::SystemBattery}}));
    EXPECT_EQ(listing("laptop-discharging"),
              (List{{"AC", Kind::Adapter}, {"BAT0", Kind::SystemBattery}, {"ucsi-source-psy-USBC000:001", Kind::Adapter}}));
    EXPECT_EQ(listing("two-batteries"), (List{{"AC", Kind::Adapter},
                                              {"BAT0", Kind::SystemBattery},
                                              {"BAT1", Kind::SystemBattery},
                                              {"hid-34:88:5d:aa:bb:cc-battery", Kind::DeviceBattery}}));
    EXPECT_EQ(listing("desktop"), (List{{"AC", Kind::Adapter}, {"UPS0", Kind::Ups}}));
}

TEST(PowerSupplyListingTest, LeavesOutAbsentBatteriesUntypedEntriesAndDanglingLinks)
{
    using List = std::vector<std::pair<std::string, Kind>>;
    EXPECT_EQ(listing("garbled"), (List{{"BAT0", Kind::SystemBattery}}));
    EXPECT_TRUE(listing("empty").empty());
    EXPECT_TRUE(listing("no-such-machine").empty());
}

TEST(PowerSupplyAmountsTest, NeverPairsEnergyWithCharge)
{
    const auto supplies = platform::listPowerSupplies(machine("garbled"));
    ASSERT_EQ(supplies.size(), 1u);
    // energy_full_design is empty and charge_full missing: energy_full against
    // charge_full_design would compare µWh with µAh.
    EXPECT_EQ(supplies[0].amounts("full", "full_design"), std::nullopt);
    const auto level = supplies[0].amounts("now", "full");
    ASSERT_TRUE(level);
    EXPECT_EQ(level->amount, 12345678);
    EXPECT_EQ(level->reference, 50000000);
}

TEST(PowerSupplyAmountsTest, PercentagesRoundToNearestWithinZeroToHundred)
{
    using platform::roundedPercentage;
    EXPECT_EQ(roundedPercentage({48120000, 57000000}), 84);
    EXPECT_EQ(roundedPercentage({1, 8}), 13);
    EXPECT_EQ(roundedPercentage({1, 201}), 0);
    EXPECT_EQ(roundedPercentage({0, 5}), 0);
    EXPECT_EQ(roundedPercentage({60000001, 60000000}), 100);
    const std::int64_t huge = std::numeric_limits<std::int64_t>::max();
    EXPECT_EQ(roundedPercentage({huge / 2, huge}), 50);
    EXPECT_EQ(roundedPercentage({huge - 1, huge}), 100);
    // Just under the bound where the integer form is used, the sum must not wrap.
    EXPECT_EQ(roundedPercentage({huge / 200 - 1, huge / 200}), 100);
    EXPECT_EQ(roundedPercentage({huge / 201 - 1, huge / 201}), 100);
}

TEST(ReadPowerSourcesTest, FixtureMachines)
{
    // 34.6 of 48.1 Wh at 21.3 W, charging stops at 80 %: 3.85 Wh to go, 11 minutes.
    EXPECT_EQ(platform::readPowerSources(machine("laptop-charging")),
              PowerSourceSnapshot{battery(72, true, "AC Power", {{"Time to Full", std::int64_t{649}}})});
    // 1.13 Ah at 0.61 A.
    EXPECT_EQ(platform::readPowerSources(machine("laptop-discharging")),
              PowerSourceSnapshot{battery(38, false, "Battery Power", {{"Time to Empty", std::int64_t{6639}}})});
    // 55 % of 17.0 Wh and 81 % of 22.1 Wh: 70 % of both, not the last one's 81 %; 27.25 Wh at 8.1 W.
    const PowerSourceDescription mouse = {{"Type", std::string("DeviceBattery")}, {"Kind", std::string("mouse")},
                                          {"Name", std::string("Wireless Mouse")}, {"Current Capacity", std::int64_t{12}},
                                          {"Is Charging", false}, {"Power Source State", std::string("Battery Power")}};
    EXPECT_EQ(platform::readPowerSources(machine("two-batteries")),
              (PowerSourceSnapshot{battery(70, false, "Battery Power", {{"Time to Empty", std::int64_t{12111}}}), mouse}));
    EXPECT_EQ(platform::readPowerSources(machine("desktop")),
              PowerSourceSnapshot{battery(100, false, "AC Power", {{"Type", std::string("UPS")}, {"Kind", std::string("ups")},
                                                                   {"Name", std::string("Back-UPS 700")}})});
    // No adapter: the battery's own status says what feeds the machine.
    EXPECT_EQ(platform::readPowerSources(machine("arm-dead-battery")), PowerSourceSnapshot{battery(100, false, "AC Power")});
    // No status and no adapter: nothing says whether it charges or what feeds the machine.
    const PowerSourceDescription garbled = {{"Type", std::string("InternalBattery")}, {"Kind", std::string("battery")},
                                            {"Current Capacity", std::int64_t{25}}};
    EXPECT_EQ(platform::readPowerSources(machine("garbled")), PowerSourceSnapshot{garbled});
    EXPECT_TRUE(platform::readPowerSources(machine("empty")).empty());
    EXPECT_TRUE(platform::readPowerSources(machine("no-such-machine")).empty());
}

TEST(ReadPowerSourcesTest, TwoBatteriesWeighByFullCapacityElseCountAlike)
{
    struct Case {
        const char* what;
        std::vector<Attributes> batteries;
        PowerSourceDescription expected;
    };
    const std::vector<Case> cases = {
        {"weighed by energy_full",
         {{{"capacity", "5"}, {"energy_full", "10000000"}, {"status", "Discharging"}},
          {{"capacity", "100"}, {"energy_full", "30000000"}, {"status", "Full"}}},
         battery(76, false, "AC Power")},
        {"one without a full capacity: the plain mean, half up",
         {{{"capacity", "4"}, {"status", "Charging"}}, {{"capacity", "95"}, {"charge_full", "4000000"}}},
         battery(50, true, "AC Power")},
        {"a battery without a level is left out",
         {{{"capacity", "junk"}, {"energy_full", "1"}}, {{"capacity", "33"}, {"status", "Discharging"}}},
         battery(33, false, "Battery Power")},
    };
    for (const auto& [what, batteries, expected] : cases) {
        SCOPED_TRACE(what);
        EXPECT_EQ(readBatteries(batteries), PowerSourceSnapshot{expected});
    }
}

TEST(ReadPowerSourcesTest, TimeLeftComesFromARealRateInOneUnit)
{
    using Time = std::optional<std::pair<std::string, std::int64_t>>;
    struct Case {
        const char* what;
        std::vector<Attributes> batteries;
        Time expected;
    };
    const Attributes halfOf50Wh = {{"energy_now", "25000000"}, {"energy_full", "50000000"}, {"status", "Discharging"}};
    const auto with = [](Attributes attributes, Attributes more) {
        attributes.insert(attributes.end(), more.begin(), more.end());
        return attributes;
    };
    const std::vector<Case> cases = {
        {"energy over power", {with(halfOf50Wh, {{"power_now", "10000000"}})}, Time{{"Time to Empty", 9000}}},
        {"power from current and voltage", {with(halfOf50Wh, {{"current_now", "1000000"}, {"voltage_now", "10000000"}})},
         Time{{"Time to Empty", 9000}}},
        {"charge over a negative current",
         {{{"charge_now", "2000000"}, {"charge_full", "4000000"}, {"current_now", "-1000000"}, {"status", "Discharging"}}},
         Time{{"Time to Empty", 7200}}},
        {"to full while charging", {{{"energy_now", "25000000"}, {"energy_full", "50000000"}, {"power_now", "25000000"},
                                     {"status", "Charging"}}}, Time{{"Time to Full", 3600}}},
        {"a zero rate", {with(halfOf50Wh, {{"power_now", "0"}})}, std::nullopt},
        {"no rate", {halfOf50Wh}, std::nullopt},
        {"a trickle that would last months", {with(halfOf50Wh, {{"power_now", "1"}})}, std::nullopt},
        {"full: nothing to count down", {{{"energy_now", "50000000"}, {"energy_full", "50000000"}, {"power_now", "5"},
                                          {"status", "Full"}}}, std::nullopt},
        {"one battery in µWh, the other in µAh",
         {with(halfOf50Wh, {{"power_now", "10000000"}}),
          {{"charge_now", "2000000"}, {"charge_full", "4000000"}, {"current_now", "1000000"}}},
         std::nullopt},
    };
    for (const auto& [what, batteries, expected] : cases) {
        SCOPED_TRACE(what);
        const auto snapshot = readBatteries(batteries);
        ASSERT_EQ(snapshot.size(), 1u);
        Time found;
        for (const char* key : {"Time to Empty", "Time to Full"}) {
            if (const auto* seconds = platform::powerSourceValue<std::int64_t>(snapshot[0], key))
                found = {{key, *seconds}};
        }
        EXPECT_EQ(found, expected);
    }
}

} // namespace
