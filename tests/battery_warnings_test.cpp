#include "monitor/battery_warnings.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

using monitor::WarningLevel;

// Feeds readings written as "18" (discharging) or "18+" (on the charger) and writes down what
// the warnings said after each: "low", "critical", "withdraw" or "-".
std::string said(const std::string& readings)
{
    monitor::BatteryWarnings warnings;
    std::istringstream in(readings);
    std::string out;
    for (std::string reading; in >> reading;) {
        const auto change = warnings.update({.percentage = std::stoll(reading), .discharging = reading.back() != '+', .reported = {}});
        out += !change                                                  ? " -"
             : change->kind == monitor::WarningChange::Kind::Withdraw ? " withdraw"
             : change->level == WarningLevel::Critical                 ? " critical"
                                                                        : " low";
    }
    return out.substr(1);
}

TEST(BatteryWarnings, OncePerCrossingWithdrawnOnTheChargerArmedAgainOnlyWellAbove)
{
    const std::pair<const char*, const char*> cases[] = {
        {"50 21 20 19 6 5 4 3", "- - low - - critical - -"},
        {"20 21 20 21 20", "low - - - -"},                         // hovering at the threshold
        {"4 3", "critical -"},                                     // started below both: one warning
        {"18 18+ 22+ 18", "low withdraw - -"},                     // not well above yet: not again
        {"18 18+ 23+ 22 20", "low withdraw - - low"},              // recovered, then down again
        {"5 7+ 5", "critical withdraw -"},
        {"5 8+ 6 5", "critical withdraw - critical"},              // 8 is well above critical only
        {"80+ 100+ 60", "- - -"},
    };
    for (const auto& [readings, expected] : cases)
        EXPECT_EQ(said(readings), expected) << readings;
}

TEST(BatteryWarnings, TheSystemsOwnVerdictHoldsOverTheThresholds)
{
    monitor::BatteryWarnings warnings;
    EXPECT_EQ(warnings.update({.percentage = 15, .discharging = true, .reported = WarningLevel::None}), std::nullopt);
    EXPECT_EQ(warnings.update({.percentage = 30, .discharging = true, .reported = WarningLevel::Low}),
              (monitor::WarningChange{monitor::WarningChange::Kind::Show, WarningLevel::Low}));

    monitor::PeripheralWarnings peripherals;
    EXPECT_TRUE(peripherals.update("pen", {.percentage = 50, .discharging = true, .reported = WarningLevel::Critical}));
}

TEST(PeripheralWarnings, EachPeripheralOncePerCriticalCrossing)
{
    monitor::PeripheralWarnings warnings;
    std::string told;
    for (const auto& [peripheral, percentage] : {std::pair{"mouse", 6}, {"mouse", 5}, {"keyboard", 2}, {"mouse", 4},
                                                 {"mouse", 7}, {"mouse", 5}, {"mouse", 8}, {"mouse", 5}})
        told += warnings.update(peripheral, {.percentage = percentage, .discharging = true, .reported = {}}) ? '!' : '-';
    // Each on its own; not again while hovering below 8, again once there.
    EXPECT_EQ(told, "-!!----!");
}

} // namespace
