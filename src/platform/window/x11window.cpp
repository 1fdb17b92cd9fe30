// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/window/x11window.h"

#include "platform/window/x11connection.h"

#include <QByteArray>
#include <QGuiApplication>

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace quelto {

namespace {

constexpr quint32 kAllDesktops = 0xFFFFFFFF;
constexpr quint32 kSourcePager = 2; // a request on the user's behalf

xcb_window_t root(xcb_connection_t* c)
{
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

xcb_atom_t atom(xcb_connection_t* c, const QByteArray& name)
{
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(name.size()), name.constData()), nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

bool selectionOwned(xcb_connection_t* c, xcb_atom_t selection)
{
    if (selection == XCB_ATOM_NONE)
        return false;
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr);
    const bool owned = owner && owner->owner != XCB_NONE;
    std::free(owner);
    return owned;
}

void sendToRoot(xcb_connection_t* c, xcb_window_t window, xcb_atom_t type,
                std::initializer_list<quint32> data)
{
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    int i = 0;
    for (quint32 value : data)
        event.data.data32[i++] = value;
    xcb_send_event(c, 0, root(c),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(c);
}

WindowSystem*& currentSystem()
{
    static X11WindowSystem session;
    static WindowSystem* current = &session;
    return current;
}

} // namespace

std::optional<quint32> X11WindowSystem::activeWindow() const
{
    xcb_connection_t* c = x11Connection();
    if (!c)
        return std::nullopt;
    const xcb_atom_t active = atom(c, "_NET_ACTIVE_WINDOW");
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, root(c), active, XCB_ATOM_WINDOW, 0, 1), nullptr);
    std::optional<quint32> window;
    if (reply && xcb_get_property_value_length(reply) == sizeof(quint32)) {
        quint32 value = 0;
        std::memcpy(&value, xcb_get_property_value(reply), sizeof value);
        if (value != XCB_NONE)
            window = value;
    }
    std::free(reply);
    return window;
}

void X11WindowSystem::activate(quint32 window)
{
    if (xcb_connection_t* c = x11Connection())
        sendToRoot(c, window, atom(c, "_NET_ACTIVE_WINDOW"), {kSourcePager, XCB_CURRENT_TIME, 0});
}

void X11WindowSystem::showOnAllDesktops(quint32 window)
{
    xcb_connection_t* c = x11Connection();
    if (!c)
        return;
    const xcb_atom_t desktop = atom(c, "_NET_WM_DESKTOP");
    // Before mapping the property is read by the window manager; once mapped it wants
    // a request.
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, desktop, XCB_ATOM_CARDINAL, 32, 1,
                        &kAllDesktops);
    sendToRoot(c, window, desktop, {kAllDesktops, kSourcePager});
}

bool X11WindowSystem::setShape(quint32 window, const QRegion& region)
{
    xcb_connection_t* c = x11Connection();
    if (!c || !window)
        return false;
    std::vector<xcb_rectangle_t> rectangles;
    for (const QRect& r : region)
        rectangles.push_back({static_cast<int16_t>(r.x()), static_cast<int16_t>(r.y()),
                              static_cast<uint16_t>(r.width()), static_cast<uint16_t>(r.height())});
    xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, XCB_CLIP_ORDERING_UNSORTED,
                         window, 0, 0, static_cast<uint32_t>(rectangles.size()), rectangles.data());
    xcb_flush(c);
    return true;
}

bool X11WindowSystem::isCompositing() const
{
    xcb_connection_t* c = x11Connection();
    return c && selectionOwned(c, atom(c, "_NET_WM_CM_S0"));
}

WindowSystem& WindowSystem::current()
{
    return *currentSystem();
}

WindowSystem::Override::Override(WindowSystem& replacement)
    : m_previous(std::exchange(currentSystem(), &replacement))
{}

WindowSystem::Override::~Override()
{
    currentSystem() = m_previous;
}

} // namespace quelto
