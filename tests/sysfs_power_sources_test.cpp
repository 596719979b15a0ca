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

PowerSourceDescription battery(std::int64_t capacity, bool charging, std::string state)
{
    return {{"Type", std::string("InternalBattery")},
            {"Current Capacity", capacity},
            {"Is Charging", charging},
            {"Power Source State", std::move(state)}};
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

TEST(ReadPowerSourcesTest, BatteryOnOnlineAdapter)
{
    EXPECT_EQ(platform::readPowerSources(machine("laptop-charging")),
              PowerSourceSnapshot{battery(72, true, "AC Power")});
}

TEST(ReadPowerSourcesTest, BatteryWithEveryAdapterOffline)
{
    EXPECT_EQ(platform::readPowerSources(machine("laptop-discharging")),
              PowerSourceSnapshot{battery(38, false, "Battery Power")});
}

TEST(ReadPowerSourcesTest, TheMachinesBatteriesAsOneThenPeripheralsInNameOrder)
{
    PowerSourceDescription mouse = battery(12, false, "Battery Power");
    mouse["Type"] = std::string("DeviceBattery");
    // 55 % of 17.0 Wh and 81 % of 22.1 Wh: 70 % of both, not the last one's 81 %.
    EXPECT_EQ(platform::readPowerSources(machine("two-batteries")),
              (PowerSourceSnapshot{battery(70, false, "Battery Power"), mouse}));
}

TEST(ReadPowerSourcesTest, TwoBatteriesWeighByFullCapacityElseCountAlike)
{
    struct Case {
        const char* what;
        std::vector<std::vector<std::pair<std::string, std::string>>> batteries;
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
        const auto root = std::filesystem::temp_directory_path() / ("two-batteries-" + std::to_string(::getpid()));
        for (std::size_t i = 0; i < batteries.size(); ++i) {
            const auto folder = root / "sys/class/power_supply" / ("BAT" + std::to_string(i));
            std::filesystem::create_directories(folder);
            std::ofstream(folder / "type") << "Battery\n";
            for (const auto& [attribute, value] : batteries[i])
                std::ofstream(folder / attribute) << value << '\n';
        }
        EXPECT_EQ(platform::readPowerSources(root), PowerSourceSnapshot{expected});
        std::filesystem::remove_all(root);
    }
}

TEST(ReadPowerSourcesTest, UpsOnDesktop)
{
    PowerSourceDescription ups = battery(100, false, "AC Power");
    ups["Type"] = std::string("UPS");
    EXPECT_EQ(platform::readPowerSources(machine("desktop")), PowerSourceSnapshot{ups});
}

TEST(ReadPowerSourcesTest, StatusDecidesWithoutAdapter)
{
    EXPECT_EQ(platform::readPowerSources(machine("arm-dead-battery")),
              PowerSourceSnapshot{battery(100, false, "AC Power")});
}

TEST(ReadPowerSourcesTest, GarbledValuesAreLeftOutOrDerived)
{
    // No status and no adapter: nothing says whether it charges or what feeds the machine.
    const PowerSourceDescription expected = {{"Type", std::string("InternalBattery")},
                                             {"Current Capacity", std::int64_t{25}}};
    EXPECT_EQ(platform::readPowerSources(machine("garbled")), PowerSourceSnapshot{expected});
}

TEST(ReadPowerSourcesTest, MachineWithoutPowerSupplyClassHasNoSources)
{
    EXPECT_TRUE(platform::readPowerSources(machine("empty")).empty());
    EXPECT_TRUE(platform::readPowerSources(machine("no-such-machine")).empty());
}

} // namespace
