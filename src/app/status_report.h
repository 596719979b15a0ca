#pragma once

#include "monitor/battery_monitor.h"

#include <string>
#include <string_view>

namespace app {

// The monitor's ten fields in declaration order, the tray's symbol and title, then where the
// power sources were read ("upower", "sysfs"), the time remaining in seconds and the
// peripherals, as "name: value" lines. A time nobody knows reads "unknown".
std::string statusText(const monitor::BatteryMonitor& monitor, std::string_view source);

// One line for a bar: the level, then the time remaining or whether it charges
// ("38%, circa 1 h 51 min rimanenti").
std::string statusLine(const monitor::BatteryMonitor& monitor);

// The same values as one JSON object: integers as numbers, the flag as a boolean, an unknown
// time as null, the peripherals as a list of {"name", "kind", "percentage"}.
std::string statusJson(const monitor::BatteryMonitor& monitor, std::string_view source);

} // namespace app
