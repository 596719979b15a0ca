#include "app/battery_app.h"

#include "app/app_delegate.h"
#include "app/host_services.h"
#include "app/missing_fonts.h"
#include "platform/freedesktop/desktop_notifications.h"
#include "platform/linux/posix_child_process.h"
#include "platform/qt/qt_main_queue.h"
#include "platform/qt/qt_repeating_timer.h"
#include "platform/qt/qt_status_bar.h"
#include "statusbar/low_battery_notifier.h"
#include "views/system_symbols.h"
#include "views/tray_icon_art.h"

#include <QApplication>
#include <QTimer>

#include <cstdlib>
#include <iostream>

namespace app {

namespace {

QImage trayPicture(const platform::StatusImage* image, const QString& title, const QColor& ink, int size)
{
    return views::trayIconImage(image ? views::systemSymbol(image->symbolName) : std::nullopt, title, ink, size);
}

// Every symbol of the system set that the tray can draw.
std::optional<platform::StatusImage> systemSymbolImage(const std::string& symbolName,
                                                       const std::string& accessibilityDescription)
{
    if (!views::systemSymbol(symbolName))
        return std::nullopt;
    return platform::StatusImage{symbolName, accessibilityDescription, false};
}

} // namespace

int BatteryApp::main(int argc, char* argv[], const CommandLine& line)
{
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM")) {
        std::cerr << "battery-monitor: no desktop to show the tray on; battery-monitor --status prints the status\n";
        return 1;
    }
    // A Wayland compositor lets no client place its own windows, and the panel belongs at the
    // bar: through XWayland, where there is one, it is an X11 popup placed where asked.
    if (std::getenv("WAYLAND_DISPLAY") && std::getenv("DISPLAY") && !std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "xcb", 0);
    QApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("battery-monitor"));
    application.setApplicationDisplayName(QStringLiteral("Stato Batteria"));
    // Closing the popover is no reason to quit; only the panel's quit button is.
    application.setQuitOnLastWindowClosed(false);
    std::cerr << missingFontsReport();

    const auto mainQueue = std::make_shared<platform::QtMainQueue>(&application);
    // Declared after the application and so destroyed before it: its threads post to the queue.
    const auto launcher = std::make_shared<platform::PosixChildProcessLauncher>();
    auto powerSources = hostPowerSources(line, false);
    if (const auto* failure = std::get_if<std::string>(&powerSources)) {
        std::cerr << "battery-monitor: " << *failure << "; reading /sys/class/power_supply instead\n";
        CommandLine sysfs = line;
        sysfs.powerSource = CommandLine::PowerSource::Sysfs;
        powerSources = hostPowerSources(sysfs, false);
    }
    const auto statusBar = std::make_shared<platform::QtStatusBar>(
        trayPicture, platform::StatusItemTexts{
                         .id = application.applicationName(),
                         .title = application.applicationDisplayName(),
                         .noTrayWarning = QStringLiteral(
                             "battery-monitor: no system tray yet, neither an XEmbed tray nor a StatusNotifierItem "
                             "host; the icon appears as soon as one starts (on GNOME: the AppIndicator extension)"),
                     });
    AppDelegate delegate(hostServices(line, std::get<0>(std::move(powerSources)), launcher, mainQueue, std::cout),
                         {
                             .statusBar = statusBar,
                             .systemSymbolImage = systemSymbolImage,
                             .scheduleTimer = platform::scheduleQtTimer,
                             .mainQueue = mainQueue,
                         });
    // Low-battery warnings; where the desktop shows no notifications they are simply not shown.
    const auto warnings = statusbar::LowBatteryNotifier::create(
        delegate.batteryMonitor,
        std::make_shared<platform::DesktopNotifications>(application.applicationDisplayName(), std::cerr),
        mainQueue);
    // A right click on the item offers the panel's own two actions.
    statusBar->setMenu({
        {QStringLiteral("Aggiorna"), [&delegate] { delegate.batteryMonitor->refresh(); }},
        {QStringLiteral("Esci"), [] { QApplication::quit(); }},
    });
    // Launch has finished once the event loop runs.
    QTimer::singleShot(0, &application, [&delegate] { delegate.applicationDidFinishLaunching(); });
    return application.exec();
}

} // namespace app
