// SPDX-License-Identifier: GPL-3.0-or-later
// Presses keys through KWin's fake-input protocol: fakekeys KEY... where each KEY is
// an evdev code; all go down in order, then up in reverse.
#include "fake-input-client-protocol.h"
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wayland-client.h>

static struct org_kde_kwin_fake_input* fake;

static void global(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                   uint32_t version)
{
    (void)data;
    if (strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4)
        fake = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4);
}

static void global_remove(void* data, struct wl_registry* registry, uint32_t name)
{
    (void)data; (void)registry; (void)name;
}

int main(int argc, char** argv)
{
    struct wl_display* display = wl_display_connect(NULL);
    if (!display) { fprintf(stderr, "fakekeys: no Wayland display\n"); return 2; }
    static const struct wl_registry_listener listener = {global, global_remove};
    wl_registry_add_listener(wl_display_get_registry(display), &listener, NULL);
    wl_display_roundtrip(display);
    if (!fake) { fprintf(stderr, "fakekeys: no org_kde_kwin_fake_input v4\n"); return 2; }
    org_kde_kwin_fake_input_authenticate(fake, "quelto tests", "press the shortcut");
    for (int i = 1; i < argc; ++i)
        org_kde_kwin_fake_input_keyboard_key(fake, (uint32_t)atoi(argv[i]), 1);
    for (int i = argc - 1; i >= 1; --i)
        org_kde_kwin_fake_input_keyboard_key(fake, (uint32_t)atoi(argv[i]), 0);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
