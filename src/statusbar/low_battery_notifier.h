#pragma once

#include "monitor/battery_monitor.h"
#include "monitor/battery_warnings.h"
#include "platform/main_queue.h"
#include "platform/notifications.h"

#include <memory>

namespace statusbar {

// Warns through the desktop's notifications when the battery runs low, and when a peripheral's
// does: it follows the monitor and leaves when to warn to the warning rules.
class LowBatteryNotifier : public std::enable_shared_from_this<LowBatteryNotifier> {
public:
    static std::shared_ptr<LowBatteryNotifier> create(std::shared_ptr<monitor::BatteryMonitor> batteryMonitor,
                                                      std::shared_ptr<platform::Notifications> notifications,
                                                      std::shared_ptr<platform::MainQueue> mainQueue);
    ~LowBatteryNotifier();

    LowBatteryNotifier(const LowBatteryNotifier&) = delete;
    LowBatteryNotifier& operator=(const LowBatteryNotifier&) = delete;

private:
    LowBatteryNotifier(std::shared_ptr<monitor::BatteryMonitor> batteryMonitor,
                       std::shared_ptr<platform::Notifications> notifications,
                       std::shared_ptr<platform::MainQueue> mainQueue);

    // Every write of one refresh is judged once, a main-queue turn later.
    void scheduleCheck();
    void check();

    std::shared_ptr<monitor::BatteryMonitor> batteryMonitor_;
    std::shared_ptr<platform::Notifications> notifications_;
    std::shared_ptr<platform::MainQueue> mainQueue_;
    monitor::ChangeSignal::Connection observation_ = 0;
    bool checkPending_ = false;
    monitor::BatteryWarnings batteryWarnings_;
    monitor::PeripheralWarnings peripheralWarnings_;
};

} // namespace statusbar
