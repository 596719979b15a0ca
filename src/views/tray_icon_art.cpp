#include "views/tray_icon_art.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPixmap>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace views {

namespace {

// Below this pixel size the bold digits' counters close up.
constexpr int smallestBoldPixelSize = 12;

QFont numberFont(int pixelSize, bool tight)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setStretch(QFont::Condensed);
    font.setBold(pixelSize >= smallestBoldPixelSize);
    font.setPixelSize(pixelSize);
    if (tight)
        font.setLetterSpacing(QFont::AbsoluteSpacing, -0.06 * pixelSize);
    return font;
}

// The number as tall as `area` allows, closed up and then made smaller until it fits the
// width, centred. Whole pixel positions keep the hinted digits sharp.
void drawNumber(QPainter& painter, const QString& text, const QRect& area, const QColor& ink)
{
    const QRectF digits =
        QFontMetricsF(numberFont(100, false)).tightBoundingRect(QStringLiteral("0123456789"));
    const int tallest = static_cast<int>(area.height() * 100 / std::max<qreal>(digits.height(), 1));
    // Hinting can let a size or two more fit than the outlines suggest.
    for (int pixelSize = tallest + 2; pixelSize > 1; --pixelSize) {
        for (const bool tight : {false, true}) {
            const QFont font = numberFont(pixelSize, tight);
            const QRectF bounds = QFontMetricsF(font).tightBoundingRect(text);
            if (bounds.width() <= area.width() && bounds.height() <= area.height()) {
                painter.setFont(font);
                painter.setPen(ink);
                const QPointF origin = QPointF(area.topLeft())
                    + QPointF(area.width() - bounds.width(), area.height() - bounds.height()) / 2
                    - bounds.topLeft();
                painter.drawText(QPointF(std::round(origin.x()), std::round(origin.y())), text);
                return;
            }
        }
    }
}

// The ink's outline, widened by `width` pixels, in the opposite lightness: wherever the bar
// behind the icon is, one of the two stands out from it.
QImage rimOf(const QImage& inked, const QColor& ink, int width)
{
    QImage silhouette = inked;
    {
        QPainter tint(&silhouette);
        tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
        tint.fillRect(silhouette.rect(), ink.lightnessF() > 0.5 ? Qt::black : Qt::white);
    }
    QImage rim(inked.size(), QImage::Format_ARGB32_Premultiplied);
    rim.fill(Qt::transparent);
    QPainter painter(&rim);
    for (int dy = -width; dy <= width; ++dy) {
        for (int dx = -width; dx <= width; ++dx) {
            if (dx != 0 || dy != 0)
                painter.drawImage(dx, dy, silhouette);
        }
    }
    return rim;
}

QString levelNumber(const QString& level)
{
    QString number = level.trimmed();
    if (number.endsWith(QLatin1Char('%')))
        number.chop(1);
    // A hyphen is a dot at these sizes; the minus sign reads as one.
    return number.trimmed().replace(QLatin1Char('-'), QChar(0x2212));
}

} // namespace

QImage trayIconImage(const std::optional<ui::Symbol>& symbol, const QString& level, const QColor& ink,
                     int size)
{
    QImage image(std::max(size, 1), std::max(size, 1), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);

    const QString number = levelNumber(level);
    const int rim = std::max(1, qRound(image.width() / 22.0));
    const int pad = rim + std::max(1, qRound(image.width() / 22.0));
    QRect numberArea = image.rect().adjusted(pad, pad, -pad, -pad);
    if (symbol) {
        // The symbol's ink spans the width inside the padding and at most half the height; the
        // digits take the rest below a gap. An even pixel size and a whole centre start the
        // glyph on a whole pixel, where it was measured; at 22 and 44 they also put the
        // battery's outline, drawn on the font's 24-unit grid, on whole pixels. The 1% keeps
        // outline noise from turning 24 into 22.
        const QRect inside = numberArea;
        const qreal room = number.isEmpty() ? inside.height() : inside.height() / 2.0;
        const qreal fit =
            std::min(inside.width() / symbol->ink.width(), room / symbol->ink.height()) * 1.01;
        const int pixelSize = 2 * std::max(1, static_cast<int>(fit / 2));
        const QRectF glyph = ui::symbolInk(*symbol, pixelSize);
        const QSizeF box = ui::symbolSize(*symbol, pixelSize);
        const QPointF inkTopLeft((image.width() - glyph.width()) / 2,
                                 number.isEmpty() ? (image.height() - glyph.height()) / 2 : pad);
        const QPointF halfBox = QPointF(box.width(), box.height()) / 2;
        const QPointF centre = inkTopLeft - glyph.topLeft() + halfBox;
        const QRectF placed(QPointF(std::round(centre.x()), std::round(centre.y())) - halfBox, box);
        ui::drawSymbol(painter, *symbol, placed, ink);
        // Hundredths of a pixel of outline do not make a row.
        numberArea.setTop(qCeil(placed.top() + glyph.bottom() - 0.05) + pad);
        numberArea.setBottom(image.height() - 1);
    }
    if (!number.isEmpty())
        drawNumber(painter, number, numberArea, ink);
    painter.end();

    // Hosts seldom tell what colour their bar is: a soft rim keeps the icon legible when the
    // ink guessed for it is wrong, and is hardly seen when it is right.
    QImage framed(image.size(), QImage::Format_ARGB32_Premultiplied);
    framed.fill(Qt::transparent);
    QPainter compose(&framed);
    compose.setOpacity(0.7);
    // The outermost pixels stay clear, as for the ink: hosts that scale the icon smear them.
    compose.setClipRect(framed.rect().adjusted(1, 1, -1, -1));
    compose.drawImage(0, 0, rimOf(image, ink, rim));
    compose.setClipping(false);
    compose.setOpacity(1);
    compose.drawImage(0, 0, image);
    return framed;
}

} // namespace views
