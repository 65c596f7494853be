/* xcursor: prints "hidden" when the pointer's current cursor image has no
 * visible pixel (a program hid the cursor over its window), else "shown".
 * Reads the image through the XFixes extension; exit code 1 without a display
 * or without XFixes. */
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <stdio.h>

/* Cursor pixels are ARGB; the top byte is the alpha. */
static int HasVisiblePixel(const XFixesCursorImage *image) {
    unsigned long count = (unsigned long)image->width * image->height;
    for (unsigned long i = 0; i < count; ++i)
        if ((image->pixels[i] >> 24) & 0xFF) return 1;
    return 0;
}

int main(void) {
    Display *display = XOpenDisplay(NULL);
    if (display == NULL) {
        fprintf(stderr, "xcursor: cannot open the display\n");
        return 1;
    }
    int event, error;
    if (!XFixesQueryExtension(display, &event, &error)) {
        fprintf(stderr, "xcursor: the display has no XFixes extension\n");
        XCloseDisplay(display);
        return 1;
    }
    XFixesCursorImage *image = XFixesGetCursorImage(display);
    if (image == NULL) {
        fprintf(stderr, "xcursor: no cursor image\n");
        XCloseDisplay(display);
        return 1;
    }
    puts(HasVisiblePixel(image) ? "shown" : "hidden");
    XFree(image);
    XCloseDisplay(display);
    return 0;
}
