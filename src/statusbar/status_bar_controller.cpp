#include "statusbar/status_bar_controller.h"

#include "statusbar/battery_symbol.h"
#include "statusbar/status_tool_tip.h"

namespace statusbar {

std::shared_ptr<StatusBarController> StatusBarController::create(
    std::shared_ptr<platform::Popover> popover, std::shared_ptr<monitor::BatteryMonitor> batteryMonitor,
    StatusBarServices services)
{
    std::shared_ptr<StatusBarController> controller(
        new StatusBarController(std::move(popover), std::move(batteryMonitor), std::move(services)));
    const std::weak_ptr<StatusBarController> weakController = controller;

    // Steps that hand the controller out weakly wait until it is shared.
    if (auto* button = controller->statusItem_->button()) {
        button->setAction([weakController](platform::StatusItemButton* sender) {
            if (const auto strong = weakController.lock())
                strong->togglePopover(sender);
        });
        controller->updateStatusItem();
    }
    controller->timer_ = controller->services_.scheduleTimer(updateInterval, [weakController] {
        if (const auto strong = weakController.lock())
            strong->updateStatusItem();
    });
    controller->monitorObservation_ = controller->batteryMonitor_->objectWillChange.connect([weakController] {
        if (const auto strong = weakController.lock())
            strong->scheduleItemUpdate(Rewrite::IfChanged);
    });
    return controller;
}

StatusBarController::StatusBarController(std::shared_ptr<platform::Popover> popover,
                                         std::shared_ptr<monitor::BatteryMonitor> batteryMonitor,
                                         StatusBarServices services)
    : services_(std::move(services)),
      statusItem_(services_.statusBar->statusItem(platform::StatusBar::variableLength)),
      popover_(std::move(popover)),
      batteryMonitor_(std::move(batteryMonitor))
{
}

StatusBarController::~StatusBarController()
{
    batteryMonitor_->objectWillChange.disconnect(monitorObservation_);
}

void StatusBarController::togglePopover(platform::StatusItemButton* sender)
{
    if (popover_->isShown())
        closePopover(sender);
    else
        showPopover(sender);
}

void StatusBarController::showPopover(platform::StatusItemButton*)
{
    auto* button = statusItem_->button();
    if (!button)
        return;
    batteryMonitor_->refresh();
    popover_->show(button->bounds(), *button, platform::RectEdge::MinY);
    popover_->makeContentWindowKey();
}

void StatusBarController::closePopover(platform::StatusItemButton* sender)
{
    popover_->performClose(sender);
}

void StatusBarController::updateStatusItem()
{
    batteryMonitor_->refresh();
    scheduleItemUpdate(Rewrite::Always);
}

void StatusBarController::scheduleItemUpdate(Rewrite rewrite)
{
    const bool queued = pendingRewrite_.has_value();
    if (!queued || rewrite == Rewrite::Always)
        pendingRewrite_ = rewrite;
    if (queued)
        return;
    services_.mainQueue->async([weakController = weak_from_this()] {
        if (const auto controller = weakController.lock())
            controller->showOnItem(*std::exchange(controller->pendingRewrite_, std::nullopt));
    });
}

void StatusBarController::showOnItem(Rewrite rewrite)
{
    auto* button = statusItem_->button();
    if (!button)
        return;
    // Whatever the monitor holds now, which may be newer than the refresh that asked.
    Shown now = shown();
    if (rewrite == Rewrite::IfChanged && now == lastShown_)
        return;
    button->setTitle(now.title);
    if (auto image = services_.systemSymbolImage(now.symbolName, "Stato Batteria")) {
        image->isTemplate = true;
        button->setImage(std::move(*image));
        button->setImagePosition(platform::ImagePosition::ImageLeft);
    }
    button->setToolTip(now.toolTip);
    lastShown_ = std::move(now);
}

StatusBarController::Shown StatusBarController::shown() const
{
    const auto percentage = batteryMonitor_->percentage();
    const auto charging = batteryMonitor_->isCharging();
    return {statusTitle(percentage), statusbar::symbolName(percentage, charging),
            statusToolTip(batteryMonitor_->outlook(), charging)};
}

} // namespace statusbar
