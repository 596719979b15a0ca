#include "views/system_symbols.h"
#include "views/tray_icon_art.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <utility>

namespace {

QRect inkBounds(const QImage& image, const QRect& within)
{
    QRect bounds;
    for (int y = within.top(); y <= within.bottom(); ++y)
        for (int x = within.left(); x <= within.right(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

QImage drawn(const ui::Symbol& symbol, const QRectF& box, const QColor& colour)
{
    QImage image(64, 64, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    ui::drawSymbol(painter, symbol, box, colour);
    return image;
}

TEST(SystemSymbol, EachNameInksItsBoxWhereSaidInTheGivenColour)
{
    const QColor colour(200, 40, 90);
    for (const char* name :
         {"battery.100.bolt", "battery.100", "battery.75", "battery.50", "battery.25", "battery.0",
          "bolt.fill", "powerplug.fill", "heart.text.square.fill", "arrow.triangle.2.circlepath",
          "checkmark.shield.fill", "power", "arrow.clockwise"}) {
        SCOPED_TRACE(name);
        const auto symbol = views::systemSymbol(name);
        ASSERT_TRUE(symbol);
        const QRectF box(QPointF(10, 10), ui::symbolSize(*symbol, 40));
        const QImage image = drawn(*symbol, box, colour);

        const QRect ink = inkBounds(image, image.rect());
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_TRUE(box.adjusted(-1, -1, 1, 1).contains(ink));
        const QRectF said = ui::symbolInk(*symbol, 40).translated(box.topLeft());
        const std::pair<qreal, qreal> edges[] = {{ink.left(), said.left()},
                                                 {ink.right() + 1, said.right()},
                                                 {ink.top(), said.top()},
                                                 {ink.bottom() + 1, said.bottom()}};
        for (const auto& [actual, expected] : edges)
            EXPECT_NEAR(actual, expected, 1.5);
        bool solidInColour = false;
        for (int y = ink.top(); y <= ink.bottom(); ++y)
            for (int x = ink.left(); x <= ink.right(); ++x)
                solidInColour |= image.pixelColor(x, y) == colour;
        EXPECT_TRUE(solidInColour);
    }
    EXPECT_FALSE(views::systemSymbol("battery.110"));
    EXPECT_FALSE(views::systemSymbol(""));
}

TEST(SystemSymbol, BatteriesLieWithTheTerminalOnTheRight)
{
    const auto battery = views::systemSymbol("battery.0");
    ASSERT_TRUE(battery);
    const QSizeF size = ui::symbolSize(*battery, 40);
    EXPECT_GT(size.width(), size.height() * 1.5);

    const QImage image = drawn(*battery, QRectF(QPointF(10, 10), size), Qt::black);
    const QRect ink = inkBounds(image, image.rect());
    EXPECT_GT(ink.width(), ink.height() * 1.5);
    const auto column = [&](int x) { return inkBounds(image, QRect(x, 0, 1, 64)).height(); };
    EXPECT_LT(column(ink.right() - 1), column(ink.left() + 1) / 2);
}

TEST(TrayIcon, CarriesTheLevelInASquareWithClearCornersAndEdges)
{
    const std::pair<const char*, const char*> cases[] = {
        {"battery.0", " 5%"},  {"battery.50", " 38%"},    {"battery.100", " 100%"},
        {"battery.0", " -3%"}, {"battery.100", " 1000%"}, {"battery.100.bolt", " 100%"},
        {"none", " 72%"},
    };
    for (const int size : {16, 22, 44}) {
        for (const auto& [symbolName, level] : cases) {
            SCOPED_TRACE(testing::Message() << symbolName << level << " at " << size);
            const QImage image =
                views::trayIconImage(views::systemSymbol(symbolName), level, Qt::white, size);
            ASSERT_EQ(image.size(), QSize(size, size));
            const int last = size - 1;
            for (const QPoint corner :
                 {QPoint(0, 0), QPoint(last, 0), QPoint(0, last), QPoint(last, last)})
                EXPECT_EQ(qAlpha(image.pixel(corner)), 0);
            // Digits cut off at the sides would ink the outermost columns.
            EXPECT_TRUE(inkBounds(image, QRect(0, 0, 1, size)).isEmpty());
            EXPECT_TRUE(inkBounds(image, QRect(last, 0, 1, size)).isEmpty());
            EXPECT_FALSE(inkBounds(image, QRect(0, size * 3 / 4, size, size / 4)).isEmpty());
        }
    }
}

TEST(TrayIcon, LevelsAreTallEnoughToReadAndTellApartAt22)
{
    const auto symbol = views::systemSymbol("battery.50");
    const QImage image = views::trayIconImage(symbol, " 38%", Qt::black, 22);
    EXPECT_GE(inkBounds(image, QRect(0, 11, 22, 11)).height(), 9);
    EXPECT_NE(image, views::trayIconImage(symbol, " 39%", Qt::black, 22));
}

} // namespace
