#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace platform {

// The name people gave the computer: PRETTY_HOSTNAME from <root>/etc/machine-info, else the
// static host name in <root>/etc/hostname, else (only with `askKernel`) the kernel's host
// name. No value when none of them says anything. Domain suffixes are kept.
std::optional<std::string> readComputerName(const std::filesystem::path& root, bool askKernel);

} // namespace platform
