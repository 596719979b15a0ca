#pragma once

#include <QByteArray>
#include <QRect>

#include <optional>

namespace platform {

// The part of the screen that windows may use, as a Wayland compositor that says so tells it:
// sway (over its IPC socket, SWAYSOCK) answers with its focused workspace, whose rectangle
// leaves out the bars. Nothing elsewhere, or when the compositor does not answer at once.
// X11 window managers publish the same as _NET_WORKAREA, which Qt reads itself; XWayland
// has none.
std::optional<QRect> compositorWorkArea();

// The focused workspace's rectangle in an answer to sway's GET_WORKSPACES.
std::optional<QRect> focusedWorkspaceRect(const QByteArray& workspacesJson);

} // namespace platform
