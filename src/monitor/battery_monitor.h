#pragma once

#include "monitor/change_signal.h"
#include "monitor/power_outlook.h"
#include "platform/child_process.h"
#include "platform/main_queue.h"
#include "platform/power_sources.h"

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace monitor {

// Where the monitor gets its data: the application passes the host's services, tests stand-ins.
struct BatteryMonitorServices {
    std::function<std::optional<std::string>()> computerName;
    std::shared_ptr<platform::PowerSources> powerSources = nullptr; // none: the battery keeps its placeholders
    std::shared_ptr<platform::ChildProcessLauncher> childProcesses;
    std::shared_ptr<platform::MainQueue> mainQueue;
    std::string profilerPath;
    std::ostream* failureReport = nullptr; // the line of a profiler that cannot start; standard output when null
};

// The battery and machine facts that the status item and the panel show. Every write tells
// `objectWillChange` first, even when the value does not change. Main thread only.
class BatteryMonitor : public std::enable_shared_from_this<BatteryMonitor> {
public:
    // Sets the placeholders, refreshes once and starts the hardware profile; never waits for
    // a profiler. When the power sources tell of a change, reads them again.
    static std::shared_ptr<BatteryMonitor> create(BatteryMonitorServices services);

    BatteryMonitor(const BatteryMonitor&) = delete;
    BatteryMonitor& operator=(const BatteryMonitor&) = delete;

    ChangeSignal objectWillChange;

    std::int64_t percentage() const { return read(percentage_); }
    bool isCharging() const { return read(isCharging_); }
    const std::string& powerSource() const { return read(powerSource_); }
    const std::string& deviceName() const { return read(deviceName_); }
    const std::string& modelName() const { return read(modelName_); }
    const std::string& chipName() const { return read(chipName_); }
    const std::string& memorySize() const { return read(memorySize_); }
    std::int64_t cycleCount() const { return read(cycleCount_); }
    const std::string& healthCapacity() const { return read(healthCapacity_); }
    const std::string& condition() const { return read(condition_); }
    // Beyond the battery's level: time remaining and the peripherals' batteries.
    const PowerOutlook& outlook() const { return read(outlook_); }

    void setPercentage(std::int64_t value) { write(percentage_, value); }
    void setIsCharging(bool value) { write(isCharging_, value); }
    void setPowerSource(std::string value) { write(powerSource_, std::move(value)); }
    void setDeviceName(std::string value) { write(deviceName_, std::move(value)); }
    void setModelName(std::string value) { write(modelName_, std::move(value)); }
    void setChipName(std::string value) { write(chipName_, std::move(value)); }
    void setMemorySize(std::string value) { write(memorySize_, std::move(value)); }
    void setCycleCount(std::int64_t value) { write(cycleCount_, value); }
    void setHealthCapacity(std::string value) { write(healthCapacity_, std::move(value)); }
    void setCondition(std::string value) { write(condition_, std::move(value)); }
    void setOutlook(PowerOutlook value) { write(outlook_, std::move(value)); }

    // Re-reads the computer name and the power sources, then starts a health profile.
    void refresh();

private:
    explicit BatteryMonitor(BatteryMonitorServices services);

    // A profiler parser runs off the main thread and returns the writes to make on it.
    using ProfileDelivery = std::function<void(BatteryMonitor&)>;
    using ProfileParser = ProfileDelivery (*)(std::string_view output);

    void readPowerSources();
    void fetchHardwareInfo();
    void fetchAdvancedBatteryInfo();
    void runSystemProfiler(std::string_view dataType, std::string_view failurePrefix, ProfileParser parse);
    void readInternalBattery(const platform::PowerSourceDescription& description);

    void assertMainThread() const;

    template <class T>
    const T& read(const T& field) const
    {
        assertMainThread();
        return field;
    }

    template <class T>
    void write(T& field, T value)
    {
        assertMainThread();
        objectWillChange.fire();
        field = std::move(value);
    }

    BatteryMonitorServices services_;
    std::thread::id mainThread_ = std::this_thread::get_id();

    std::int64_t percentage_ = 0;
    bool isCharging_ = false;
    std::string powerSource_ = "Unknown";
    std::string deviceName_ = "MacBook";
    std::string modelName_ = "MacBook";
    std::string chipName_ = "Apple Silicon";
    std::string memorySize_ = "-- GB";
    std::int64_t cycleCount_ = 0;
    std::string healthCapacity_ = "--%";
    std::string condition_ = "Unknown";
    PowerOutlook outlook_;
};

} // namespace monitor
