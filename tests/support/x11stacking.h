// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The order in which the X server shows top-level windows, bottom first: the window
// manager's list when one runs (_NET_CLIENT_LIST_STACKING names the clients, not their
// frames), else the root window's children.

#include <QGuiApplication>
#include <QList>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace quelto::testing {

inline QList<quint32> stackingOrder()
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c)
        return {};
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const char name[] = "_NET_CLIENT_LIST_STACKING";
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 1, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    QList<quint32> order;
    if (atom && atom->atom != XCB_ATOM_NONE) {
        xcb_get_property_reply_t* list = xcb_get_property_reply(
            c, xcb_get_property(c, 0, root, atom->atom, XCB_ATOM_WINDOW, 0, 4096), nullptr);
        if (list) {
            const auto* windows = static_cast<const xcb_window_t*>(xcb_get_property_value(list));
            const int count = xcb_get_property_value_length(list) / int(sizeof(xcb_window_t));
            for (int i = 0; i < count; ++i)
                order << windows[i];
        }
        std::free(list);
    }
    std::free(atom);
    if (!order.isEmpty())
        return order;
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr);
    if (tree) {
        const xcb_window_t* children = xcb_query_tree_children(tree);
        for (int i = 0; i < xcb_query_tree_children_length(tree); ++i)
            order << children[i];
    }
    std::free(tree);
    return order;
}

} // namespace quelto::testing
