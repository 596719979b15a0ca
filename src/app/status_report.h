#pragma once

#include "monitor/battery_monitor.h"

#include <string>

namespace app {

// The monitor's ten fields in declaration order, then the tray's symbol and title,
// as "name: value" lines.
std::string statusText(const monitor::BatteryMonitor& monitor);

// The same twelve values as one JSON object, integers as numbers and the flag as a boolean.
std::string statusJson(const monitor::BatteryMonitor& monitor);

} // namespace app
