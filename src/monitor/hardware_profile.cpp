#include "monitor/hardware_profile.h"

#include "monitor/profiler_text.h"

namespace monitor {

HardwareProfile parseHardwareProfile(std::string_view text)
{
    HardwareProfile profile;
    forEachProfilerLine(text, [&profile](std::string_view line) {
        if (contains(line, "Model Name:"))
            profile.modelName = labelValue(line, "Model Name:");
        else if (contains(line, "Chip:"))
            profile.chipName = labelValue(line, "Chip:");
        else if (contains(line, "Memory:"))
            profile.memorySize = labelValue(line, "Memory:");
    });
    return profile;
}

} // namespace monitor
