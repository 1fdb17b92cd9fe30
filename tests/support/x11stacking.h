// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Stacking and activation as the X server sees them: the order in which it shows
// top-level windows, and another client whose window can be the active one.

#include <QGuiApplication>
#include <QList>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace quelto::testing {

inline xcb_atom_t internAtom(xcb_connection_t* c, const char* name, bool onlyIfExists = false)
{
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, onlyIfExists, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

inline xcb_window_t rootOf(xcb_connection_t* c)
{
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

// Bottom first: the window manager's list when one runs (_NET_CLIENT_LIST_STACKING
// names the clients, not their frames), else the root window's children.
inline QList<quint32> stackingOrder()
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c)
        return {};
    const xcb_window_t root = rootOf(c);
    const xcb_atom_t atom = internAtom(c, "_NET_CLIENT_LIST_STACKING", true);
    QList<quint32> order;
    if (auto* list =
            atom == XCB_ATOM_NONE
                ? nullptr
                : xcb_get_property_reply(
                      c, xcb_get_property(c, 0, root, atom, XCB_ATOM_WINDOW, 0, 4096), nullptr)) {
        const auto* windows = static_cast<const xcb_window_t*>(xcb_get_property_value(list));
        order = QList<quint32>(windows, windows + xcb_get_property_value_length(list) /
                                                      int(sizeof *windows));
        std::free(list);
    }
    if (!order.isEmpty())
        return order;
    if (auto* tree = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr)) {
        const xcb_window_t* children = xcb_query_tree_children(tree);
        order = QList<quint32>(children, children + xcb_query_tree_children_length(tree));
        std::free(tree);
    }
    return order;
}

// Another X client with a window of its own, which it can claim is the active one (as
// a window manager would record it), and which hears the activation requests sent to
// the root window.
class OtherX11Client {
public:
    OtherX11Client()
        : m_c(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(m_c))
            return;
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data;
        m_window = xcb_generate_id(m_c);
        xcb_create_window(m_c, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 100, 100, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_c, screen->root, XCB_CW_EVENT_MASK, &mask);
        m_active = internAtom(m_c, "_NET_ACTIVE_WINDOW");
    }
    ~OtherX11Client() { xcb_disconnect(m_c); }
    OtherX11Client(const OtherX11Client&) = delete;
    OtherX11Client& operator=(const OtherX11Client&) = delete;

    bool connected() const { return !xcb_connection_has_error(m_c); }
    quint32 window() const { return m_window; }
    void makeActive()
    {
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, rootOf(m_c), m_active, XCB_ATOM_WINDOW, 32,
                            1, &m_window);
        // A round trip: the change is made before this returns.
        std::free(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr));
    }
    // How many activation requests for this client's window arrived since the last call.
    int takeActivationRequests()
    {
        int requests = 0;
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_c)) {
            const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
            requests += (event->response_type & ~0x80) == XCB_CLIENT_MESSAGE &&
                        message->type == m_active && message->window == m_window;
            std::free(event);
        }
        return requests;
    }

    // Shows the window and takes the input focus, as a click into another application
    // does; asked again until it lands (a window manager maps it first).
    void takeFocus()
    {
        xcb_map_window(m_c, m_window);
        xcb_set_input_focus(m_c, XCB_INPUT_FOCUS_POINTER_ROOT, m_window, XCB_CURRENT_TIME);
        std::free(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr));
    }

private:
    xcb_connection_t* m_c;
    xcb_window_t m_window = XCB_NONE;
    xcb_atom_t m_active = XCB_ATOM_NONE;
};

} // namespace quelto::testing
