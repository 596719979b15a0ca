#include "views/presentation_rules.h"

#include <gtest/gtest.h>

namespace {

using views::conditionColor;
using views::schemeTint;
using views::statusDescription;

TEST(StatusDescription, ChargingWinsOverFullAndOnlyExactlyHundredIsFull)
{
    EXPECT_EQ(statusDescription(true, 100), "Alimentatore collegato.\nLa batteria si sta caricando.");
    EXPECT_EQ(statusDescription(false, 100), "Batteria carica.\nAlimentazione da batteria.");
    for (const std::int64_t percentage : {99, 101}) {
        SCOPED_TRACE(percentage);
        EXPECT_EQ(statusDescription(false, percentage), "Alimentazione da batteria.\nNessun alimentatore collegato.");
    }
}

TEST(ConditionColor, MatchesNamesExactlyElseGray)
{
    EXPECT_EQ(conditionColor("Normale"), ui::Color::green());
    EXPECT_EQ(conditionColor("Assistenza consigliata"), ui::Color::orange());
    EXPECT_EQ(conditionColor("Sostituire presto"), ui::Color::orange());
    EXPECT_EQ(conditionColor("Sostituire adesso"), ui::Color::red());
    for (const char* name : {"normale", "Normale ", "Unknown", ""}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(conditionColor(name), ui::Color::gray());
    }
}

TEST(SchemeTint, WhiteOnDarkBlackOnLightEachWithItsOpacity)
{
    EXPECT_EQ(schemeTint(ui::ColorScheme::Dark, 0.08, 0.05), ui::Color::white().opacity(0.08));
    EXPECT_EQ(schemeTint(ui::ColorScheme::Light, 0.08, 0.05), ui::Color::black().opacity(0.05));
}

} // namespace
