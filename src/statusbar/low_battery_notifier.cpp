#include "statusbar/low_battery_notifier.h"

#include "statusbar/status_tool_tip.h"

namespace statusbar {
namespace {

const std::string batterySlot = "battery";

platform::Notification batteryWarning(monitor::WarningLevel level, std::int64_t percentage,
                                      const std::optional<std::int64_t>& timeToEmpty)
{
    const bool critical = level == monitor::WarningLevel::Critical;
    std::string body = "Resta il " + std::to_string(percentage) + '%';
    if (timeToEmpty)
        body += " (circa " + durationText(*timeToEmpty) + ')';
    body += ". Collega l'alimentatore.";
    return {
        .summary = critical ? "Batteria quasi esaurita" : "Batteria scarica",
        .body = std::move(body),
        .iconName = critical ? "battery-empty" : "battery-caution",
        .urgency = critical ? platform::NotificationUrgency::Critical : platform::NotificationUrgency::Normal,
    };
}

} // namespace

std::shared_ptr<LowBatteryNotifier> LowBatteryNotifier::create(std::shared_ptr<monitor::BatteryMonitor> batteryMonitor,
                                                               std::shared_ptr<platform::Notifications> notifications,
                                                               std::shared_ptr<platform::MainQueue> mainQueue)
{
    std::shared_ptr<LowBatteryNotifier> notifier(
        new LowBatteryNotifier(std::move(batteryMonitor), std::move(notifications), std::move(mainQueue)));
    notifier->observation_ = notifier->batteryMonitor_->objectWillChange.connect([weak = notifier->weak_from_this()] {
        if (const auto strong = weak.lock())
            strong->scheduleCheck();
    });
    // The battery may already be low when the program starts.
    notifier->scheduleCheck();
    return notifier;
}

LowBatteryNotifier::LowBatteryNotifier(std::shared_ptr<monitor::BatteryMonitor> batteryMonitor,
                                       std::shared_ptr<platform::Notifications> notifications,
                                       std::shared_ptr<platform::MainQueue> mainQueue)
    : batteryMonitor_(std::move(batteryMonitor)),
      notifications_(std::move(notifications)),
      mainQueue_(std::move(mainQueue))
{
}

LowBatteryNotifier::~LowBatteryNotifier()
{
    batteryMonitor_->objectWillChange.disconnect(observation_);
}

void LowBatteryNotifier::scheduleCheck()
{
    if (std::exchange(checkPending_, true))
        return;
    mainQueue_->async([weak = weak_from_this()] {
        if (const auto notifier = weak.lock()) {
            notifier->checkPending_ = false;
            notifier->check();
        }
    });
}

void LowBatteryNotifier::check()
{
    const auto& monitor = *batteryMonitor_;
    const auto& outlook = monitor.outlook();
    // Discharging: on battery power and not charging. A machine without a battery never is.
    const bool discharging = !monitor.isCharging() && monitor.powerSource() == "Batteria";
    const auto change = batteryWarnings_.update(
        {.percentage = monitor.percentage(), .discharging = discharging, .reported = outlook.warningLevel});
    if (change && change->kind == monitor::WarningChange::Kind::Withdraw)
        notifications_->withdraw(batterySlot);
    else if (change)
        notifications_->show(batterySlot, batteryWarning(change->level, monitor.percentage(), outlook.timeToEmpty));

    for (const auto& peripheral : outlook.peripherals) {
        if (!peripheral.percentage || peripheral.kind == "ups")
            continue;
        const auto name = peripheralName(peripheral);
        if (peripheralWarnings_.update(name, {.percentage = *peripheral.percentage, .discharging = true,
                                              .reported = peripheral.warningLevel})) {
            notifications_->show("peripheral " + name,
                                 {.summary = name + ": batteria al " + std::to_string(*peripheral.percentage) + '%',
                                  .body = "Ricaricalo presto.",
                                  .iconName = "battery-caution",
                                  .urgency = platform::NotificationUrgency::Normal});
        }
    }
}

} // namespace statusbar
