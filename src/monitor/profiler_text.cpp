#include "monitor/profiler_text.h"

#include "platform/utf8.h"

#include <charconv>

namespace monitor {
namespace {

bool isSpaceSeparator(char32_t c) // general category Zs
{
    return c == 0x20 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x202F
        || c == 0x205F || c == 0x3000;
}

template <class Predicate>
std::string_view trim(std::string_view text, Predicate inSet)
{
    std::size_t begin = 0;
    while (begin < text.size()) {
        const platform::CodePoint c = platform::codePointAt(text, begin);
        if (!inSet(c.value))
            break;
        begin += c.length;
    }
    std::size_t end = text.size();
    while (end > begin) {
        const std::size_t start = platform::previousCodePointStart(text, end);
        if (!inSet(platform::codePointAt(text, start).value))
            break;
        end = start;
    }
    return text.substr(begin, end - begin);
}

} // namespace

bool isNewline(char32_t c)
{
    return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

bool isWhitespaceOrNewline(char32_t c)
{
    return isSpaceSeparator(c) || isNewline(c);
}

bool isWhitespace(char32_t c)
{
    return isSpaceSeparator(c) || c == 0x09;
}

std::string_view trimWhitespaceAndNewlines(std::string_view text)
{
    return trim(text, isWhitespaceOrNewline);
}

std::string_view trimWhitespace(std::string_view text)
{
    return trim(text, isWhitespace);
}

std::size_t nextLineBreak(std::string_view text, std::size_t from, std::size_t& breakLength)
{
    for (std::size_t i = from; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) { // the common case, without decoding
            if (byte >= 0x0A && byte <= 0x0D) {
                breakLength = 1;
                return i;
            }
            ++i;
            continue;
        }
        const platform::CodePoint c = platform::codePointAt(text, i);
        if (isNewline(c.value)) {
            breakLength = c.length;
            return i;
        }
        i += c.length;
    }
    breakLength = 0;
    return text.size();
}

bool contains(std::string_view line, std::string_view label)
{
    return line.find(label) != std::string_view::npos;
}

std::string removingOccurrences(std::string_view text, std::string_view piece)
{
    std::string result;
    result.reserve(text.size());
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(piece, from)) != std::string_view::npos; from = at + piece.size())
        result.append(text, from, at - from);
    result.append(text, from);
    return result;
}

std::string labelValue(std::string_view line, std::string_view label)
{
    // Labels are ASCII, so a byte search cannot match inside a multi-byte character.
    std::string removed(label);
    removed += ' ';
    return std::string(trimWhitespace(removingOccurrences(line, removed)));
}

std::optional<std::int64_t> readDecimalInteger(std::string_view text)
{
    const bool signed_ = !text.empty() && (text.front() == '+' || text.front() == '-');
    const std::size_t digitsFrom = signed_ ? 1 : 0;
    if (text.size() == digitsFrom)
        return std::nullopt;
    for (std::size_t i = digitsFrom; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
    if (text.front() == '+') // from_chars takes a minus sign only
        text.remove_prefix(1);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace monitor
