#include "monitor/power_outlook.h"

#include <string_view>

namespace monitor {
namespace {

// A time a source gives, when it is one: a zero or negative count means "not known".
std::optional<std::int64_t> timeOf(const platform::PowerSourceDescription& description, std::string_view key)
{
    const auto* seconds = platform::powerSourceValue<std::int64_t>(description, key);
    return seconds && *seconds > 0 ? std::optional(*seconds) : std::nullopt;
}

std::optional<std::int64_t> levelOf(const platform::PowerSourceDescription& description)
{
    const auto* capacity = platform::powerSourceValue<std::int64_t>(description, "Current Capacity");
    return capacity && *capacity >= 0 && *capacity <= 100 ? std::optional(*capacity) : std::nullopt;
}

std::optional<WarningLevel> warningLevelOf(const platform::PowerSourceDescription& description)
{
    const auto* level = platform::powerSourceValue<std::string>(description, "Warning Level");
    if (!level)
        return std::nullopt;
    if (*level == "none")
        return WarningLevel::None;
    if (*level == "low")
        return WarningLevel::Low;
    if (*level == "critical" || *level == "action")
        return WarningLevel::Critical;
    return std::nullopt;
}

Peripheral peripheralOf(const platform::PowerSourceDescription& description, const std::string& type)
{
    const auto* name = platform::powerSourceValue<std::string>(description, "Name");
    const auto* kind = platform::powerSourceValue<std::string>(description, "Kind");
    std::string kindName = kind && !kind->empty() ? *kind : type == "UPS" ? "ups" : "other";
    return {name ? *name : std::string(), std::move(kindName), levelOf(description), warningLevelOf(description)};
}

} // namespace

PowerOutlook readPowerOutlook(const platform::PowerSourceSnapshot& snapshot)
{
    PowerOutlook outlook;
    for (const auto& description : snapshot) {
        const auto* type = platform::powerSourceValue<std::string>(description, "Type");
        if (!type)
            continue;
        if (*type == "InternalBattery") {
            outlook.timeToEmpty = timeOf(description, "Time to Empty");
            outlook.timeToFull = timeOf(description, "Time to Full");
            outlook.warningLevel = warningLevelOf(description);
        } else if (levelOf(description)) {
            outlook.peripherals.push_back(peripheralOf(description, *type));
        }
    }
    return outlook;
}

} // namespace monitor
