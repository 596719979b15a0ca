#include "monitor/health_profile.h"

#include "monitor/profiler_text.h"

namespace monitor {

HealthProfile parseHealthProfile(std::string_view text)
{
    HealthProfile profile;
    forEachProfilerLine(text, [&profile](std::string_view line) {
        if (contains(line, "Cycle Count:"))
            profile.cycleCount = readDecimalInteger(labelValue(line, "Cycle Count:")).value_or(0);
        else if (contains(line, "Maximum Capacity:"))
            profile.maximumCapacity = labelValue(line, "Maximum Capacity:");
        else if (contains(line, "Condition:"))
            profile.condition = labelValue(line, "Condition:");
    });
    profile.condition = translateCondition(std::move(profile.condition));
    return profile;
}

std::string translateCondition(std::string condition)
{
    if (condition == "Normal")
        return "Normale";
    if (condition == "Service Recommended")
        return "Assistenza consigliata";
    if (condition == "Replace Soon")
        return "Sostituire presto";
    if (condition == "Replace Now")
        return "Sostituire adesso";
    return condition;
}

} // namespace monitor
