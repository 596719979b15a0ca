#pragma once

#include <QColor>

#include <optional>
#include <string_view>

namespace platform {

// The colour the desktop panel draws its text in, for images that follow the panel: the one
// the X11 tray host announces where it does; white on GNOME Shell, whose top bar is dark in its
// light style too (not GNOME Classic or Flashback); else the desktop palette's text colour, which the
// other desktops keep in step with their panels. `currentDesktop` is XDG_CURRENT_DESKTOP.
QColor panelInk(const std::optional<QColor>& trayHostForeground, std::string_view currentDesktop, const QColor& paletteText);

// The same, from this session's tray host, environment and palette.
QColor panelInk();

} // namespace platform
