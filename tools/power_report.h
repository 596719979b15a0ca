#pragma once

#include <filesystem>
#include <string>

namespace profiler {

// The wear of the battery the monitor shows (the last system battery in name order):
// cycle count, condition and maximum capacity. Only the heading without a system battery;
// what cannot be found is left out.
std::string powerReport(const std::filesystem::path& root);

} // namespace profiler
