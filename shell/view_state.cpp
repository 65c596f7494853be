// The process-wide records of the shell: view and toggle variables, key flags,
// window handles, the quadric and the pixel-format request.
#include "shell/shell.h"

ViewStateRecord ViewState;
uint8_t KeyState[kKeyStateSize];
WindowContextRecord WindowContext;
GLUquadric* sceneQuadric = nullptr;

// Double-buffered RGBA with a 16-bit depth buffer, drawn to a window by OpenGL;
// the colour bits and the rest come from the first open that creates a window.
PixelFormatDescriptor scenePixelFormat = {
    40,
    1,
    PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER,
    PFD_TYPE_RGBA,
};
