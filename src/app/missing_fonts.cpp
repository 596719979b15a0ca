#include "app/missing_fonts.h"

#include "views/system_symbols.h"

#include <QFontDatabase>

namespace app {

std::string missingFontsReport()
{
    std::string report;
    const auto missing = [&report](const char* font, const char* package, const char* consequence) {
        report += std::string("battery-monitor: the font ") + font + " is not installed (Debian package " + package
                  + "); " + consequence + '\n';
    };
    if (!views::systemSymbol("battery.100"))
        missing("Material Icons", "fonts-material-design-icons-iconfont", "the battery symbols cannot be drawn");
    if (!QFontDatabase::hasFamily(QStringLiteral("Inter")))
        missing("Inter", "fonts-inter", "the panel's text falls back to the desktop's font");
    if (!QFontDatabase::hasFamily(QStringLiteral("Quicksand")))
        missing("Quicksand", "fonts-quicksand", "the rounded figures fall back to the panel's text font");
    return report;
}

} // namespace app
