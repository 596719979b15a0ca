#include "hardware_report.h"
#include "power_report.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>

namespace {

int usage()
{
    std::fputs("usage: system_profiler SPHardwareDataType | SPPowerDataType\n", stderr);
    return 2;
}

// The machine to describe: the whole system, unless tests or demos point us at a copy.
std::filesystem::path machineRoot()
{
    const char* root = std::getenv("BATTERY_MONITOR_ROOT");
    return root && *root ? root : "/";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return usage();
    try {
        const std::string_view dataType = argv[1];
        std::string report;
        if (dataType == "SPHardwareDataType")
            report = profiler::hardwareReport(machineRoot());
        else if (dataType == "SPPowerDataType")
            report = profiler::powerReport(machineRoot());
        else
            return usage();
        if (std::fwrite(report.data(), 1, report.size(), stdout) != report.size() || std::fflush(stdout) != 0)
            return 1;
        return 0;
    } catch (const std::exception&) {
        return 1;
    }
}
