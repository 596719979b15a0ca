#pragma once

#include <QByteArray>

class QWindow;

namespace platform {

// Marks `window`, before it maps, with the startup-notification id a desktop handed the program
// for it (_NET_STARTUP_ID): the window manager then gives it the focus as of the moment the id
// was made, also over a window the user has touched since the program last had input. Nothing
// off X11 or with an empty id.
void setStartupId(QWindow* window, const QByteArray& id);

} // namespace platform
