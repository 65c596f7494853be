/* Waits for the first drawn frame of the viewer: a viewable top-level window
 * titled "Heliora" whose centre (where the Sun is) is bright, and prints the
 * milliseconds since START (microseconds since the epoch, as bash's
 * EPOCHREALTIME without its point). Polls every 5 ms; exit code 1 after
 * LIMIT seconds without it.
 *
 *   first_frame START [LIMIT]        cc -O2 -o first_frame first_frame.c -lX11
 */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/time.h>
#include <unistd.h>

static long long NowMicroseconds(void) {
    struct timeval now;
    gettimeofday(&now, NULL);
    return (long long)now.tv_sec * 1000000 + now.tv_usec;
}

static Window FindViewer(Display* display) {
    Window root, parent, *children = NULL, found = 0;
    unsigned int count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return 0;
    for (unsigned int i = 0; i < count && found == 0; ++i) {
        char* name = NULL;
        XWindowAttributes attributes;
        if (XFetchName(display, children[i], &name) && name != NULL &&
            strcmp(name, "Heliora") == 0 &&
            XGetWindowAttributes(display, children[i], &attributes) &&
            attributes.map_state == IsViewable)
            found = children[i];
        if (name != NULL) XFree(name);
    }
    if (children != NULL) XFree(children);
    return found;
}

/* The mean of the 8 x 8 pixels at the window's centre is above a quarter of full grey. */
static int CentreIsBright(Display* display, Window window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.width < 8) return 0;
    XImage* image = XGetImage(display, window, attributes.width / 2 - 4, attributes.height / 2 - 4,
                              8, 8, AllPlanes, ZPixmap);
    if (image == NULL) return 0;
    unsigned long sum = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            unsigned long pixel = XGetPixel(image, x, y);
            sum += ((pixel >> 16) & 0xFF) + ((pixel >> 8) & 0xFF) + (pixel & 0xFF);
        }
    XDestroyImage(image);
    return sum > 64UL * 3 * 64;
}

static int IgnoreErrors(Display* display, XErrorEvent* error) {
    (void)display;
    (void)error;
    return 0; /* a window may vanish between the query and the read */
}

int main(int argc, char** argv) {
    if (argc < 2) {
        fputs("usage: first_frame START_MICROSECONDS [LIMIT_SECONDS]\n", stderr);
        return 2;
    }
    long long start = atoll(argv[1]);
    long long limit = (argc > 2 ? atoll(argv[2]) : 60) * 1000000LL;
    Display* display = XOpenDisplay(NULL);
    if (display == NULL) return 2;
    XSetErrorHandler(IgnoreErrors);
    while (NowMicroseconds() - start < limit) {
        Window window = FindViewer(display);
        if (window != 0 && CentreIsBright(display, window)) {
            printf("%.1f\n", (NowMicroseconds() - start) / 1000.0);
            return 0;
        }
        usleep(5000);
    }
    return 1;
}
