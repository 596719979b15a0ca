// The least a Qt tray battery item costs: an icon with the level read from sysfs every 10 seconds
// and a plain 320 × 480 window on click. bench/idle_cost.sh runs it beside the monitor, so the
// table shows what the monitor adds to the toolkit's own cost.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QSystemTrayIcon>
#include <QTimer>

namespace {

int batteryLevel()
{
    const QDir supplies(QStringLiteral("/sys/class/power_supply"));
    for (const QString& name : supplies.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile type(supplies.filePath(name + QStringLiteral("/type")));
        if (!type.open(QIODevice::ReadOnly) || type.readAll().trimmed() != "Battery")
            continue;
        QFile capacity(supplies.filePath(name + QStringLiteral("/capacity")));
        if (capacity.open(QIODevice::ReadOnly))
            return capacity.readAll().trimmed().toInt();
    }
    return -1;
}

QIcon levelIcon(const QString& level)
{
    QPixmap pixmap(44, 44);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPixelSize(18);
    painter.setFont(font);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, level);
    return QIcon(pixmap);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    QSystemTrayIcon tray;
    QLabel window;
    window.setWindowFlags(Qt::Popup);
    window.setAlignment(Qt::AlignCenter);
    window.resize(320, 480);

    const auto update = [&] {
        const int level = batteryLevel();
        const QString text = level < 0 ? QStringLiteral("--") : QString::number(level);
        tray.setIcon(levelIcon(text));
        tray.setToolTip(text + QLatin1Char('%'));
        window.setText(text + QLatin1Char('%'));
    };
    update();
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, update);
    timer.start(10'000);

    QObject::connect(&tray, &QSystemTrayIcon::activated, [&](QSystemTrayIcon::ActivationReason reason) {
        if (reason != QSystemTrayIcon::Trigger)
            return;
        if (window.isVisible()) {
            window.hide();
            return;
        }
        window.move(tray.geometry().bottomLeft());
        window.show();
    });
    tray.show();
    return app.exec();
}
