#include "monitor/hardware_profile.h"
#include "monitor/health_profile.h"

#include <gtest/gtest.h>

namespace {

using monitor::parseHardwareProfile;
using monitor::parseHealthProfile;

TEST(HardwareProfile, ReadsIndentedLabelLines)
{
    const auto profile = parseHardwareProfile("Hardware:\n\n    Hardware Overview:\n\n"
                                              "      Model Name: ThinkPad X1\n"
                                              "\t\tChip: Intel Core i7\n"
                                              "      Memory: 16 GB\n");
    EXPECT_EQ(profile.modelName, "ThinkPad X1");
    EXPECT_EQ(profile.chipName, "Intel Core i7");
    EXPECT_EQ(profile.memorySize, "16 GB");
}

TEST(HardwareProfile, FallsBackForEveryMissingLabel)
{
    for (const char* output : {"", "\n\n", "Hardware:\n  Serial: 1\n", "model name: lower case\n"}) {
        const auto profile = parseHardwareProfile(output);
        EXPECT_EQ(profile.modelName, "MacBook");
        EXPECT_EQ(profile.chipName, "Apple Chip");
        EXPECT_EQ(profile.memorySize, "-- GB");
    }
}

TEST(HardwareProfile, FirstLabelOfALineWinsAndTheLastLineDecides)
{
    // Model Name is tested before Chip, whatever their order on the line.
    auto profile = parseHardwareProfile("Chip: A Model Name: B\n");
    EXPECT_EQ(profile.modelName, "Chip: A B");
    EXPECT_EQ(profile.chipName, "Apple Chip");

    profile = parseHardwareProfile("Chip: first\nChip: second\n");
    EXPECT_EQ(profile.chipName, "second");

    profile = parseHardwareProfile("Total Memory: 32 GB\n");
    EXPECT_EQ(profile.memorySize, "Total 32 GB");
}

TEST(HardwareProfile, CrLfAndUnicodeBreaksReadLikeLineFeeds)
{
    const auto profile = parseHardwareProfile("Model Name: A\r\nChip: B\u2028Memory: 8 GB\u0085");
    EXPECT_EQ(profile.modelName, "A");
    EXPECT_EQ(profile.chipName, "B");
    EXPECT_EQ(profile.memorySize, "8 GB");
}

TEST(HealthProfile, ReadsCountCapacityAndTranslatedCondition)
{
    const auto profile = parseHealthProfile("Power:\n  Health Information:\n"
                                            "      Cycle Count: 0412\n"
                                            "      Condition: Service Recommended\n"
                                            "      Maximum Capacity: 87%\n");
    EXPECT_EQ(profile.cycleCount, 412);
    EXPECT_EQ(profile.maximumCapacity, "87%");
    EXPECT_EQ(profile.condition, "Assistenza consigliata");
}

TEST(HealthProfile, CycleCountFollowsTheIntegerRuleAndEveryLineCounts)
{
    EXPECT_EQ(parseHealthProfile("Cycle Count: +5").cycleCount, 5);
    EXPECT_EQ(parseHealthProfile("Cycle Count: -5").cycleCount, -5);
    EXPECT_EQ(parseHealthProfile("Cycle Count: 5 cycles").cycleCount, 0);
    EXPECT_EQ(parseHealthProfile("Cycle Count: 1 000").cycleCount, 0);
    EXPECT_EQ(parseHealthProfile("Cycle Count: 5.0").cycleCount, 0);
    EXPECT_EQ(parseHealthProfile("Cycle Count: 99999999999999999999").cycleCount, 0);
    EXPECT_EQ(parseHealthProfile("Cycle Count:\t7\t").cycleCount, 0) << "no space after the label";
    // A later unreadable line resets an earlier good one.
    EXPECT_EQ(parseHealthProfile("Cycle Count: 12\nCycle Count: n/a\n").cycleCount, 0);
}

TEST(HealthProfile, ConditionIsTranslatedOnceAfterTheLastLine)
{
    EXPECT_EQ(parseHealthProfile("Condition: Normal").condition, "Normale");
    EXPECT_EQ(parseHealthProfile("Condition: Replace Soon").condition, "Sostituire presto");
    EXPECT_EQ(parseHealthProfile("Condition: Replace Now").condition, "Sostituire adesso");
    EXPECT_EQ(parseHealthProfile("Condition: normal").condition, "normal");
    EXPECT_EQ(parseHealthProfile("Condition: Normal \t").condition, "Normale");
    EXPECT_EQ(parseHealthProfile("Condition: Replace Now\nCondition: Good\n").condition, "Good");
    EXPECT_EQ(parseHealthProfile("Cycle Count: 3").condition, "Unknown");
    // Cycle Count is tested first.
    const auto both = parseHealthProfile("Cycle Count: 3 Condition: Normal");
    EXPECT_EQ(both.cycleCount, 0);
    EXPECT_EQ(both.condition, "Unknown");
}

TEST(HealthProfile, OutputWithoutLabelsGivesTheFallbacks)
{
    const auto profile = parseHealthProfile("garbage\nmore garbage");
    EXPECT_EQ(profile.cycleCount, 0);
    EXPECT_EQ(profile.maximumCapacity, "--%");
    EXPECT_EQ(profile.condition, "Unknown");
}

} // namespace
