/* Clicks and keys for KWin's Wayland session, where no X11 tool reaches the desktop: KWin's
 * org_kde_kwin_fake_input, which it serves only to a program named in a desktop entry with
 * X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input.
 *   fake_input STEP...   move X Y | click BUTTON (left, right) | key CODE (a Linux key code) */
#include "fake-input-client-protocol.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <wayland-client.h>

static struct org_kde_kwin_fake_input* input;

static void global(void* data, struct wl_registry* registry, uint32_t name, const char* interface, uint32_t version)
{
    (void)data;
    if (strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4)
        input = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4);
}

static void globalRemove(void* data, struct wl_registry* registry, uint32_t name)
{
    (void)data, (void)registry, (void)name;
}

static const struct wl_registry_listener listener = {global, globalRemove};

/* Each step a moment after the last, as a person's: a press in the instant the pointer arrives
 * goes by what was under it before, and one released in the same instant is lost on some. */
static void pause(struct wl_display* display)
{
    wl_display_roundtrip(display);
    nanosleep(&(struct timespec){0, 50 * 1000 * 1000}, NULL);
}

int main(int argc, char* argv[])
{
    struct wl_display* display = wl_display_connect(NULL);
    if (!display) {
        fputs("fake_input: no Wayland display\n", stderr);
        return 1;
    }
    struct wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &listener, NULL);
    wl_display_roundtrip(display);
    int status = 0;
    if (!input) {
        fputs("fake_input: the compositor offers no org_kde_kwin_fake_input (version 4)\n", stderr);
        status = 1;
    } else {
        org_kde_kwin_fake_input_authenticate(input, "battery-monitor tests", "clicks in a test scene");
    }
    for (int i = 1; i < argc && status == 0; ++i) {
        if (strcmp(argv[i], "move") == 0 && i + 2 < argc) {
            org_kde_kwin_fake_input_pointer_motion_absolute(input, wl_fixed_from_int(atoi(argv[i + 1])),
                                                            wl_fixed_from_int(atoi(argv[i + 2])));
            i += 2;
            pause(display);
        } else if (strcmp(argv[i], "click") == 0 && i + 1 < argc) {
            const uint32_t button = strcmp(argv[++i], "right") == 0 ? 0x111 : 0x110; /* BTN_RIGHT, BTN_LEFT */
            org_kde_kwin_fake_input_button(input, button, WL_POINTER_BUTTON_STATE_PRESSED);
            pause(display);
            org_kde_kwin_fake_input_button(input, button, WL_POINTER_BUTTON_STATE_RELEASED);
        } else if (strcmp(argv[i], "key") == 0 && i + 1 < argc) {
            const uint32_t key = (uint32_t)atoi(argv[++i]);
            org_kde_kwin_fake_input_keyboard_key(input, key, WL_KEYBOARD_KEY_STATE_PRESSED);
            pause(display);
            org_kde_kwin_fake_input_keyboard_key(input, key, WL_KEYBOARD_KEY_STATE_RELEASED);
        } else {
            fprintf(stderr, "fake_input: cannot do '%s'\n", argv[i]);
            status = 2;
        }
        wl_display_roundtrip(display);
    }
    if (input)
        org_kde_kwin_fake_input_destroy(input);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return status;
}
