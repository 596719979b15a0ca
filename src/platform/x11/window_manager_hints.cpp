#include "platform/x11/window_manager_hints.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <string_view>

namespace platform {
namespace {

xcb_connection_t* x11Connection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* connection, std::string_view name)
{
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, name.size(), name.data()), nullptr), &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

} // namespace

void setStartupId(QWindow* window, const QByteArray& id)
{
    xcb_connection_t* connection = x11Connection();
    if (!connection || !window || id.isEmpty())
        return;
    const xcb_atom_t property = atom(connection, "_NET_STARTUP_ID");
    const xcb_atom_t utf8 = atom(connection, "UTF8_STRING");
    if (property == XCB_ATOM_NONE || utf8 == XCB_ATOM_NONE)
        return;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(window->winId()), property, utf8, 8,
                        std::uint32_t(id.size()), id.constData());
}

void keepOffTaskbar(QWindow* window)
{
    xcb_connection_t* connection = x11Connection();
    if (!connection || !window)
        return;
    const xcb_atom_t property = atom(connection, "_NET_WM_STATE");
    const std::array states{atom(connection, "_NET_WM_STATE_SKIP_TASKBAR"), atom(connection, "_NET_WM_STATE_SKIP_PAGER")};
    if (property == XCB_ATOM_NONE || states[0] == XCB_ATOM_NONE || states[1] == XCB_ATOM_NONE)
        return;
    // Qt adds its own states (above, on top) to what it finds here when the window maps.
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(window->winId()), property, XCB_ATOM_ATOM, 32,
                        std::uint32_t(states.size()), states.data());
}

} // namespace platform
