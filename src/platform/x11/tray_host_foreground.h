#pragma once

#include <QColor>

#include <optional>

namespace platform {

// The colour this session's X11 tray host asks symbolic icons to be drawn in
// (_NET_SYSTEM_TRAY_COLORS), where it announces one. Nothing off X11 or without a tray host.
std::optional<QColor> trayHostForeground();

} // namespace platform
