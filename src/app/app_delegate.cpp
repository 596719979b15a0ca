#include "app/app_delegate.h"

#include <QWidget>

namespace app {

AppDelegate::AppDelegate(monitor::BatteryMonitorServices monitorServices,
                         statusbar::StatusBarServices statusBarServices)
    : popover(std::make_shared<platform::PopupWindow>()),
      batteryMonitor(monitor::BatteryMonitor::create(std::move(monitorServices))),
      statusBarServices_(std::move(statusBarServices))
{
}

void AppDelegate::applicationDidFinishLaunching()
{
    // The panel's views come with the view layer; until then the popover hosts an empty view.
    auto* rootView = new QWidget;
    popover->setContentSize(QSize(320, 480));
    popover->setBehavior(platform::PopupWindow::Behavior::Transient);
    popover->setContent(rootView);
    statusBarController = statusbar::StatusBarController::create(popover, batteryMonitor, statusBarServices_);
}

} // namespace app
