#include "ui/symbol.h"

#include <QFontDatabase>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QString>

#include <algorithm>
#include <cmath>
#include <map>

namespace ui {

namespace {

const QString fontFamily = QStringLiteral("Material Icons");
const QString debianFontFile = QStringLiteral(
    "/usr/share/fonts/truetype/material-design-icons-iconfont/MaterialIcons-Regular.ttf");

// Asks fontconfig first; a copy at Debian's path that fontconfig does not know about (a fresh
// install before fc-cache, a sandbox) is registered with Qt once.
bool fontInstalled()
{
    static const bool installed =
        QFontDatabase::hasFamily(fontFamily)
        || (QFontDatabase::addApplicationFont(debianFontFile) >= 0
            && QFontDatabase::hasFamily(fontFamily));
    return installed;
}

// The icon font, without fallback to other fonts.
QFont symbolFont(int pixelSize)
{
    QFont font(fontFamily);
    font.setPixelSize(std::max(1, pixelSize));
    // A missing glyph must show as nothing, never as a letter of some other font.
    font.setStyleStrategy(QFont::NoFontMerging);
    return font;
}

// The icon font at a pixel size, read from Debian's TrueType copy where there is one, else as
// fontconfig finds it. Fontconfig offers the font's WOFF2 copy first, which each painting thread
// would unpack anew as the panel opens. Fonts belong to the thread that opened them, so each
// thread reads the file once and sizes its own copies of it.
QRawFont iconFont(int pixelSize)
{
    thread_local const QRawFont file(debianFontFile, 16);
    thread_local std::map<int, QRawFont> sized;
    auto [font, made] = sized.try_emplace(pixelSize, file);
    if (made && file.isValid())
        font->second.setPixelSize(pixelSize);
    else if (made)
        font->second = QRawFont::fromFont(symbolFont(pixelSize));
    return font->second;
}

Symbol measured(char32_t glyph, bool quarterTurn)
{
    // Large enough that hinting and rounding do not move the measurements.
    constexpr int pixelSize = 512;
    const QString text = QString::fromUcs4(&glyph, 1);
    const QRawFont font = iconFont(pixelSize);
    const quint32 index = font.glyphIndexesForString(text).value(0);
    const QSizeF square(font.advancesForGlyphIndexes({index}).value(0).x(), font.ascent() + font.descent());
    const QPainterPath outline = font.pathForGlyph(index).translated(0, font.ascent());
    // The ink around the em square's centre, which drawing puts on the box's centre.
    QRectF ink = outline.boundingRect().translated(-square.width() / 2, -square.height() / 2);

    QSizeF box = square;
    if (quarterTurn) {
        ink = QRectF(QPointF(-ink.bottom(), ink.left()), QPointF(-ink.top(), ink.right()));
        const qreal halfDepth = std::max(-ink.top(), ink.bottom());
        const qreal endMargin = std::max<qreal>(0, (square.height() - ink.width()) / 2);
        box = QSizeF(square.height(), 2 * (halfDepth + endMargin));
    }
    ink.translate(box.width() / 2, box.height() / 2);
    return Symbol{glyph, quarterTurn, box / pixelSize,
                  QRectF(ink.topLeft() / pixelSize, ink.size() / pixelSize)};
}

} // namespace

std::optional<Symbol> iconSymbol(char32_t glyph, bool quarterTurn)
{
    // Fonts need the GUI application; without one there is nothing to draw with.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr || !fontInstalled())
        return std::nullopt;
    // Older releases of the font lack some glyphs.
    if (!iconFont(24).supportsCharacter(glyph))
        return std::nullopt;
    return measured(glyph, quarterTurn);
}

void drawSymbol(QPainter& painter, const Symbol& symbol, const QRectF& box, const QColor& color)
{
    const qreal scale =
        std::min(box.width() / symbol.box.width(), box.height() / symbol.box.height());
    if (!std::isfinite(scale) || scale <= 0)
        return;
    // Whole pixel sizes keep the font's own rasterisation; the painter makes up the fraction.
    const int pixelSize = std::max(1, qRound(scale));
    const QRawFont font = iconFont(pixelSize);
    const QList<quint32> glyphs = font.glyphIndexesForString(QString::fromUcs4(&symbol.glyph, 1));
    if (glyphs.isEmpty())
        return;

    painter.save();
    painter.translate(box.center());
    if (symbol.quarterTurn)
        painter.rotate(90);
    painter.scale(scale / pixelSize, scale / pixelSize);
    painter.setPen(color);
    QGlyphRun run;
    run.setRawFont(font);
    run.setGlyphIndexes(glyphs);
    // The glyph is designed within its em square, so that square is what gets centred.
    run.setPositions({QPointF(-font.advancesForGlyphIndexes(glyphs).value(0).x() / 2,
                              (font.ascent() - font.descent()) / 2)});
    painter.drawGlyphRun(QPointF(), run);
    painter.restore();
}

} // namespace ui
