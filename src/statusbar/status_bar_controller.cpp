#include "statusbar/status_bar_controller.h"

#include "statusbar/battery_symbol.h"

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
    services_.mainQueue->async([weakController = weak_from_this()] {
        const auto controller = weakController.lock();
        if (!controller)
            return;
        auto* button = controller->statusItem_->button();
        if (!button)
            return;
        // Whatever the monitor holds now, which may be newer than the refresh above.
        button->setTitle(statusTitle(controller->batteryMonitor_->percentage()));
        if (auto image = controller->services_.systemSymbolImage(controller->symbolName(), "Stato Batteria")) {
            image->isTemplate = true;
            button->setImage(std::move(*image));
            button->setImagePosition(platform::ImagePosition::ImageLeft);
        }
    });
}

std::string StatusBarController::symbolName() const
{
    return statusbar::symbolName(batteryMonitor_->percentage(), batteryMonitor_->isCharging());
}

} // namespace statusbar
