#pragma once

#include <string>
#include <string_view>

namespace monitor {

// The machine's identity from the profiler's hardware report.
struct HardwareProfile {
    std::string modelName = "MacBook";
    std::string chipName = "Apple Chip";
    std::string memorySize = "-- GB";
};

// `text` must be valid UTF-8. Labels missing from the text keep their fallbacks.
HardwareProfile parseHardwareProfile(std::string_view text);

} // namespace monitor
