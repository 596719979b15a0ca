#pragma once

#include "monitor/battery_monitor.h"
#include "platform/main_queue.h"
#include "platform/popover.h"
#include "platform/repeating_timer.h"
#include "platform/status_bar.h"

#include <memory>
#include <optional>
#include <string>

namespace statusbar {

// The desktop services the controller builds on.
struct StatusBarServices {
    std::shared_ptr<platform::StatusBar> statusBar;
    platform::SystemSymbolImages systemSymbolImage;
    platform::TimerScheduler scheduleTimer;
    std::shared_ptr<platform::MainQueue> mainQueue;
};

// Owns the battery's status item: shows the symbol and the level, refreshes them every 10
// seconds, and opens or closes the popover when the item is clicked. Between ticks it also
// follows the monitor, so a change the power sources push (a plug, an unplug) shows at once.
class StatusBarController : public std::enable_shared_from_this<StatusBarController> {
public:
    static constexpr std::chrono::milliseconds updateInterval{10'000};

    static std::shared_ptr<StatusBarController> create(std::shared_ptr<platform::Popover> popover,
                                                       std::shared_ptr<monitor::BatteryMonitor> batteryMonitor,
                                                       StatusBarServices services);

    StatusBarController(const StatusBarController&) = delete;
    StatusBarController& operator=(const StatusBarController&) = delete;

    void togglePopover(platform::StatusItemButton* sender);
    void showPopover(platform::StatusItemButton* sender);
    void closePopover(platform::StatusItemButton* sender);
    // Refreshes the monitor, then rewrites the title and image one main-queue turn later.
    void updateStatusItem();
    ~StatusBarController();

private:
    StatusBarController(std::shared_ptr<platform::Popover> popover,
                        std::shared_ptr<monitor::BatteryMonitor> batteryMonitor, StatusBarServices services);

    // What the item shows; compared, so that a change it does not show costs no redraw.
    struct Shown {
        std::string title;
        std::string symbolName;
        std::string toolTip;
        bool operator==(const Shown&) const = default;
    };
    enum class Rewrite { Always, IfChanged };

    Shown shown() const;
    // Coalesces every request of one main-queue turn into one task.
    void scheduleItemUpdate(Rewrite rewrite);
    void showOnItem(Rewrite rewrite);

    StatusBarServices services_;
    std::shared_ptr<platform::StatusItem> statusItem_;
    std::shared_ptr<platform::Popover> popover_;
    std::shared_ptr<platform::RepeatingTimer> timer_;
    std::shared_ptr<monitor::BatteryMonitor> batteryMonitor_;
    monitor::ChangeSignal::Connection monitorObservation_ = 0;
    std::optional<Shown> lastShown_;
    std::optional<Rewrite> pendingRewrite_;
};

} // namespace statusbar
