#include "app/host_services.h"

#include "platform/linux/host_name.h"
#include "platform/linux/sysfs_power_sources.h"

#include <cstdlib>
#include <system_error>

namespace app {

std::filesystem::path bundledProfilerPath()
{
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    const auto binDir = error ? std::filesystem::path(".") : executable.parent_path();
    return (binDir / PROFILER_DIR_FROM_BIN / "system_profiler").lexically_normal();
}

monitor::BatteryMonitorServices hostServices(const CommandLine& line,
                                             std::shared_ptr<platform::ChildProcessLauncher> childProcesses,
                                             std::shared_ptr<platform::MainQueue> mainQueue,
                                             std::ostream& failureReport)
{
    std::filesystem::path root = "/";
    if (line.root) {
        root = std::filesystem::absolute(*line.root);
        // Children inherit it, so the profiler describes the same machine.
        setenv("BATTERY_MONITOR_ROOT", root.c_str(), 1);
    }
    // A machine in a folder has no kernel of its own to ask for a host name.
    const bool askKernel = !line.root;
    const auto profiler = line.profiler ? std::filesystem::absolute(*line.profiler) : bundledProfilerPath();

    return {
        .computerName = [root, askKernel] { return platform::readComputerName(root, askKernel); },
        .powerSources = std::make_shared<platform::SysfsPowerSources>(root),
        .childProcesses = std::move(childProcesses),
        .mainQueue = std::move(mainQueue),
        .profilerPath = profiler.string(),
        .failureReport = &failureReport,
    };
}

} // namespace app
