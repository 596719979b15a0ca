// What the machine's own files say: its power supplies under sysfs and its name under /etc.
#include "platform/linux/host_files.h"
#include "platform/linux/host_name.h"
#include "platform/linux/sysfs_power_sources.h"
#include "platform/linux/sysfs_power_supply.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <fstream>
#include <limits>

namespace {

using namespace std::literals;
using platform::PowerSourceDescription;
using platform::PowerSourceSnapshot;
using Attributes = std::vector<std::pair<std::string, std::string>>;

std::filesystem::path machine(const std::string& name)
{
    return std::filesystem::path(TEST_FIXTURES_DIR) / "machines" / name;
}

// A machine root of the test's own, gone with the object.
struct ScratchRoot {
    const std::filesystem::path path = std::filesystem::path(testing::TempDir()) / ("machine-" + std::to_string(::getpid()));
    ~ScratchRoot() { std::filesystem::remove_all(path); }
    void write(const std::string& file, std::string_view contents) const
    {
        std::filesystem::create_directories((path / file).parent_path());
        std::ofstream(path / file, std::ios::binary).write(contents.data(), std::streamsize(contents.size()));
    }
};

// A machine of power supplies PS0, PS1, ...: batteries unless their attributes give a type.
PowerSourceSnapshot readSupplies(const std::vector<Attributes>& supplies)
{
    ScratchRoot root;
    for (std::size_t i = 0; i < supplies.size(); ++i) {
        const auto folder = "sys/class/power_supply/PS" + std::to_string(i) + "/";
        root.write(folder + "type", "Battery\n");
        for (const auto& [attribute, value] : supplies[i])
            root.write(folder + attribute, value + "\n");
    }
    return platform::readPowerSources(root.path);
}

PowerSourceDescription battery(std::int64_t capacity, bool charging, std::string state, PowerSourceDescription extra = {})
{
    extra.merge(PowerSourceDescription{{"Type", "InternalBattery"s}, {"Kind", "battery"s}, {"Current Capacity", capacity},
                                       {"Is Charging", charging}, {"Power Source State", std::move(state)}});
    return extra;
}

TEST(SysfsInteger, AcceptsOnlyPlainDecimalsWithinSixtyFourBits)
{
    EXPECT_EQ(platform::parseSysfsInteger("72\n"), 72);
    EXPECT_EQ(platform::parseSysfsInteger("  -1500000 \n"), -1500000);
    EXPECT_EQ(platform::parseSysfsInteger("9223372036854775807"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(platform::parseSysfsInteger("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
    for (const char* junk : {"", "\n", "-", "+5", "0x48", "4l2", "4 2", "12\n34\n", "72%", "9223372036854775808", "1.5"})
        EXPECT_EQ(platform::parseSysfsInteger(junk), std::nullopt) << junk;
}

TEST(PowerSupplyAmounts, NeverPairEnergyWithChargeAndRoundToNearestWithinZeroToHundred)
{
    const auto supplies = platform::listPowerSupplies(machine("garbled"));
    ASSERT_EQ(supplies.size(), 1u);
    // energy_full_design is empty and charge_full missing: energy_full against
    // charge_full_design would compare µWh with µAh.
    EXPECT_EQ(supplies[0].amounts("full", "full_design"), std::nullopt);
    const auto level = supplies[0].amounts("now", "full");
    ASSERT_TRUE(level);
    EXPECT_EQ(std::pair(level->amount, level->reference), std::pair(std::int64_t{12345678}, std::int64_t{50000000}));

    const std::int64_t huge = std::numeric_limits<std::int64_t>::max();
    const std::tuple<std::int64_t, std::int64_t, std::int64_t> cases[] = {
        {48120000, 57000000, 84}, {1, 8, 13}, {1, 201, 0}, {60000001, 60000000, 100}, {huge / 2, huge, 50},
        {huge - 1, huge, 100},
        // On both sides of the bound where the integer form is used: the sum must not wrap.
        {huge / 200 - 1, huge / 200, 100}, {huge / 201 - 1, huge / 201, 100}};
    for (const auto& [amount, reference, expected] : cases)
        EXPECT_EQ(platform::roundedPercentage({amount, reference}), expected) << amount << " of " << reference;
}

TEST(ReadPowerSources, FixtureMachines)
{
    const PowerSourceDescription mouse = {{"Type", "DeviceBattery"s}, {"Kind", "mouse"s}, {"Name", "Wireless Mouse"s},
                                          {"Current Capacity", std::int64_t{12}}, {"Is Charging", false},
                                          {"Power Source State", "Battery Power"s}};
    // The two laptops are read whole by the status command's test.
    const std::pair<const char*, PowerSourceSnapshot> cases[] = {
        // 55 % of 17.0 Wh and 81 % of 22.1 Wh: 70 % of both, not the last one's 81 %; 27.25 Wh at 8.1 W.
        {"two-batteries", {battery(70, false, "Battery Power", {{"Time to Empty", std::int64_t{12111}}}), mouse}},
        {"desktop", {battery(100, false, "AC Power", {{"Type", "UPS"s}, {"Kind", "ups"s}, {"Name", "Back-UPS 700"s}})}},
        // No adapter: the battery's own status says what feeds the machine.
        {"arm-dead-battery", {battery(100, false, "AC Power")}},
        // No status and no adapter: nothing says whether it charges or what feeds the machine.
        {"garbled", {{{"Type", "InternalBattery"s}, {"Kind", "battery"s}, {"Current Capacity", std::int64_t{25}}}}},
        {"empty", {}}, {"no-such-machine", {}},
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(platform::readPowerSources(machine(name)), expected) << name;
}

TEST(ReadPowerSources, BatteriesAsOneWeighedByFullCapacityTheirTimeFromARealRateAndAnyAdapterOnlineFeeds)
{
    const Attributes halfOf50Wh = {{"energy_now", "25000000"}, {"energy_full", "50000000"}, {"status", "Discharging"}};
    const auto with = [&](Attributes more) {
        more.insert(more.end(), halfOf50Wh.begin(), halfOf50Wh.end());
        return more;
    };
    const auto halfDischarging = [](PowerSourceDescription extra = {}) { return battery(50, false, "Battery Power", extra); };
    const auto toEmpty = [&](std::int64_t seconds) { return halfDischarging({{"Time to Empty", seconds}}); };
    const std::tuple<const char*, std::vector<Attributes>, PowerSourceDescription> cases[] = {
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
        {"a USB-C port reading 2 is online, whatever the mains after it says",
         {{{"capacity", "50"}, {"status", "Discharging"}}, {{"type", "USB"}, {"online", "2"}}, {{"type", "Mains"}, {"online", "0"}}},
         battery(50, false, "AC Power")},
        {"every adapter offline outweighs the battery's own status",
         {{{"capacity", "50"}, {"status", "Not charging"}}, {{"type", "Mains"}, {"online", "0"}}},
         battery(50, false, "Battery Power")},
        {"energy over power", {with({{"power_now", "10000000"}})}, toEmpty(9000)},
        {"power from current and voltage", {with({{"current_now", "1000000"}, {"voltage_now", "10000000"}})}, toEmpty(9000)},
        {"charge over a negative current",
         {{{"charge_now", "2000000"}, {"charge_full", "4000000"}, {"current_now", "-1000000"}, {"status", "Discharging"}}},
         toEmpty(7200)},
        {"to full while charging",
         {{{"energy_now", "25000000"}, {"energy_full", "50000000"}, {"power_now", "25000000"}, {"status", "Charging"}}},
         battery(50, true, "AC Power", {{"Time to Full", std::int64_t{3600}}})},
        {"a zero rate", {with({{"power_now", "0"}})}, halfDischarging()},
        {"no rate", {halfOf50Wh}, halfDischarging()},
        {"a trickle that would last months", {with({{"power_now", "1"}})}, halfDischarging()},
        {"full: nothing to count down",
         {{{"energy_now", "50000000"}, {"energy_full", "50000000"}, {"power_now", "5"}, {"status", "Full"}}},
         battery(100, false, "AC Power")},
        {"one battery in µWh, the other in µAh",
         {with({{"power_now", "10000000"}}), {{"charge_now", "2000000"}, {"charge_full", "4000000"}, {"current_now", "1000000"}}},
         halfDischarging()},
    };
    for (const auto& [what, supplies, expected] : cases) {
        SCOPED_TRACE(what);
        EXPECT_EQ(readSupplies(supplies), PowerSourceSnapshot{expected});
    }
}

TEST(ComputerName, FixtureMachinesAndTheKernelOnlyWhenAllowedAndFilesSayNothing)
{
    EXPECT_EQ(platform::readComputerName(machine("laptop-charging"), true), "Giulia's ThinkPad");
    EXPECT_EQ(platform::readComputerName(machine("laptop-discharging"), false), "studio.local");
    // Binary machine-info is ignored; hostname's comment and blank line are skipped.
    EXPECT_EQ(platform::readComputerName(machine("garbled"), false), "garbled-box");
    EXPECT_EQ(platform::readComputerName(machine("empty"), false), std::nullopt);

    char kernelName[HOST_NAME_MAX + 1] = {};
    ASSERT_EQ(::gethostname(kernelName, sizeof kernelName - 1), 0);
    if (std::string(kernelName).empty() || std::string(kernelName) == "(none)")
        GTEST_SKIP() << "this machine's kernel has no host name";
    EXPECT_EQ(platform::readComputerName(machine("empty"), true), std::string(kernelName));
}

TEST(ComputerName, MachineInfoIsReadByShellRulesElseHostnameAnswers)
{
    const std::pair<std::string_view, const char*> cases[] = {
        {R"(PRETTY_HOSTNAME="A \"quoted\" \\ \$ \` name")", R"(A "quoted" \ $ ` name)"},
        {R"(PRETTY_HOSTNAME="keeps \n and \t")", R"(keeps \n and \t)"},
        {R"(PRETTY_HOSTNAME='single \ "literal"')", R"(single \ "literal")"},
        {"PRETTY_HOSTNAME=plain\\ words\\\"  \n", "plain words\""},
        {R"(PRETTY_HOSTNAME="Lab"' 'Box)", "Lab Box"}, {"PRETTY_HOSTNAME=it's \"fine\"\n", "it's \"fine\""},
        {"PRETTY_HOSTNAME=one\\\ntwo\n", "onetwo"}, {"PRETTY_HOSTNAME=\"one\\\ntwo\"\n", "onetwo"},
        {"PRETTY_HOSTNAME=\"open to the end", "open to the end"},
        {"  PRETTY_HOSTNAME =   spaced  out  \n", "spaced  out"},
        {"PRETTY_HOSTNAME=Windows line\r\nCHASSIS=desktop\r\n", "Windows line"},
        {"PRETTY_HOSTNAME=Caff\xc3\xa8 Nero\n", "Caff\xc3\xa8 Nero"},
        {"PRETTY_HOSTNAME=first\nPRETTY_HOSTNAME=second\n", "second"},
        // Were these no comments, their open quotes would swallow the lines after them.
        {"# PRETTY_HOSTNAME=\"old name\nPRETTY_HOSTNAME=real\n", "real"},
        {"; note = \"unterminated\nPRETTY_HOSTNAME=real\n", "real"},
        {"# comment ending in a backslash \\\nPRETTY_HOSTNAME=after\n", "after"},
        {"PRETTY_HOSTNAME\nPRETTY_HOSTNAME=after a bare key\n", "after a bare key"},
        {"PRETTY_HOSTNAME=first\nPRETTY_HOSTNAME=\n", "fallback-name"}, {"PRETTY_HOSTNAME=\"\"\n", "fallback-name"},
        {"MY_PRETTY_HOSTNAME=other key\nPRETTY_HOSTNAME_2=another\n", "fallback-name"},
        {"PRETTY_HOSTNAME=bad \xff\xfe bytes\n", "fallback-name"}, {"PRETTY_HOSTNAME=\"bell\a\"\n", "fallback-name"},
        {"PRETTY_HOSTNAME=seen\n\0PRETTY_HOSTNAME=past a NUL\n"sv, "seen"},
    };
    for (const auto& [contents, expected] : cases) {
        ScratchRoot root;
        root.write("etc/hostname", "fallback-name\n");
        root.write("etc/machine-info", contents);
        EXPECT_EQ(platform::readComputerName(root.path, false), expected) << contents;
    }
}

} // namespace
