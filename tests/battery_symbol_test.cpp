#include "statusbar/battery_symbol.h"

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

} // namespace
