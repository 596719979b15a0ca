#pragma once

#include <QColor>

namespace platform {

// The colour the desktop panel draws its text in, for images that follow the panel: the one
// the X11 tray host announces where it does, else the desktop palette's text colour.
QColor panelInk();

} // namespace platform
