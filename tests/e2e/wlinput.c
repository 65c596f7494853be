/* wlinput WIDTH HEIGHT: a virtual pointer and keyboard on a wlroots compositor
 * (WAYLAND_DISPLAY) whose outputs make a WIDTH x HEIGHT layout. It reads one
 * command a line from standard input and answers each with "ok" once the
 * compositor has taken it, or "error: ..." for a bad command:
 *   move X Y              the pointer to X,Y in the layout
 *   button N down|up      button N (1 left, 2 middle, 3 right)
 *   key NAME down|up      the key of the keysym NAME (Escape, space, F1, KP_Add,
 *                         Alt_L ...) in a US layout; modifiers follow the keys
 * The devices live as long as the program, so a key stays down between
 * commands. Exit code 0 at the end of the input, 1 when the compositor is not
 * there or offers neither device. */
#define _GNU_SOURCE
#include <linux/input-event-codes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include "wlinput-client-protocol.h"

static struct wl_seat *seat;
static struct zwlr_virtual_pointer_manager_v1 *pointerManager;
static struct zwp_virtual_keyboard_manager_v1 *keyboardManager;

static void Global(void *data, struct wl_registry *registry, uint32_t name, const char *interface,
                   uint32_t version) {
    (void)data;
    (void)version;
    if (strcmp(interface, wl_seat_interface.name) == 0 && !seat)
        seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
    else if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        pointerManager =
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
    else if (strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0)
        keyboardManager =
            wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1);
}

static void GlobalRemove(void *data, struct wl_registry *registry, uint32_t name) {
    (void)data;
    (void)registry;
    (void)name;
}

static const struct wl_registry_listener registryListener = {Global, GlobalRemove};

