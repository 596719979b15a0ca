#include "platform/utf8.h"

namespace platform {
namespace {

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

} // namespace

bool isValidUtf8(std::string_view bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (p < end) {
        const unsigned char lead = *p;
        if (lead < 0x80) {
            ++p;
            continue;
        }
        std::size_t length;
        char32_t minimum;
        char32_t value;
        if ((lead & 0xE0) == 0xC0) {
            length = 2, minimum = 0x80, value = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, minimum = 0x800, value = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, minimum = 0x10000, value = lead & 0x07;
        } else {
            return false;
        }
        if (static_cast<std::size_t>(end - p) < length)
            return false;
        for (std::size_t i = 1; i < length; ++i) {
            if (!isContinuation(p[i]))
                return false;
            value = (value << 6) | (p[i] & 0x3F);
        }
        if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return false;
        p += length;
    }
    return true;
}

CodePoint codePointAt(std::string_view text, std::size_t offset)
{
    const auto* p = reinterpret_cast<const unsigned char*>(text.data()) + offset;
    const unsigned char lead = p[0];
    if (lead < 0x80)
        return {lead, 1};
    if ((lead & 0xE0) == 0xC0)
        return {char32_t(lead & 0x1F) << 6 | (p[1] & 0x3F), 2};
    if ((lead & 0xF0) == 0xE0)
        return {char32_t(lead & 0x0F) << 12 | char32_t(p[1] & 0x3F) << 6 | (p[2] & 0x3F), 3};
    return {char32_t(lead & 0x07) << 18 | char32_t(p[1] & 0x3F) << 12 | char32_t(p[2] & 0x3F) << 6
                | (p[3] & 0x3F),
            4};
}

std::size_t previousCodePointStart(std::string_view text, std::size_t end)
{
    std::size_t start = end - 1;
    while (start > 0 && isContinuation(static_cast<unsigned char>(text[start])))
        --start;
    return start;
}

} // namespace platform
