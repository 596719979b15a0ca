#include "platform/x11/startup_id.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace platform {
namespace {

xcb_atom_t atom(xcb_connection_t* connection, const char* name, std::size_t length)
{
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, length, name), nullptr), &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

} // namespace

void setStartupId(QWindow* window, const QByteArray& id)
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection || !window || id.isEmpty())
        return;
    const xcb_atom_t property = atom(connection, "_NET_STARTUP_ID", 15);
    const xcb_atom_t utf8 = atom(connection, "UTF8_STRING", 11);
    if (property == XCB_ATOM_NONE || utf8 == XCB_ATOM_NONE)
        return;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(window->winId()), property, utf8, 8,
                        std::uint32_t(id.size()), id.constData());
}

} // namespace platform
