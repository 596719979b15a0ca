#pragma once

#include "app/command_line.h"
#include "monitor/battery_monitor.h"

#include <functional>
#include <memory>
#include <ostream>
#include <string_view>

namespace app {

// Gathers the data once, without a display: constructs the monitor, waits (at most 10 seconds)
// until its profiler runs have delivered or ended, and returns what `use` returns.
// `use` also learns which service the power sources came from ("upower", "sysfs").
using GatheredMonitorUse =
    std::function<int(const std::shared_ptr<monitor::BatteryMonitor>& monitor, std::string_view source)>;
int withGatheredMonitor(const CommandLine& line, std::ostream& failureReport, const GatheredMonitorUse& use);

// `--status`: prints the gathered data and returns the exit status.
int runStatusCommand(const CommandLine& line);

} // namespace app
