#include "statusbar/battery_symbol.h"
#include "statusbar/status_tool_tip.h"

#include <gtest/gtest.h>

namespace {

TEST(SymbolName, LevelsHaveStrictLowerBounds)
{
    const std::pair<std::int64_t, const char*> expected[] = {
        {100, "battery.100"}, {90, "battery.100"}, {89, "battery.75"}, {65, "battery.75"},
        {64, "battery.50"},   {35, "battery.50"},  {34, "battery.25"}, {15, "battery.25"},
        {14, "battery.0"},    {0, "battery.0"},    {-3, "battery.0"},  {250, "battery.100"},
    };
    for (const auto& [percentage, symbol] : expected)
        EXPECT_EQ(statusbar::symbolName(percentage, false), symbol) << percentage;
}

TEST(SymbolName, ChargingShowsTheBoltAtAnyLevel)
{
    EXPECT_EQ(statusbar::symbolName(5, true), "battery.100.bolt");
    EXPECT_EQ(statusbar::symbolName(100, true), "battery.100.bolt");
}

TEST(StatusTitle, IsOneSpaceTheLevelAsItIsAndAPercentSign)
{
    EXPECT_EQ(statusbar::statusTitle(100), " 100%");
    EXPECT_EQ(statusbar::statusTitle(0), " 0%");
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
    EXPECT_EQ(statusbar::statusToolTip({}, false), "");
}

} // namespace
