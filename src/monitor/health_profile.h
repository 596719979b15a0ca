#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace monitor {

// The battery's wear from the profiler's power report, ready to show.
struct HealthProfile {
    std::int64_t cycleCount = 0;
    std::string maximumCapacity = "--%";
    std::string condition = "Unknown";
};

// `text` must be valid UTF-8. Labels missing from the text keep their fallbacks; the
// condition comes out translated.
HealthProfile parseHealthProfile(std::string_view text);

// The Italian words for the known battery conditions; any other text is kept as it is.
std::string translateCondition(std::string condition);

} // namespace monitor
