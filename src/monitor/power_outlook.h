#pragma once

#include "monitor/battery_warnings.h"
#include "platform/power_sources.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace monitor {

// A battery that is not the machine's: a mouse, a keyboard, a headset, a UPS.
struct Peripheral {
    std::string name;
    std::string kind; // lower case: "mouse", "keyboard", "ups", ..., "other"
    std::optional<std::int64_t> percentage;
    std::optional<WarningLevel> warningLevel; // where the system judges it

    bool operator==(const Peripheral&) const = default;
};

// What the power sources tell beyond the machine's level: how long its battery lasts or takes
// to fill, and the peripherals' batteries.
struct PowerOutlook {
    std::optional<std::int64_t> timeToEmpty; // seconds, while discharging and known
    std::optional<std::int64_t> timeToFull;  // seconds, while charging and known
    std::vector<Peripheral> peripherals;
    std::optional<WarningLevel> warningLevel; // the machine's battery, where the system judges it

    bool operator==(const PowerOutlook&) const = default;
};

// The times come from the internal battery that decides the level, the last one listed;
// every other source with a level is a peripheral, in the system's order.
PowerOutlook readPowerOutlook(const platform::PowerSourceSnapshot& snapshot);

} // namespace monitor
