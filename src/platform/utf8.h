#pragma once

#include <cstddef>
#include <string_view>

namespace platform {

// Strict UTF-8: rejects overlong forms, surrogates, code points above U+10FFFF and
// truncated sequences, as a decoder that fails on invalid bytes must.
bool isValidUtf8(std::string_view bytes);

struct CodePoint {
    char32_t value;
    std::size_t length; // bytes taken by its encoding
};

// The code point starting at `offset` of text already known to be valid UTF-8.
CodePoint codePointAt(std::string_view text, std::size_t offset);

// The offset where the code point ending just before `end` starts, in valid UTF-8.
std::size_t previousCodePointStart(std::string_view text, std::size_t end);

} // namespace platform