static uint32_t Now(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (uint32_t)(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

/* The keymap goes to the compositor as a file it maps. */
static int SendKeymap(struct zwp_virtual_keyboard_v1 *keyboard, struct xkb_keymap *keymap) {
    char *text = xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1);
    if (!text) return 1;
    size_t size = strlen(text) + 1;
    int fd = memfd_create("wlinput-keymap", MFD_CLOEXEC);
    int failed = fd < 0 || write(fd, text, size) != (ssize_t)size;
    free(text);
    if (failed) return 1;
    zwp_virtual_keyboard_v1_keymap(keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd, (uint32_t)size);
    close(fd);
    return 0;
}

/* The key code (XKB's, evdev's plus 8) whose first level gives the keysym. */
static xkb_keycode_t FindKey(struct xkb_keymap *keymap, const char *name) {
    xkb_keysym_t wanted = xkb_keysym_from_name(name, XKB_KEYSYM_NO_FLAGS);
    if (wanted == XKB_KEY_NoSymbol) return 0;
    for (xkb_keycode_t code = xkb_keymap_min_keycode(keymap);
         code <= xkb_keymap_max_keycode(keymap); ++code) {
        const xkb_keysym_t *syms;
        if (xkb_keymap_key_get_syms_by_level(keymap, code, 0, 0, &syms) == 1 && syms[0] == wanted)
            return code;
    }
    return 0;
}

static int ParseState(const char *word) {
    if (strcmp(word, "down") == 0) return 1;
    if (strcmp(word, "up") == 0) return 0;
    return -1;
}

int main(int argc, char **argv) {
    long width = argc == 3 ? strtol(argv[1], NULL, 10) : 0,
         height = argc == 3 ? strtol(argv[2], NULL, 10) : 0;
    if (width <= 0 || height <= 0) {
        fprintf(stderr, "usage: wlinput WIDTH HEIGHT (commands on standard input)\n");
        return 1;
    }
    struct wl_display *display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "wlinput: no Wayland display\n");
        return 1;
    }
    wl_registry_add_listener(wl_display_get_registry(display), &registryListener, NULL);
    wl_display_roundtrip(display);
    if (!seat || !pointerManager || !keyboardManager) {
        fprintf(stderr,
                "wlinput: the compositor offers no seat, virtual pointer or virtual keyboard\n");
        return 1;
    }
    struct zwlr_virtual_pointer_v1 *pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(pointerManager, seat);
    struct zwp_virtual_keyboard_v1 *keyboard =
        zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(keyboardManager, seat);
    struct xkb_context *context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    struct xkb_rule_names us = {.layout = "us"};
    struct xkb_keymap *keymap =
        context ? xkb_keymap_new_from_names(context, &us, XKB_KEYMAP_COMPILE_NO_FLAGS) : NULL;
    struct xkb_state *state = keymap ? xkb_state_new(keymap) : NULL;
    if (!state || SendKeymap(keyboard, keymap) != 0) {
        fprintf(stderr, "wlinput: cannot make or send a US keymap\n");
        return 1;
    }

    char line[256];
    setvbuf(stdout, NULL, _IOLBF, 0);
    while (fgets(line, sizeof line, stdin)) {
        char command[16] = "", name[64] = "", extra;
        long x = -1, y = -1;
        int fields = sscanf(line, "%15s %63s", command, name);
        const char *error = NULL;
        if (strcmp(command, "move") == 0 && sscanf(line, "move %ld %ld %c", &x, &y, &extra) == 2 &&
            x >= 0 && y >= 0 && x < width && y < height) {
            zwlr_virtual_pointer_v1_motion_absolute(pointer, Now(), (uint32_t)x, (uint32_t)y,
                                                    (uint32_t)width, (uint32_t)height);
            zwlr_virtual_pointer_v1_frame(pointer);
        } else if (strcmp(command, "move") == 0) {
            error = "move takes X Y inside the layout";
        } else if (strcmp(command, "button") == 0) {
            char down[8] = "";
            int button = 0, pressed = sscanf(line, "button %d %7s %c", &button, down, &extra) == 2
                                          ? ParseState(down)
                                          : -1;
            static const uint32_t codes[] = {BTN_LEFT, BTN_MIDDLE, BTN_RIGHT};
            if (button < 1 || button > 3 || pressed < 0) {
                error = "button takes 1, 2 or 3 and down or up";
            } else {
                zwlr_virtual_pointer_v1_button(pointer, Now(), codes[button - 1],
                                               (uint32_t)pressed);
                zwlr_virtual_pointer_v1_frame(pointer);
            }
        } else if (strcmp(command, "key") == 0) {
            char down[8] = "";
            int pressed = sscanf(line, "key %*s %7s %c", down, &extra) == 1 ? ParseState(down) : -1;
            xkb_keycode_t code = fields >= 2 ? FindKey(keymap, name) : 0;
            if (code == 0 || pressed < 0) {
                error = "key takes a key name of the US layout and down or up";
            } else {
                /* The compositor takes the modifiers from the client, not from the keys. */
                zwp_virtual_keyboard_v1_key(keyboard, Now(), code - 8, (uint32_t)pressed);
                xkb_state_update_key(state, code, pressed ? XKB_KEY_DOWN : XKB_KEY_UP);
                zwp_virtual_keyboard_v1_modifiers(
                    keyboard, xkb_state_serialize_mods(state, XKB_STATE_MODS_DEPRESSED),
                    xkb_state_serialize_mods(state, XKB_STATE_MODS_LATCHED),
                    xkb_state_serialize_mods(state, XKB_STATE_MODS_LOCKED),
                    xkb_state_serialize_layout(state, XKB_STATE_LAYOUT_EFFECTIVE));
            }
        } else {
            error = "unknown command (move, button, key)";
        }
        if (wl_display_roundtrip(display) < 0) {
            fprintf(stderr, "wlinput: the compositor went away\n");
            return 1;
        }
        if (error)
            printf("error: %s\n", error);
        else
            puts("ok");
    }
    wl_display_disconnect(display);
    return 0;
}
