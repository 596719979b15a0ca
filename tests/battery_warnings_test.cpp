#include "monitor/battery_warnings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using monitor::WarningLevel;

// Feeds readings written as "18" (discharging) or "18+" (on the charger) and writes down what
// the warnings said after each: "low", "critical", "withdraw" or "-".
std::string said(const std::vector<std::string>& readings)
{
    monitor::BatteryWarnings warnings;
    std::string out;
    for (const auto& reading : readings) {
        const bool charging = reading.back() == '+';
        const auto change = warnings.update({.percentage = std::stoll(reading), .discharging = !charging, .reported = {}});
        if (!out.empty())
            out += ' ';
        if (!change)
            out += '-';
        else if (change->kind == monitor::WarningChange::Kind::Withdraw)
            out += "withdraw";
        else
            out += change->level == WarningLevel::Critical ? "critical" : "low";
    }
    return out;
}

TEST(BatteryWarnings, OncePerCrossingWithdrawnOnTheChargerArmedAgainOnlyWellAbove)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"50", "21", "20", "19", "6", "5", "4", "3"}, "- - low - - critical - -"},
        {{"20", "21", "20", "21", "20"}, "low - - - -"},                // hovering at the threshold
        {{"4", "3"}, "critical -"},                                      // started below both: one warning
        {{"12"}, "low"},
        {{"18", "18+", "22+", "18"}, "low withdraw - -"},               // not well above yet: not again
        {{"18", "18+", "23+", "22", "20"}, "low withdraw - - low"},     // recovered, then down again
        {{"5", "7+", "5"}, "critical withdraw -"},
        {{"5", "8+", "6", "5"}, "critical withdraw - critical"},        // 8 is well above critical only
        {{"80+", "100+", "60"}, "- - -"},
    };
    for (const auto& [readings, expected] : cases)
        EXPECT_EQ(said(readings), expected) << testing::PrintToString(readings);
}

TEST(BatteryWarnings, TheSystemsOwnVerdictHoldsOverTheThresholds)
{
    monitor::BatteryWarnings warnings;
    EXPECT_EQ(warnings.update({.percentage = 15, .discharging = true, .reported = WarningLevel::None}), std::nullopt);
    EXPECT_EQ(warnings.update({.percentage = 30, .discharging = true, .reported = WarningLevel::Low}),
              (monitor::WarningChange{monitor::WarningChange::Kind::Show, WarningLevel::Low}));
}

TEST(PeripheralWarnings, EachPeripheralOncePerCriticalCrossing)
{
    monitor::PeripheralWarnings warnings;
    const auto reading = [](std::int64_t percentage) {
        return monitor::WarningReading{.percentage = percentage, .discharging = true, .reported = {}};
    };
    EXPECT_FALSE(warnings.update("mouse", reading(6)));
    EXPECT_TRUE(warnings.update("mouse", reading(5)));
    EXPECT_TRUE(warnings.update("keyboard", reading(2))) << "each on its own";
    EXPECT_FALSE(warnings.update("mouse", reading(4)));
    EXPECT_FALSE(warnings.update("mouse", reading(7)));
    EXPECT_FALSE(warnings.update("mouse", reading(5))) << "hovering";
    EXPECT_FALSE(warnings.update("mouse", reading(8)));
    EXPECT_TRUE(warnings.update("mouse", reading(5))) << "well above, then critical again";
    EXPECT_TRUE(warnings.update("pen", {.percentage = 50, .discharging = true, .reported = monitor::WarningLevel::Critical}))
        << "the system's verdict holds";
}

} // namespace
