#pragma once

#include "app/command_line.h"
#include "monitor/battery_monitor.h"

#include <filesystem>
#include <memory>
#include <ostream>

namespace app {

// The profiler shipped with the program, found beside its own executable so that a build
// tree and an installed copy both work.
std::filesystem::path bundledProfilerPath();

// The monitor's services on this Linux host, as the command line shapes them: `--root` points
// every host file (and, through the environment, the profiler) at a folder.
monitor::BatteryMonitorServices hostServices(const CommandLine& line,
                                             std::shared_ptr<platform::ChildProcessLauncher> childProcesses,
                                             std::shared_ptr<platform::MainQueue> mainQueue,
                                             std::ostream& failureReport);

} // namespace app
