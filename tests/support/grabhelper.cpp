// SPDX-License-Identifier: GPL-3.0-or-later
// Another X client that holds a global shortcut: grabs the key given as an X11 key
// code with the given modifier mask on the root window, says "ready", and keeps the
// grab until its standard input closes.

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 3;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const auto keycode = static_cast<xcb_keycode_t>(std::atoi(argv[1]));
    const auto modifiers = static_cast<uint16_t>(std::atoi(argv[2]));
    if (xcb_generic_error_t* e =
            xcb_request_check(c, xcb_grab_key_checked(c, 1, root, modifiers, keycode,
                                                      XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC))) {
        std::free(e);
        return 4;
    }
    std::puts("ready");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    xcb_disconnect(c);
    return 0;
}
