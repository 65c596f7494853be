// Application shell: the message and render loop, the window procedure, and
// the scene window with its OpenGL rendering context. All state here lives for
// the whole run and is read directly by the other subsystems.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdint>

#include "platform/platform.h"

// sphereMode values.
constexpr int32_t MeshSphere = 1;
constexpr int32_t QuadricSphere = 2;

struct ViewStateRecord {
    uint8_t animating = 1;
    uint8_t fullscreen = 0;
    uint8_t lighting = 1;
    uint8_t texturing = 1;
    uint8_t filled = 1;
    int32_t sphereMode = MeshSphere;
    float pitch = 22.5f;
    float yaw = 0.0f;
    float roll = 0.0f;
    float zoom = 1.0f;
    float aspect = 0.0f;
    int32_t mouseX = 0;
    int32_t mouseY = 0;
    int32_t lastMouseX = 0;
    int32_t lastMouseY = 0;
    uint8_t dragging = 0;
};

// The view and toggle variables.
extern ViewStateRecord ViewState;
// One flag per virtual-key code: 1 while down and not yet consumed.
constexpr int kKeyStateSize = 256;
extern uint8_t KeyState[kKeyStateSize];

struct WindowContextRecord {
    InstanceHandle instance = nullptr;
    WindowHandle window = nullptr;
    DeviceContextHandle deviceContext = nullptr;
    RenderingContextHandle renderingContext = nullptr;
};

// The scene window's handles; all null while no window is open.
extern WindowContextRecord WindowContext;
// The one quadric, made anew for every rendering context.
extern GLUquadric* sceneQuadric;
// The pixel-format request. Its first four fields are fixed; the rest are
// filled by the first open that gets as far as a window (cDepthBits is 0 until
// then), and never again.
extern PixelFormatDescriptor scenePixelFormat;

// Opens the window and runs the loop; returns the process exit code.
int32_t RunMainLoop();
// The scene window's procedure.
intptr_t SceneWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
// 1 when the window and its context are ready and current; 0 after telling the
// user why.
int32_t OpenSceneWindow(const char* title, int32_t width, int32_t height, int32_t bits,
                        uint8_t fullscreen);
// Releases everything OpenSceneWindow acquired; failures are shown and passed over.
void CloseSceneWindow();
// Viewport and perspective projection for a client area; height 0 counts as 1.
void ResizeViewport(int32_t width, int32_t height);
// The fixed GL state, the quadric and the textures of a new context. Returns 1.
uint8_t InitRenderState();
