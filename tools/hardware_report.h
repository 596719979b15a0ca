#pragma once

#include <filesystem>
#include <string>

namespace profiler {

// The hardware overview of the machine under `root`: model name from the firmware's DMI
// tables or the device tree, processor from /proc/cpuinfo, installed memory from
// /proc/meminfo. What cannot be found is left out.
std::string hardwareReport(const std::filesystem::path& root);

} // namespace profiler
