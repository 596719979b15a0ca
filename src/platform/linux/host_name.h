#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The name people gave the computer: PRETTY_HOSTNAME from <root>/etc/machine-info, else the
// static host name in <root>/etc/hostname, else (only with `askKernel`) the kernel's host
// name. No value when none of them says anything. Domain suffixes are kept.
std::optional<std::string> readComputerName(const std::filesystem::path& root, bool askKernel);

// The last value of `key` in <root>/etc/machine-info (PRETTY_HOSTNAME, CHASSIS, ...), when it is
// there, not empty and printable.
std::optional<std::string> readMachineInfo(const std::filesystem::path& root, std::string_view key);

} // namespace platform
