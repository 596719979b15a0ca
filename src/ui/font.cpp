#include "ui/font.h"

#include <QFontDatabase>
#include <QGuiApplication>

#include <cmath>

namespace ui {
namespace {

// Inter where installed: every weight the panel uses, and the same look on every desktop.
QString defaultFamily()
{
    static const QString family = QFontDatabase::hasFamily(QStringLiteral("Inter")) ? QStringLiteral("Inter")
                                                                                     : QGuiApplication::font().family();
    return family;
}

QString roundedFamily()
{
    static const QString family =
        QFontDatabase::hasFamily(QStringLiteral("Quicksand")) ? QStringLiteral("Quicksand") : defaultFamily();
    return family;
}

QFont::Weight qtWeight(FontWeight weight)
{
    switch (weight) {
    case FontWeight::Regular: return QFont::Normal;
    case FontWeight::Medium: return QFont::Medium;
    case FontWeight::Semibold: return QFont::DemiBold;
    case FontWeight::Bold: return QFont::Bold;
    }
    return QFont::Normal;
}

} // namespace

QFont Font::qfont() const
{
    QFont font(design == FontDesign::Rounded ? roundedFamily() : defaultFamily());
    // Pixel sizes keep a view's points equal to device-independent pixels on every screen.
    font.setPixelSize(std::max(1, int(std::lround(size))));
    font.setWeight(qtWeight(weight));
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

} // namespace ui
