#pragma once

#include "monitor/battery_monitor.h"
#include "platform/qt/popup_window.h"
#include "statusbar/status_bar_controller.h"

#include <memory>

namespace app {

// Builds and owns the application's objects: the monitor at construction, the configured
// popover and the status item once launch has finished. Nothing is torn down before exit.
class AppDelegate {
public:
    AppDelegate(monitor::BatteryMonitorServices monitorServices, statusbar::StatusBarServices statusBarServices);

    void applicationDidFinishLaunching();

    std::shared_ptr<statusbar::StatusBarController> statusBarController;
    std::shared_ptr<platform::PopupWindow> popover;
    const std::shared_ptr<monitor::BatteryMonitor> batteryMonitor;

private:
    statusbar::StatusBarServices statusBarServices_;
};

} // namespace app
