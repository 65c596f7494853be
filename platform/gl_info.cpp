// The OpenGL line on standard error, for every desktop backend.
#include "platform/gl_info.h"

#include <GL/gl.h>

#include <cstdio>

void PrintGlInfoOnce() {
    static bool printed = false;
    if (printed) return;
    printed = true;
    const GLubyte* vendor = glGetString(GL_VENDOR);
    const GLubyte* renderer = glGetString(GL_RENDERER);
    const GLubyte* version = glGetString(GL_VERSION);
    fprintf(stderr, "heliora: OpenGL %s by %s on %s\n",
            version != nullptr ? reinterpret_cast<const char*>(version) : "?",
            vendor != nullptr ? reinterpret_cast<const char*>(vendor) : "?",
            renderer != nullptr ? reinterpret_cast<const char*>(renderer) : "?");
    fflush(stderr);
}
