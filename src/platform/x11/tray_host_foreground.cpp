#include "platform/x11/tray_host_foreground.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>

namespace platform {
namespace {

template <class Reply>
using ReplyPointer = std::unique_ptr<Reply, decltype(&std::free)>;

// The atom of `name`, if some client has made it. Asked every ten seconds, so the answers are
// kept: an atom lives as long as the X server, and the program has one connection to it.
xcb_atom_t atom(xcb_connection_t* connection, const std::string& name)
{
    static std::map<std::string, xcb_atom_t> known;
    if (const auto found = known.find(name); found != known.end())
        return found->second;
    const ReplyPointer<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, name.size(), name.c_str()), nullptr),
        &std::free);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    if (atom != XCB_ATOM_NONE) // not made yet: a tray host started later will make it
        known.emplace(name, atom);
    return atom;
}

} // namespace

// _NET_SYSTEM_TRAY_COLORS holds twelve 16-bit components, of which the first three are the
// colour for symbolic icons.
std::optional<QColor> trayHostForeground()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    // The offscreen platform answers as X11 too, without a connection.
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return std::nullopt;
    const int screen = 0;
    const xcb_atom_t selection = atom(connection, "_NET_SYSTEM_TRAY_S" + std::to_string(screen));
    const xcb_atom_t colours = atom(connection, "_NET_SYSTEM_TRAY_COLORS");
    if (selection == XCB_ATOM_NONE || colours == XCB_ATOM_NONE)
        return std::nullopt;

    const ReplyPointer<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr), &std::free);
    if (!owner || owner->owner == XCB_WINDOW_NONE)
        return std::nullopt;
    const ReplyPointer<xcb_get_property_reply_t> property(
        xcb_get_property_reply(connection,
                               xcb_get_property(connection, 0, owner->owner, colours, XCB_ATOM_CARDINAL, 0, 12),
                               nullptr),
        &std::free);
    if (!property || property->format != 32 || property->value_len < 12)
        return std::nullopt;
    const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(property.get()));
    QColor colour;
    colour.setRgbF(values[0] / 65535.0f, values[1] / 65535.0f, values[2] / 65535.0f);
    return colour;
}

} // namespace platform
