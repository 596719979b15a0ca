#include "platform/qt/panel_ink.h"

#include "platform/x11/tray_host_foreground.h"

#include <QGuiApplication>
#include <QPalette>

#include <algorithm>
#include <cstdlib>

namespace platform {

QColor panelInk(const std::optional<QColor>& trayHostForeground, std::string_view currentDesktop, const QColor& paletteText)
{
    if (trayHostForeground)
        return *trayHostForeground;
    bool darkBar = false;
    for (std::size_t start = 0; start <= currentDesktop.size();) {
        const std::size_t end = std::min(currentDesktop.find(':', start), currentDesktop.size());
        const std::string_view name = currentDesktop.substr(start, end - start);
        if (name.substr(0, 6) == "GNOME-") // Classic and Flashback: panels in the theme's colours
            return paletteText;
        // GNOME Shell's top bar is black; sway's bars (swaybar, waybar) and Hyprland's waybar
        // are dark by default.
        darkBar = darkBar || name == "GNOME" || name == "sway" || name == "Hyprland";
        start = end + 1;
    }
    return darkBar ? QColor(Qt::white) : paletteText;
}

QColor panelInk()
{
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    return panelInk(trayHostForeground(), desktop ? desktop : "", QGuiApplication::palette().color(QPalette::WindowText));
}

} // namespace platform
