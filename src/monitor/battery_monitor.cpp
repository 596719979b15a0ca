#include "monitor/battery_monitor.h"

#include "monitor/hardware_profile.h"
#include "monitor/health_profile.h"
#include "monitor/profiler_text.h"
#include "platform/utf8.h"

#include <cassert>
#include <iostream>

namespace monitor {

std::shared_ptr<BatteryMonitor> BatteryMonitor::create(BatteryMonitorServices services)
{
    std::shared_ptr<BatteryMonitor> monitor(new BatteryMonitor(std::move(services)));
    // Data gathering starts once the monitor can be referred to weakly by its profiler runs.
    monitor->refresh();
    monitor->fetchHardwareInfo();
    // Only the battery's part: the name and the health profile wait for the next refresh, and a
    // source that pushes often must not start a profiler run at each change.
    if (monitor->services_.powerSources) {
        monitor->services_.powerSources->onChange([weakMonitor = std::weak_ptr(monitor)] {
            if (const auto strong = weakMonitor.lock())
                strong->readPowerSources();
        });
    }
    return monitor;
}

BatteryMonitor::BatteryMonitor(BatteryMonitorServices services) : services_(std::move(services))
{
    if (!services_.failureReport)
        services_.failureReport = &std::cout;
}

void BatteryMonitor::assertMainThread() const
{
    assert(std::this_thread::get_id() == mainThread_ && "monitor fields belong to the main thread");
}

void BatteryMonitor::refresh()
{
    const std::optional<std::string> name = services_.computerName ? services_.computerName() : std::nullopt;
    setDeviceName(removingOccurrences(name.value_or("MacBook"), ".local"));

    readPowerSources();
    fetchAdvancedBatteryInfo();
}

void BatteryMonitor::readPowerSources()
{
    if (!services_.powerSources)
        return;
    if (const auto snapshot = services_.powerSources->snapshot()) {
        for (const platform::PowerSourceDescription& description : *snapshot)
            readInternalBattery(description);
        setOutlook(readPowerOutlook(*snapshot));
    }
}

void BatteryMonitor::readInternalBattery(const platform::PowerSourceDescription& description)
{
    // Every internal battery writes what it carries, so the last one listed decides each field.
    const auto* type = platform::powerSourceValue<std::string>(description, "Type");
    if (!type || *type != "InternalBattery")
        return;
    if (const auto* capacity = platform::powerSourceValue<std::int64_t>(description, "Current Capacity"))
        setPercentage(*capacity);
    if (const auto* charging = platform::powerSourceValue<bool>(description, "Is Charging"))
        setIsCharging(*charging);
    if (const auto* state = platform::powerSourceValue<std::string>(description, "Power Source State"))
        setPowerSource(*state == "AC Power" ? "Alimentatore" : "Batteria");
}

void BatteryMonitor::fetchHardwareInfo()
{
    runSystemProfiler("SPHardwareDataType", "Failed to run hardware system_profiler: ",
                      [](std::string_view output) -> ProfileDelivery {
                          return [profile = parseHardwareProfile(output)](BatteryMonitor& monitor) {
                              monitor.setModelName(profile.modelName);
                              monitor.setChipName(profile.chipName);
                              monitor.setMemorySize(profile.memorySize);
                          };
                      });
}

void BatteryMonitor::fetchAdvancedBatteryInfo()
{
    runSystemProfiler("SPPowerDataType", "Failed to run power system_profiler: ",
                      [](std::string_view output) -> ProfileDelivery {
                          return [profile = parseHealthProfile(output)](BatteryMonitor& monitor) {
                              monitor.setCycleCount(profile.cycleCount);
                              monitor.setHealthCapacity(profile.maximumCapacity);
                              monitor.setCondition(profile.condition);
                          };
                      });
}

void BatteryMonitor::runSystemProfiler(std::string_view dataType, std::string_view failurePrefix,
                                       ProfileParser parse)
{
    const std::weak_ptr<BatteryMonitor> weakMonitor = weak_from_this();
    const std::shared_ptr<platform::MainQueue> mainQueue = services_.mainQueue;

    // Runs on the launcher's thread: touches no field, hands the values over by value.
    auto onTermination = [weakMonitor, mainQueue, parse](platform::ChildProcessEnd end) {
        if (weakMonitor.expired() || !end.completed || !platform::isValidUtf8(end.output))
            return;
        mainQueue->async([weakMonitor, deliver = parse(end.output)] {
            if (const auto monitor = weakMonitor.lock())
                deliver(*monitor);
        });
    };

    const auto failure = services_.childProcesses->launch(services_.profilerPath, {std::string(dataType)},
                                                          std::move(onTermination));
    if (failure)
        *services_.failureReport << failurePrefix << failure->description << std::endl;
}

} // namespace monitor
