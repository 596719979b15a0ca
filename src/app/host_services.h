#pragma once

#include "app/command_line.h"
#include "monitor/battery_monitor.h"

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <variant>

namespace app {

// The profiler shipped with the program, found beside its own executable so that a build
// tree and an installed copy both work.
std::filesystem::path bundledProfilerPath();

// The power sources `--power-source` and `--root` choose, or why UPower, asked for by name,
// cannot serve. UPower needs a QCoreApplication. A one-shot command waits (at most 2 s) for the
// daemon's first answer, and with `auto` reads sysfs when there is none; the tray never waits,
// and reads sysfs until the daemon answers and whenever it is gone. `name()` says which answers.
std::variant<std::shared_ptr<platform::PowerSources>, std::string> hostPowerSources(const CommandLine& line,
                                                                                   bool oneShot);

// The monitor's services on this Linux host, as the command line shapes them: `--root` points
// every host file (and, through the environment, the profiler) at a folder.
monitor::BatteryMonitorServices hostServices(const CommandLine& line,
                                             std::shared_ptr<platform::PowerSources> powerSources,
                                             std::shared_ptr<platform::ChildProcessLauncher> childProcesses,
                                             std::shared_ptr<platform::MainQueue> mainQueue,
                                             std::ostream& failureReport);

} // namespace app
