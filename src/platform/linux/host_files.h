#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// Reading the small text files the kernel and the distribution keep about the machine
// (sysfs attributes, /proc tables, /etc settings). A file that is missing, unreadable,
// too large or garbled gives no value; nothing here throws or prints.
namespace platform {

// The whole file, when it can be read and holds at most `maxSize` bytes.
std::optional<std::string> readHostFile(const std::filesystem::path& path,
                                        std::size_t maxSize = std::size_t{1} << 20);

// The file's first line, trimmed of whitespace.
std::optional<std::string> readFirstLine(const std::filesystem::path& path);

// `text` without leading and trailing spaces, tabs, newlines, carriage returns, form and
// vertical feeds.
std::string_view trimmed(std::string_view text);

// A sysfs integer: optional '-', then decimal digits, within signed 64 bits; whitespace
// around it (the kernel's trailing newline) is ignored. Anything else gives no value.
std::optional<std::int64_t> parseSysfsInteger(std::string_view text);

std::optional<std::int64_t> readSysfsInteger(const std::filesystem::path& path);

// Whether `text` can be shown to a person as one line: well-formed UTF-8 with no control
// characters and no Unicode line or paragraph separators.
bool isPrintableText(std::string_view text);

} // namespace platform
