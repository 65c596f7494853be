// The main loop and the scene window's procedure. Each pass of the loop either
// handles one pending message or, when none is waiting, draws and presents one
// frame and acts on the function keys. There is no frame clock: the animation
// moves one step per drawn frame while it runs. Paused, the orbit angles hold,
// and an idle pass draws and presents only when the picture may have changed
// since the frame last presented: after a message (a key, a drag, a zoom, a
// resize, a click, a repaint request), a function key that acted, or a new
// window (F1). Any other paused pass waits for the next message instead, so a
// still picture costs nothing while it stands.
#include <cstring>

#include "picking/picking.h"
#include "scene/scene.h"
#include "shell/shell.h"

namespace {

constexpr const char* kTitle = "Heliora";
constexpr int32_t kWidth = 800;
constexpr int32_t kHeight = 600;
constexpr int32_t kColourBits = 16;
constexpr double kZoomStep = 0.3;
// One pixel of drag turns the model by one degree.
constexpr double kPixelsPerDegree = 1.0;

// A function key acts once per press: its flag is consumed here, and only an
// auto-repeat key-down sets it again. A key that acted leaves the picture
// shown out of date.
bool keyActed = false;

// Keys pressed since the last idle pass: a tap whose key-up came before the
// pass looked (a slow frame, a press and release read together) still counts
// as down for that one pass.
uint8_t pressedSincePass[kKeyStateSize];

bool KeyIsDown(uintptr_t key) { return KeyState[key] || pressedSincePass[key]; }

bool ConsumeKey(uintptr_t key) {
    if (!KeyIsDown(key)) return false;
    KeyState[key] = 0;
    pressedSincePass[key] = 0;
    keyActed = true;
    return true;
}

// Returns false when the window could not be opened again.
bool ActOnFunctionKeys() {
    if (ConsumeKey(VK_F1)) {
        CloseSceneWindow();
        ViewState.fullscreen = !ViewState.fullscreen;
        if (!OpenSceneWindow(kTitle, kWidth, kHeight, kColourBits, ViewState.fullscreen))
            return false;
    }
    if (ConsumeKey(VK_F2)) ViewState.lighting = !ViewState.lighting;
    if (ConsumeKey(VK_F3)) ViewState.texturing = !ViewState.texturing;
    if (ConsumeKey(VK_F4)) ViewState.filled = !ViewState.filled;
    if (ConsumeKey(VK_F5)) {
        if (ViewState.sphereMode == MeshSphere)
            ViewState.sphereMode = QuadricSphere;
        else if (ViewState.sphereMode == QuadricSphere)
            ViewState.sphereMode = MeshSphere;
    }
    return true;
}

void OnKeyDown(uintptr_t key) {
    if (key == VK_SPACE) {
        ViewState.animating = !ViewState.animating;
    } else if (key == VK_ADD) {
        ViewState.zoom = static_cast<float>(static_cast<double>(ViewState.zoom) + kZoomStep);
    } else if (key == VK_SUBTRACT) {
        ViewState.zoom = static_cast<float>(static_cast<double>(ViewState.zoom) - kZoomStep);
    } else if (key < kKeyStateSize) {
        KeyState[key] = 1;
        pressedSincePass[key] = 1;
    }
}

void OnMouseMove(intptr_t lParam) {
    ViewState.mouseX = LowHalf(lParam);
    ViewState.mouseY = HighHalf(lParam);
    if (ViewState.dragging) {
        ViewState.yaw = static_cast<float>(
            ViewState.yaw - (ViewState.lastMouseX - ViewState.mouseX) / kPixelsPerDegree);
        ViewState.pitch = static_cast<float>(
            ViewState.pitch - (ViewState.lastMouseY - ViewState.mouseY) / kPixelsPerDegree);
    }
    ViewState.lastMouseX = ViewState.mouseX;
    ViewState.lastMouseY = ViewState.mouseY;
}

}  // namespace

int32_t RunMainLoop() {
    bool done = false;
    PlatMessage message = {nullptr, 0, 0, 0};
    ViewState.fullscreen = 0;
    std::memset(pressedSincePass, 0, sizeof pressedSincePass);
    if (!OpenSceneWindow(kTitle, kWidth, kHeight, kColourBits, ViewState.fullscreen)) return 0;

    // The picture may differ from the frame last presented (a new window has
    // never been drawn).
    bool stale = true;
    while (!done) {
        PlatMessage taken;
        if (PlatPeekMessage(&taken)) {
            message = taken;
            if (message.message == WM_QUIT) {
                done = true;
            } else {
                PlatTranslateMessage(&message);
                PlatDispatchMessage(&message);
            }
            stale = true;
            continue;  // function keys wait for an idle pass
        }
        if (!ViewState.animating && !stale) {
            PlatWaitMessage();  // paused, and the picture shown is still right
            continue;
        }
        // Drawn paused too, with the angles held: a swap may leave the back
        // buffer undefined, so a changed view is drawn whole.
        stale = false;
        if (!DrawScene()) done = true;
        if (!done && KeyIsDown(VK_ESCAPE)) done = true;  // the Esc frame is not presented
        if (!done) PlatSwapBuffers(WindowContext.deviceContext);
        keyActed = false;
        if (!ActOnFunctionKeys()) return 0;
        std::memset(pressedSincePass, 0, sizeof pressedSincePass);
        stale = keyActed;
    }
    CloseSceneWindow();
    return static_cast<int32_t>(message.wParam);
}

intptr_t SceneWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    switch (message) {
        case WM_SYSCOMMAND:
            // Neither the screen saver nor monitor power-saving may start while we run.
            if (wParam == SC_SCREENSAVE || wParam == SC_MONITORPOWER) return 0;
            break;
        case WM_CLOSE:
            PlatPostQuitMessage(0);
            return 0;
        case WM_KEYDOWN:
            OnKeyDown(wParam);
            return 0;
        case WM_KEYUP:
            if (wParam < kKeyStateSize) KeyState[wParam] = 0;
            return 0;
        case WM_SIZE:
            ResizeViewport(LowHalf(lParam), HighHalf(lParam));
            return 0;
        case WM_MOUSEMOVE:
            OnMouseMove(lParam);
            return 0;
        case WM_LBUTTONDOWN:
            PickAt(LowHalf(lParam), HighHalf(lParam));
            return 0;
        case WM_RBUTTONDOWN:
            ViewState.dragging = 1;
            return 0;
        case WM_RBUTTONUP:
            ViewState.dragging = 0;
            return 0;
        default:
            break;
    }
    return PlatDefWindowProc(window, message, wParam, lParam);
}
