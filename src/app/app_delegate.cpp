#include "app/app_delegate.h"

#include "app/panel_content.h"
#include "platform/qt/appearance.h"
#include "ui/hosting_widget.h"

#include <QApplication>

namespace app {

AppDelegate::AppDelegate(monitor::BatteryMonitorServices monitorServices,
                         statusbar::StatusBarServices statusBarServices)
    : popover(std::make_shared<platform::PopupWindow>(QApplication::applicationDisplayName())),
      batteryMonitor(monitor::BatteryMonitor::create(std::move(monitorServices))),
      statusBarServices_(std::move(statusBarServices))
{
}

void AppDelegate::applicationDidFinishLaunching()
{
    auto content = std::make_unique<ui::HostingWidget>(panelContent(batteryMonitor, [] { QApplication::quit(); }));
    ui::HostingWidget* rootView = content.get(); // the popover's from here on, for as long as it runs
    // The panel's ground covers every pixel, so Qt need not clear what lies under it first.
    rootView->setAttribute(Qt::WA_OpaquePaintEvent);
    rootView->observe(batteryMonitor->objectWillChange);
    // The panel recolours as soon as the desktop switches between light and dark.
    auto* appearance = new platform::Appearance(rootView);
    const auto follow = [rootView](bool dark) { rootView->setColorScheme(dark ? ui::ColorScheme::Dark : ui::ColorScheme::Light); };
    follow(appearance->isDark());
    QObject::connect(appearance, &platform::Appearance::changed, rootView, follow);

    popover->setContentSize(QSize(320, 480));
    popover->setBehavior(platform::PopupWindow::Behavior::Transient);
    popover->setContent(std::move(content));
    statusBarController = statusbar::StatusBarController::create(popover, batteryMonitor, statusBarServices_);
}

} // namespace app
