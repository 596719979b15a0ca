#pragma once

#include <QColor>
#include <QRectF>
#include <QSizeF>

#include <optional>

class QPainter;

namespace ui {

// A symbol: one glyph of the Material Icons font, drawn as text so it takes any colour.
struct Symbol {
    char32_t glyph = 0;
    // The font's batteries stand upright; ours lie with the terminal on the right.
    bool quarterTurn = false;
    // Where the glyph is laid out, in ems, after any turn. Upright glyphs get the em square.
    // Turned ones get the em's length but only their ink's depth plus the margin the glyph
    // keeps at its ends, so a lying battery sized by its box is as long as an upright glyph is
    // tall instead of shrinking into a square.
    QSizeF box{1, 1};
    // The glyph's ink within that box, in ems from its top left, for aligning it with pixels
    // or with text.
    QRectF ink{0, 0, 1, 1};

    friend bool operator==(const Symbol&, const Symbol&) = default;
};

// The symbol of `glyph`, measured. Nothing when the font or the glyph is missing, so callers
// show no image rather than a placeholder box. Call on the GUI thread once a QGuiApplication
// exists.
std::optional<Symbol> iconSymbol(char32_t glyph, bool quarterTurn);

// The symbol's box, and its ink within that box, when drawn with the font at `pixelSize`.
inline QSizeF symbolSize(const Symbol& symbol, qreal pixelSize) { return symbol.box * pixelSize; }
inline QRectF symbolInk(const Symbol& symbol, qreal pixelSize)
{
    return {symbol.ink.topLeft() * pixelSize, symbol.ink.size() * pixelSize};
}

// Draws the symbol centred in `box`, its own box scaled to fit inside. Glyphs start on whole
// pixels, so the ink can sit up to half a pixel off unless the box's centre is whole and the
// pixel size even.
void drawSymbol(QPainter& painter, const Symbol& symbol, const QRectF& box, const QColor& color);

} // namespace ui
