#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The system profiler's output as the parsers read it: UTF-8 text cut into lines at every
// newline character, each line trimmed, and "Label: value" lines recognised by substring.
namespace monitor {

// U+000A to U+000D, U+0085, U+2028, U+2029.
bool isNewline(char32_t c);
// Unicode general category Z (space, line and paragraph separators) plus the newlines.
bool isWhitespaceOrNewline(char32_t c);
// Unicode general category Zs plus the tab.
bool isWhitespace(char32_t c);

std::string_view trimWhitespaceAndNewlines(std::string_view text);
std::string_view trimWhitespace(std::string_view text);

// Calls `visit` with every line of valid UTF-8 `text`, trimmed of whitespace and newlines.
// A CR LF pair yields an extra empty line, which no label matches.
template <class Visitor>
void forEachProfilerLine(std::string_view text, Visitor&& visit);

bool contains(std::string_view line, std::string_view label);

// `text` with every non-overlapping occurrence of `piece` removed, in one pass from the left.
std::string removingOccurrences(std::string_view text, std::string_view piece);

// The value of a label line: every "label " removed, then spaces and tabs trimmed.
std::string labelValue(std::string_view line, std::string_view label);

// Optional sign, one or more ASCII digits, nothing else, within signed 64 bits.
std::optional<std::int64_t> readDecimalInteger(std::string_view text);

// ---------------------------------------------------------------------------------------------

std::size_t nextLineBreak(std::string_view text, std::size_t from, std::size_t& breakLength);

template <class Visitor>
void forEachProfilerLine(std::string_view text, Visitor&& visit)
{
    std::size_t start = 0;
    for (;;) {
        std::size_t breakLength = 0;
        const std::size_t end = nextLineBreak(text, start, breakLength);
        visit(trimWhitespaceAndNewlines(text.substr(start, end - start)));
        if (end == text.size())
            return;
        start = end + breakLength;
    }
}

} // namespace monitor
