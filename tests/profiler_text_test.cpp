// Reading a profiler's output: its lines, label values, integers, and the two profiles.
#include "monitor/hardware_profile.h"
#include "monitor/health_profile.h"
#include "monitor/profiler_text.h"
#include "platform/utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

Lines linesOf(std::string_view text)
{
    Lines lines;
    monitor::forEachProfilerLine(text, [&lines](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

TEST(ProfilerText, LinesBreakAtEveryNewlineLoseTheirSpaceSeparatorsAndThenTheirLabels)
{
    const std::pair<const char*, Lines> cases[] = {
        {"a\nb\vc\fd\re", {"a", "b", "c", "d", "e"}},
        {"a\u0085b\u2028c\u2029d", {"a", "b", "c", "d"}},
        {"a\r\nb", {"a", "", "b"}}, // each character breaks on its own
        {"a\n", {"a", ""}},
        {"   indented  ", {"indented"}},
        {"\u00a0\u2003\u3000wide\u202f\u205f", {"wide"}},
        {"\tx\t", {"\tx\t"}},                 // the value trim takes tabs off, not the line trim
        {"\u200bx\ufeff", {"\u200bx\ufeff"}}, // format characters are no white space
    };
    for (const auto& [text, lines] : cases)
        EXPECT_EQ(linesOf(text), lines) << testing::PrintToString(text);

    // A label goes wherever it is, with one space after it, then the value is trimmed.
    const std::tuple<const char*, const char*, const char*> values[] = {
        {"\tChip: M2\t ", "Chip:", "M2"},
        {"Installed Memory: 8 GB", "Memory:", "Installed 8 GB"},
        {"Chip: Chip: twice", "Chip:", "twice"},
        {"Chip:M2", "Chip:", "Chip:M2"}, // no space after it: the label stays
        {"Chip:", "Chip:", "Chip:"},
        {"Chip: \u2003ARM\u00a0", "Chip:", "ARM"},
    };
    for (const auto& [line, label, value] : values)
        EXPECT_EQ(monitor::labelValue(line, label), value) << line;
    EXPECT_EQ(monitor::removingOccurrences("a.local.b.local", ".local"), "a.b");
    EXPECT_EQ(monitor::removingOccurrences("x.lo.localcal", ".local"), "x.local") << "one pass from the left";
    EXPECT_EQ(monitor::removingOccurrences("MAC.LOCAL", ".local"), "MAC.LOCAL");
}

TEST(ProfilerText, IntegersAreASignedRunOfAsciiDigitsWithinSixtyFourBits)
{
    const std::pair<const char*, std::optional<std::int64_t>> cases[] = {
        {"0412", 412}, {"+7", 7}, {"-7", -7},
        {"9223372036854775807", INT64_MAX}, {"-9223372036854775808", INT64_MIN},
        {"9223372036854775808", {}}, {"-9223372036854775809", {}},
        {"", {}}, {"+", {}}, {"-", {}}, {"+-1", {}}, {"1 2", {}}, {"12 cycles", {}}, {"1.0", {}}, {"1,000", {}},
        {"0x10", {}}, {" 1", {}}, {"\u0661\u0662", {}},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(monitor::readDecimalInteger(text), value) << '"' << text << '"';
}

TEST(ProfilerText, Utf8IsCheckedAsAStrictDecoderDoes)
{
    EXPECT_TRUE(platform::isValidUtf8("plain \u00e8 \u20ac \U0001F50B"));
    for (const char* bad : {"\xff", "\xc0\xaf", "\xe0\x80\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "\xe2\x82", "\x80", "ok\xc3"})
        EXPECT_FALSE(platform::isValidUtf8(bad)) << testing::PrintToString(bad);
}

TEST(HardwareProfile, EachLineTakesItsFirstLabelAndTheLastLineDecides)
{
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = { // output, model, chip, memory
        {"Hardware:\n\n    Hardware Overview:\n\n      Model Name: ThinkPad X1\n\t\tChip: Intel Core i7\n      Memory: 16 GB\n",
         "ThinkPad X1", "Intel Core i7", "16 GB"},
        {"", "MacBook", "Apple Chip", "-- GB"},
        {"Hardware:\n  Serial: 1\nmodel name: lower case\n", "MacBook", "Apple Chip", "-- GB"},
        {"Chip: A Model Name: B\n", "Chip: A B", "Apple Chip", "-- GB"}, // Model Name is looked for first
        {"Chip: first\nChip: second\nTotal Memory: 32 GB", "MacBook", "second", "Total 32 GB"},
    };
    for (const auto& [output, model, chip, memory] : cases) {
        SCOPED_TRACE(output);
        const auto profile = monitor::parseHardwareProfile(output);
        EXPECT_EQ(profile.modelName, model);
        EXPECT_EQ(profile.chipName, chip);
        EXPECT_EQ(profile.memorySize, memory);
    }
}

TEST(HealthProfile, CountCapacityAndConditionTranslatedOnceAfterTheLastLine)
{
    const std::tuple<const char*, std::int64_t, const char*, const char*> cases[] = { // output, cycles, capacity, condition
        {"Power:\n  Health Information:\n      Cycle Count: 0412\n      Condition: Service Recommended\n"
         "      Maximum Capacity: 87%\n",
         412, "87%", "Assistenza consigliata"},
        {"garbage\nmore garbage", 0, "--%", "Unknown"},
        {"Condition: Normal \t", 0, "--%", "Normale"},
        {"Condition: Replace Soon", 0, "--%", "Sostituire presto"},
        {"Condition: Replace Now", 0, "--%", "Sostituire adesso"},
        {"Condition: normal", 0, "--%", "normal"},
        {"Condition: Replace Now\nCondition: Good\n", 0, "--%", "Good"},
        {"Cycle Count: 5 cycles", 0, "--%", "Unknown"},
        {"Cycle Count:\t7", 0, "--%", "Unknown"},                // no space after the label
        {"Cycle Count: 12\nCycle Count: n/a\n", 0, "--%", "Unknown"}, // an unreadable later line resets it
        {"Cycle Count: 3 Condition: Normal", 0, "--%", "Unknown"},    // Cycle Count is looked for first
    };
    for (const auto& [output, cycles, capacity, condition] : cases) {
        SCOPED_TRACE(output);
        const auto profile = monitor::parseHealthProfile(output);
        EXPECT_EQ(profile.cycleCount, cycles);
        EXPECT_EQ(profile.maximumCapacity, capacity);
        EXPECT_EQ(profile.condition, condition);
    }
}

} // namespace
