#pragma once

#include <QByteArray>

class QWindow;

namespace platform {

// Marks `window`, before it maps, with the startup-notification id a desktop handed the program
// for it (_NET_STARTUP_ID): the window manager then gives it the focus as of the moment the id
// was made, also over a window the user has touched since the program last had input. Nothing
// off X11 or with an empty id.
void setStartupId(QWindow* window, const QByteArray& id);

// Marks `window`, before it maps, as one the taskbar and the pager leave out: a popup the window
// manager manages is still no application window. Window managers take the state away when a
// window unmaps, so it is marked again before each showing. Nothing off X11.
void keepOffTaskbar(QWindow* window);

} // namespace platform
