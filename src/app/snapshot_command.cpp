#include "app/snapshot_command.h"

#include "app/missing_fonts.h"
#include "app/panel_content.h"
#include "app/status_command.h"

#include <QGuiApplication>
#include <QImageWriter>

#include <iostream>

namespace app {
namespace {

QtMessageHandler qtDefaultHandler = nullptr;

// Headless sessions often have no runtime directory, and nothing here needs one: that warning
// would only worry whoever scripts a snapshot.
void quietAboutRuntimeDirectory(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    qtDefaultHandler(type, context, message);
}

} // namespace

int runSnapshotCommand(int argc, char* argv[], const CommandLine& line)
{
    // Fonts need a GUI application; the offscreen platform needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qtDefaultHandler = qInstallMessageHandler(quietAboutRuntimeDirectory);
    QGuiApplication application(argc, argv);
    std::cerr << missingFontsReport();
    return withGatheredMonitor(line, std::cout, [&line](const std::shared_ptr<monitor::BatteryMonitor>& monitor, std::string_view) {
        const QImage image = ui::renderImage(panelContent(monitor, [] {}), {320, 480}, line.scale,
                                             line.dark ? ui::ColorScheme::Dark : ui::ColorScheme::Light);
        QImageWriter writer(QString::fromStdString(line.snapshot->string()), "png");
        if (!writer.write(image)) {
            std::cerr << "battery-monitor: cannot write " << line.snapshot->string() << ": "
                      << writer.errorString().toStdString() << '\n';
            return 1;
        }
        return 0;
    });
}

} // namespace app
