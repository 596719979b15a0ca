// Draws the application's icon: the charging battery of the symbol set on the ring's
// teal-green gradient, so the launcher, the package and the panel look alike.
//   battery-monitor-icon FILE.png SIZE
#include "ui/shape.h"
#include "views/system_symbols.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 3 || std::atoi(argv[2]) < 16) {
        std::fputs("usage: battery-monitor-icon FILE.png SIZE\n", stderr);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const int size = std::atoi(argv[2]);
    const auto symbol = views::systemSymbol("battery.100.bolt");
    if (!symbol) {
        std::fputs("battery-monitor-icon: the Material Icons font is missing\n", stderr);
        return 1;
    }

    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // Launcher icons keep a margin around their tile.
    const QRectF tile = QRectF(0, 0, size, size).adjusted(size * 0.06, size * 0.06, -size * 0.06, -size * 0.06);
    const ui::LinearGradient ring{ui::Color::srgb(0, 0.75, 0.55), ui::Color::srgb(0, 0.95, 0.75)};
    ui::fillShape(painter, ui::Shape::roundedRectangle(tile.width() * 0.22), tile, ring, ui::ColorScheme::Light);
    ui::drawSymbol(painter, *symbol, tile.adjusted(tile.width() * 0.14, 0, -tile.width() * 0.14, 0), Qt::white);
    painter.end();
    return image.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
