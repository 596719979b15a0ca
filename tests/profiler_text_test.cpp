#include "monitor/profiler_text.h"
#include "platform/utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> linesOf(std::string_view text)
{
    std::vector<std::string> lines;
    monitor::forEachProfilerLine(text, [&lines](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

using Lines = std::vector<std::string>;

TEST(ProfilerLines, CutAtEveryNewlineCharacter)
{
    EXPECT_EQ(linesOf("a\nb\vc\fd\re"), (Lines{"a", "b", "c", "d", "e"}));
    EXPECT_EQ(linesOf("a\u0085b\u2028c\u2029d"), (Lines{"a", "b", "c", "d"}));
    // Each character breaks on its own, so CR LF leaves an empty line between.
    EXPECT_EQ(linesOf("a\r\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(linesOf("a\n"), (Lines{"a", ""}));
    EXPECT_EQ(linesOf(""), (Lines{""}));
}

TEST(ProfilerLines, AreTrimmedOfSeparatorsButNotOfOtherCharacters)
{
    EXPECT_EQ(linesOf("   indented  "), (Lines{"indented"}));
    EXPECT_EQ(linesOf("\u00a0\u2003\u3000wide\u202f\u205f"), (Lines{"wide"}));
    // Tab is not a separator of the line trim; the value trim takes it off later.
    EXPECT_EQ(linesOf("\tx\t"), (Lines{"\tx\t"}));
    // Format characters such as the zero-width space and the BOM are no white space.
    EXPECT_EQ(linesOf("\u200bx\ufeff"), (Lines{"\u200bx\ufeff"}));
}

TEST(LabelValue, RemovesEveryLabelWithOneSpaceThenTrimsSpacesAndTabs)
{
    EXPECT_EQ(monitor::labelValue("Chip: M2", "Chip:"), "M2");
    EXPECT_EQ(monitor::labelValue("\tChip: M2\t ", "Chip:"), "M2");
    EXPECT_EQ(monitor::labelValue("Installed Memory: 8 GB", "Memory:"), "Installed 8 GB");
    EXPECT_EQ(monitor::labelValue("Chip: Chip: twice", "Chip:"), "twice");
    EXPECT_EQ(monitor::labelValue("Chip:  two spaces", "Chip:"), "two spaces");
    // Without a space after it, the label stays in the value.
    EXPECT_EQ(monitor::labelValue("Chip:M2", "Chip:"), "Chip:M2");
    EXPECT_EQ(monitor::labelValue("Chip:", "Chip:"), "Chip:");
    EXPECT_EQ(monitor::labelValue("Chip: \u2003ARM\u00a0", "Chip:"), "ARM");
}

TEST(RemovingOccurrences, IsOnePassFromTheLeft)
{
    EXPECT_EQ(monitor::removingOccurrences("mac.local", ".local"), "mac");
    EXPECT_EQ(monitor::removingOccurrences("a.local.b.local", ".local"), "a.b");
    EXPECT_EQ(monitor::removingOccurrences("x.lo.localcal", ".local"), "x.local");
    EXPECT_EQ(monitor::removingOccurrences("MAC.LOCAL", ".local"), "MAC.LOCAL");
}

TEST(DecimalInteger, AcceptsOnlyASignedRunOfAsciiDigitsWithinSixtyFourBits)
{
    EXPECT_EQ(monitor::readDecimalInteger("412"), 412);
    EXPECT_EQ(monitor::readDecimalInteger("0412"), 412);
    EXPECT_EQ(monitor::readDecimalInteger("+7"), 7);
    EXPECT_EQ(monitor::readDecimalInteger("-7"), -7);
    EXPECT_EQ(monitor::readDecimalInteger("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(monitor::readDecimalInteger("-9223372036854775808"), INT64_MIN);

    for (const char* bad : {"", "+", "-", "+-1", "--1", "1 2", "12 cycles", "1.0", "1,000", "0x10", " 1",
                            "9223372036854775808", "-9223372036854775809", "\u0661\u0662"})
        EXPECT_EQ(monitor::readDecimalInteger(bad), std::nullopt) << '"' << bad << '"';
}

TEST(Utf8, RejectsWhatAStrictDecoderRejects)
{
    EXPECT_TRUE(platform::isValidUtf8("plain ascii"));
    EXPECT_TRUE(platform::isValidUtf8("\u00e8 \u20ac \U0001F50B"));
    for (const char* bad : {"\xff", "\xc0\xaf", "\xe0\x80\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "\xe2\x82",
                            "\x80", "ok\xc3"})
        EXPECT_FALSE(platform::isValidUtf8(bad)) << bad;
}

} // namespace
