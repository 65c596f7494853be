/* xclose WINDOW: asks a window to close as its title bar's close button does,
 * by sending it the WM_DELETE_WINDOW client message of the ICCCM. The window
 * is an X window id in decimal or 0x hex. Works without a window manager.
 * Exit code 0 when the message was sent, 1 on a bad id or no display. */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>

static int SendDelete(Display *display, Window window) {
    XEvent event = {0};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
    event.xclient.data.l[1] = CurrentTime;
    if (!XSendEvent(display, window, False, NoEventMask, &event)) return 1;
    XSync(display, False);
    return 0;
}

int main(int argc, char **argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: xclose WINDOW\n");
        return 1;
    }
    char *end = NULL;
    unsigned long id = strtoul(argv[1], &end, 0);
    if (end == argv[1] || *end != '\0' || id == 0) {
        fprintf(stderr, "xclose: not a window id: %s\n", argv[1]);
        return 1;
    }
    Display *display = XOpenDisplay(NULL);
    if (display == NULL) {
        fprintf(stderr, "xclose: cannot open the display\n");
        return 1;
    }
    int result = SendDelete(display, (Window)id);
    XCloseDisplay(display);
    return result;
}
