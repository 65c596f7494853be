// The scene window and its OpenGL rendering context: opening (class, optional
// full-screen mode, window, pixel format, context, viewport, fixed GL state),
// closing, and the viewport and projection of every size change.
//
// Every failure is told in a message box. Opening failures end the open; the
// one that is not final is a refused full-screen mode, after which the user may
// go on in a window. Closing failures are shown and passed over.
#include "imaging/textures.h"
#include "scene/scene.h"
#include "shell/shell.h"

namespace {

constexpr const char* kClassName = "OpenGL";
constexpr uint32_t kClassStyle = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
constexpr uint16_t kDisplayModeRecordSize = 148;
constexpr uint8_t kDepthBits = 16;

constexpr const char* kOpenCaption = "ERROR";
constexpr const char* kCloseCaption = "SHUTDOWN ERROR";
constexpr uint32_t kOpenFailureStyle = MB_OK | MB_ICONEXCLAMATION;
constexpr uint32_t kCloseFailureStyle = MB_OK | MB_ICONINFORMATION;

constexpr double kFieldOfView = 45.0;
// The near plane is the single-precision 0.1 widened to double.
constexpr double kNearPlane = static_cast<double>(0.1f);
constexpr double kFarPlane = 100.0;

void ShowOpenFailure(const char* text) {
    PlatMessageBox(nullptr, text, kOpenCaption, kOpenFailureStyle);
}

void ShowCloseFailure(const char* text) {
    PlatMessageBox(nullptr, text, kCloseCaption, kCloseFailureStyle);
}

// A failure once the window may exist: take everything down, then tell why.
int32_t FailOpen(const char* text) {
    CloseSceneWindow();
    ShowOpenFailure(text);
    return 0;
}

bool RegisterSceneClass() {
    WindowClass windowClass = {};
    windowClass.style = kClassStyle;
    windowClass.procedure = SceneWindowProc;
    windowClass.classExtra = 0;
    windowClass.windowExtra = 0;
    windowClass.instance = WindowContext.instance;
    windowClass.icon = PlatLoadIcon(IDI_WINLOGO);
    windowClass.cursor = PlatLoadCursor(IDC_ARROW);
    windowClass.background = nullptr;
    windowClass.menuName = nullptr;
    windowClass.className = kClassName;
    return PlatRegisterClass(&windowClass) != 0;
}

// Asks the display for the full-screen mode. Returns false when the user
// declined to go on in a window (the caller then stops). A question that could
// not be asked (no box could be shown) is no refusal: the viewer goes on in a
// window, as after Yes.
bool EnterFullscreenMode(int32_t width, int32_t height, int32_t bits) {
    DisplayMode mode = {};
    mode.dmSize = kDisplayModeRecordSize;
    mode.dmPelsWidth = static_cast<uint32_t>(width);
    mode.dmPelsHeight = static_cast<uint32_t>(height);
    mode.dmBitsPerPel = static_cast<uint32_t>(bits);
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    if (PlatChangeDisplaySettings(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL) return true;
    int32_t answer = PlatMessageBox(
        nullptr,
        "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode "
        "Instead?",
        "Orbisca", MB_YESNO | MB_ICONEXCLAMATION);
    if (answer != IDNO) {
        ViewState.fullscreen = 0;
        return true;
    }
    PlatMessageBox(nullptr, "Program Will Now Close.", kOpenCaption, MB_OK | MB_ICONSTOP);
    return false;
}

// The request is filled once, by the first open that has a window, so later
// opens keep asking for the first open's colour bits.
void FillPixelFormatOnce(int32_t bits) {
    if (scenePixelFormat.cDepthBits != 0) return;
    scenePixelFormat.cColorBits = static_cast<uint8_t>(bits & 0xFF);
    scenePixelFormat.cRedBits = scenePixelFormat.cRedShift = 0;
    scenePixelFormat.cGreenBits = scenePixelFormat.cGreenShift = 0;
    scenePixelFormat.cBlueBits = scenePixelFormat.cBlueShift = 0;
    scenePixelFormat.cAlphaBits = scenePixelFormat.cAlphaShift = 0;
    scenePixelFormat.cAccumBits = 0;
    scenePixelFormat.cAccumRedBits = scenePixelFormat.cAccumGreenBits = 0;
    scenePixelFormat.cAccumBlueBits = scenePixelFormat.cAccumAlphaBits = 0;
    scenePixelFormat.cDepthBits = kDepthBits;
    scenePixelFormat.cStencilBits = 0;
    scenePixelFormat.cAuxBuffers = 0;
    scenePixelFormat.iLayerType = PFD_MAIN_PLANE;
    scenePixelFormat.bReserved = 0;
    scenePixelFormat.dwLayerMask = scenePixelFormat.dwVisibleMask = 0;
    scenePixelFormat.dwDamageMask = 0;
}

}  // namespace

int32_t OpenSceneWindow(const char* title, int32_t width, int32_t height, int32_t bits,
                        uint8_t fullscreen) {
    ViewState.fullscreen = fullscreen;
    Rect rectangle = {0, 0, width, height};
    WindowContext.instance = PlatGetModuleHandle();

    if (!RegisterSceneClass()) {
        ShowOpenFailure("Failed To Register The Window Class.");
        return 0;
    }
    if (ViewState.fullscreen && !EnterFullscreenMode(width, height, bits)) return 0;

    uint32_t exStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
    uint32_t style = WS_OVERLAPPEDWINDOW;
    if (ViewState.fullscreen) {
        exStyle = WS_EX_APPWINDOW;
        style = WS_POPUP;
        PlatShowCursor(false);
    }
    PlatAdjustWindowRectEx(&rectangle, style, false, exStyle);

    WindowContext.window =
        PlatCreateWindowEx(exStyle, kClassName, title, style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0,
                           0, rectangle.right - rectangle.left, rectangle.bottom - rectangle.top,
                           nullptr, WindowContext.instance);
    if (WindowContext.window == nullptr) return FailOpen("Window Creation Error.");

    FillPixelFormatOnce(bits);

    WindowContext.deviceContext = PlatGetDC(WindowContext.window);
    if (WindowContext.deviceContext == nullptr)
        return FailOpen("Can't Create A GL Device Context.");
    int32_t format = PlatChoosePixelFormat(WindowContext.deviceContext, &scenePixelFormat);
    if (format == 0) return FailOpen("Can't Find A Suitable PixelFormat.");
    if (!PlatSetPixelFormat(WindowContext.deviceContext, format, &scenePixelFormat))
        return FailOpen("Can't Set The PixelFormat.");
    WindowContext.renderingContext = PlatCreateContext(WindowContext.deviceContext);
    if (WindowContext.renderingContext == nullptr)
        return FailOpen("Can't Create A GL Rendering Context.");
    if (!PlatMakeCurrent(WindowContext.deviceContext, WindowContext.renderingContext))
        return FailOpen("Can't Activate The GL Rendering Context.");

    PlatShowWindow(WindowContext.window, SW_SHOW);
    PlatSetForegroundWindow(WindowContext.window);
    PlatSetFocus(WindowContext.window);
    ResizeViewport(width, height);  // the requested size, not a measured one
    if (!InitRenderState()) return FailOpen("Initialization Failed.");
    return 1;
}

void CloseSceneWindow() {
    if (ViewState.fullscreen) {
        PlatChangeDisplaySettings(nullptr, 0);
        PlatShowCursor(true);
    }
    if (WindowContext.renderingContext != nullptr) {
        if (!PlatMakeCurrent(nullptr, nullptr)) ShowCloseFailure("Release Of DC And RC Failed.");
        if (!PlatDeleteContext(WindowContext.renderingContext))
            ShowCloseFailure("Release Rendering Context Failed.");
        WindowContext.renderingContext = nullptr;
    }
    // The device context is released while its window still exists.
    if (WindowContext.deviceContext != nullptr) {
        if (!PlatReleaseDC(WindowContext.window, WindowContext.deviceContext))
            ShowCloseFailure("Release Device Context Failed.");
        WindowContext.deviceContext = nullptr;
    }
    if (WindowContext.window != nullptr) {
        if (!PlatDestroyWindow(WindowContext.window)) ShowCloseFailure("Could Not Release hWnd.");
        WindowContext.window = nullptr;
    }
    if (!PlatUnregisterClass(kClassName, WindowContext.instance))
        ShowCloseFailure("Could Not Unregister Class.");
    WindowContext.instance = nullptr;
    // The quadric belonged to the context just released; GLU frees it without GL calls.
    if (sceneQuadric != nullptr) {
        gluDeleteQuadric(sceneQuadric);
        sceneQuadric = nullptr;
    }
}

void ResizeViewport(int32_t width, int32_t height) {
    if (height == 0) height = 1;  // a minimised window must not divide by zero
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    double quotient = static_cast<double>(width) / static_cast<double>(height);
    // Picks rebuild the projection from this single-precision copy.
    ViewState.aspect = static_cast<float>(quotient);
    gluPerspective(kFieldOfView, quotient, kNearPlane, kFarPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

uint8_t InitRenderState() {
    sceneQuadric = gluNewQuadric();
    ForgetPickLists();  // they died with the previous context
    LoadTextureObjects();
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_NORMALIZE);
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_COLOR_MATERIAL);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    // gluNewQuadric can fail; the frame then leaves the quadric's shapes out,
    // and so does this.
    if (sceneQuadric != nullptr) {
        gluQuadricNormals(sceneQuadric, GLU_SMOOTH);
        gluQuadricOrientation(sceneQuadric, GLU_OUTSIDE);
        gluQuadricTexture(sceneQuadric, GL_FALSE);
    }
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHT1);
    BuildTextureLists();
    glEnable(GL_TEXTURE_2D);
    return 1;
}
