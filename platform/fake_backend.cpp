// The scripted fake backend, for tests. It keeps every window, class and
// context in plain records, logs each operation as one line, fails whichever
// call a test asks it to, and answers questions as told. OpenGL is real: each
// device context owns an off-screen Mesa pbuffer (EGL, surfaceless platform),
// so drawing, selection and feedback work without any display.
#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/fake_platform.h"
#include "platform/platform.h"
#include "platform/posix_files.h"

struct PlatWindow_ {
    std::string className;
    WindowProcedure procedure;
    int32_t width;
    int32_t height;
    uint32_t style;
    bool visible;
};

struct PlatDeviceContext_ {
    PlatWindow_* window;
    EGLSurface surface;
};

struct PlatRenderingContext_ {
    EGLContext context;
};

namespace {

// Frame that AdjustWindowRectEx adds round an overlapped window's client area;
// CreateWindowEx takes it off again, so a shell that forgets to adjust gets a
// client area smaller than it asked for.
constexpr int32_t kFrameSide = 8;
constexpr int32_t kFrameTop = 31;

struct FakeState {
    std::vector<std::string> calls;
    std::vector<fake::RecordedBox> boxes;
    std::map<std::string, std::vector<int>> failAt;  // call name -> occurrences to fail
    std::map<std::string, int> callCount;
    std::deque<int32_t> boxAnswers;
    int32_t yesNoDefault = IDYES;
    bool fullscreenAvailable = true;
    bool modeChanged = false;
    int32_t cursorCount = 0;
    std::deque<PlatMessage> queue;
    bool quitPosted = false;
    int32_t quitCode = 0;
    void (*idleHook)(int) = nullptr;
    int idlePasses = 0;
    std::map<std::string, WindowProcedure> classes;
    std::vector<PlatWindow_*> windows;
    std::vector<PlatDeviceContext_*> deviceContexts;
    std::vector<PlatRenderingContext_*> contexts;
    PlatWindow_* focus = nullptr;
    PlatWindow_* lastWindow = nullptr;
    int swaps = 0;
    // Standalone test context.
    EGLSurface testSurface = EGL_NO_SURFACE;
    EGLContext testContext = EGL_NO_CONTEXT;
};

FakeState state;
EGLDisplay display = EGL_NO_DISPLAY;
EGLConfig config = nullptr;
int instanceToken;
int iconToken;
int cursorToken;

void Log(const std::string& line) { state.calls.push_back(line); }

// Counts a call of `name` and says whether the test asked for it to fail.
bool ShouldFail(const std::string& name) {
    int occurrence = ++state.callCount[name];
    auto found = state.failAt.find(name);
    if (found == state.failAt.end()) return false;
    for (int n : found->second)
        if (n == occurrence) return true;
    return false;
}

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", value);
    return text;
}

void Die(const char* what) {
    std::fprintf(stderr, "fake platform: %s (EGL error 0x%x)\n", what, eglGetError());
    std::abort();
}

void EnsureDisplay() {
    if (display != EGL_NO_DISPLAY) return;
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay == nullptr) Die("no eglGetPlatformDisplayEXT");
    display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY) Die("no surfaceless display");
    EGLint major, minor;
    if (!eglInitialize(display, &major, &minor)) Die("eglInitialize failed");
    const EGLint attributes[] = {EGL_SURFACE_TYPE,
                                 EGL_PBUFFER_BIT,
                                 EGL_RED_SIZE,
                                 8,
                                 EGL_GREEN_SIZE,
                                 8,
                                 EGL_BLUE_SIZE,
                                 8,
                                 EGL_DEPTH_SIZE,
                                 16,
                                 EGL_RENDERABLE_TYPE,
                                 EGL_OPENGL_BIT,
                                 EGL_NONE};
    EGLint count = 0;
    if (!eglChooseConfig(display, attributes, &config, 1, &count) || count < 1)
        Die("no pbuffer configuration");
    if (!eglBindAPI(EGL_OPENGL_API)) Die("no desktop OpenGL");
}

EGLSurface MakeSurface(int32_t width, int32_t height) {
    EnsureDisplay();
    const EGLint size[] = {EGL_WIDTH, width > 0 ? width : 1, EGL_HEIGHT, height > 0 ? height : 1,
                           EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(display, config, size);
    if (surface == EGL_NO_SURFACE) Die("eglCreatePbufferSurface failed");
    return surface;
}

template <typename T>
bool Forget(std::vector<T*>& list, T* item) {
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (*it == item) {
            list.erase(it);
            return true;
        }
    }
    return false;
}

template <typename T>
bool Holds(const std::vector<T*>& list, const T* item) {
    for (T* entry : list)
        if (entry == item) return true;
    return false;
}

void ReleaseCurrentIf(EGLSurface surface) {
    if (surface != EGL_NO_SURFACE && eglGetCurrentSurface(EGL_DRAW) == surface)
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}

void DestroyDeviceContextsOf(PlatWindow_* window) {
    for (auto it = state.deviceContexts.begin(); it != state.deviceContexts.end();) {
        if ((*it)->window == window) {
            ReleaseCurrentIf((*it)->surface);
            eglDestroySurface(display, (*it)->surface);
            delete *it;
            it = state.deviceContexts.erase(it);
        } else {
            ++it;
        }
    }
}

void DestroyWindowRecord(PlatWindow_* window) {
    DestroyDeviceContextsOf(window);
    if (state.focus == window) state.focus = nullptr;
    if (state.lastWindow == window) state.lastWindow = nullptr;
    Forget(state.windows, window);
    delete window;
}

void DestroyContextRecord(PlatRenderingContext_* context) {
    if (eglGetCurrentContext() == context->context)
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(display, context->context);
    Forget(state.contexts, context);
    delete context;
}

}  // namespace

// ---- Messages ---------------------------------------------------------------

bool PlatPeekMessage(PlatMessage* out) {
    if (!state.queue.empty()) {
        *out = state.queue.front();
        state.queue.pop_front();
        return true;
    }
    if (state.quitPosted) {
        state.quitPosted = false;
        *out = PlatMessage{nullptr, WM_QUIT, static_cast<uintptr_t>(state.quitCode), 0};
        return true;
    }
    // An idle pass: what the hook posts waits for the next peek.
    if (state.idleHook != nullptr) state.idleHook(++state.idlePasses);
    return false;
}

// Returns at once: the idle hook, run by the peek before each wait, stands
// for what would have woken it.
bool PlatWaitMessage() {
    Log("WaitMessage");
    return !ShouldFail("WaitMessage");
}

bool PlatTranslateMessage(const PlatMessage*) { return false; }

intptr_t PlatDispatchMessage(const PlatMessage* message) {
    if (message == nullptr || !Holds(state.windows, message->window)) return 0;
    return message->window->procedure(message->window, message->message, message->wParam,
                                      message->lParam);
}

void PlatPostQuitMessage(int32_t exitCode) {
    Log("PostQuitMessage " + std::to_string(exitCode));
    state.quitPosted = true;
    state.quitCode = exitCode;
}

intptr_t PlatDefWindowProc(WindowHandle, uint32_t message, uintptr_t wParam, intptr_t) {
    Log("DefWindowProc " + Hex(message) + " " + Hex(static_cast<uint32_t>(wParam)));
    return 0;
}

// ---- Classes and windows -------------------------------------------------------

InstanceHandle PlatGetModuleHandle() {
    Log("GetModuleHandle");
    return reinterpret_cast<InstanceHandle>(&instanceToken);
}

IconHandle PlatLoadIcon(int32_t id) {
    Log("LoadIcon " + std::to_string(id));
    return reinterpret_cast<IconHandle>(&iconToken);
}

CursorHandle PlatLoadCursor(int32_t id) {
    Log("LoadCursor " + std::to_string(id));
    return reinterpret_cast<CursorHandle>(&cursorToken);
}

uint16_t PlatRegisterClass(const WindowClass* windowClass) {
    std::string name = windowClass->className ? windowClass->className : "";
    Log("RegisterClass " + name + " style=" + Hex(windowClass->style));
    if (ShouldFail("RegisterClass") || state.classes.count(name) != 0 ||
        windowClass->procedure == nullptr)
        return 0;
    state.classes[name] = windowClass->procedure;
    return static_cast<uint16_t>(0xC000 + state.classes.size());
}

bool PlatUnregisterClass(const char* className, InstanceHandle) {
    std::string name = className ? className : "";
    Log("UnregisterClass " + name);
    if (ShouldFail("UnregisterClass")) return false;
    return state.classes.erase(name) == 1;
}

bool PlatAdjustWindowRectEx(Rect* rect, uint32_t style, bool, uint32_t exStyle) {
    Log("AdjustWindowRectEx style=" + Hex(style) + " ex=" + Hex(exStyle));
    if ((style & WS_POPUP) == 0) {
        rect->left -= kFrameSide;
        rect->top -= kFrameTop;
        rect->right += kFrameSide;
        rect->bottom += kFrameSide;
    }
    return true;
}

WindowHandle PlatCreateWindowEx(uint32_t exStyle, const char* className, const char* title,
                                uint32_t style, int32_t x, int32_t y, int32_t width, int32_t height,
                                WindowHandle, InstanceHandle) {
    std::string name = className ? className : "";
    Log("CreateWindowEx " + name + " " + (title ? title : "") + " style=" + Hex(style) +
        " ex=" + Hex(exStyle) + " " + std::to_string(x) + " " + std::to_string(y) + " " +
        std::to_string(width) + " " + std::to_string(height));
    if (ShouldFail("CreateWindowEx") || state.classes.count(name) == 0) return nullptr;
    int32_t frameWidth = (style & WS_POPUP) ? 0 : 2 * kFrameSide;
    int32_t frameHeight = (style & WS_POPUP) ? 0 : kFrameTop + kFrameSide;
    PlatWindow_* window = new PlatWindow_{
        name, state.classes[name], width - frameWidth, height - frameHeight, style, false};
    state.windows.push_back(window);
    state.lastWindow = window;
    return window;
}

bool PlatShowWindow(WindowHandle window, int32_t showCommand) {
    Log("ShowWindow " + std::to_string(showCommand));
    if (!Holds(state.windows, window)) return false;
    window->visible = true;
    return true;
}

bool PlatSetForegroundWindow(WindowHandle window) {
    Log("SetForegroundWindow");
    return Holds(state.windows, window);
}

WindowHandle PlatSetFocus(WindowHandle window) {
    Log("SetFocus");
    WindowHandle previous = state.focus;
    if (Holds(state.windows, window)) state.focus = window;
    return previous;
}

WindowHandle PlatGetFocus() { return state.focus; }

bool PlatDestroyWindow(WindowHandle window) {
    Log("DestroyWindow");
    if (ShouldFail("DestroyWindow") || !Holds(state.windows, window)) return false;
    DestroyWindowRecord(window);
    return true;
}

// ---- Display mode and cursor -----------------------------------------------

int32_t PlatChangeDisplaySettings(const DisplayMode* mode, uint32_t flags) {
    if (mode == nullptr) {
        Log("ChangeDisplaySettings none " + std::to_string(flags));
        state.modeChanged = false;
        return DISP_CHANGE_SUCCESSFUL;
    }
    Log("ChangeDisplaySettings " + std::to_string(mode->dmPelsWidth) + "x" +
        std::to_string(mode->dmPelsHeight) + "x" + std::to_string(mode->dmBitsPerPel) +
        " size=" + std::to_string(mode->dmSize) + " fields=" + Hex(mode->dmFields) + " " +
        std::to_string(flags));
    if (ShouldFail("ChangeDisplaySettings") || !state.fullscreenAvailable)
        return DISP_CHANGE_BADMODE;
    state.modeChanged = true;
    return DISP_CHANGE_SUCCESSFUL;
}

int32_t PlatShowCursor(bool show) {
    Log(std::string("ShowCursor ") + (show ? "1" : "0"));
    state.cursorCount += show ? 1 : -1;
    return state.cursorCount;
}

// ---- Device context, pixel format, rendering context ------------------------

DeviceContextHandle PlatGetDC(WindowHandle window) {
    Log("GetDC");
    if (ShouldFail("GetDC") || !Holds(state.windows, window)) return nullptr;
    for (PlatDeviceContext_* existing : state.deviceContexts)
        if (existing->window == window) return existing;  // the class's own DC
    PlatDeviceContext_* deviceContext =
        new PlatDeviceContext_{window, MakeSurface(window->width, window->height)};
    state.deviceContexts.push_back(deviceContext);
    return deviceContext;
}

bool PlatReleaseDC(WindowHandle window, DeviceContextHandle deviceContext) {
    Log("ReleaseDC");
    if (ShouldFail("ReleaseDC")) return false;
    return Holds(state.deviceContexts, deviceContext) && deviceContext->window == window;
}

int32_t PlatChoosePixelFormat(DeviceContextHandle deviceContext,
                              const PixelFormatDescriptor* request) {
    Log("ChoosePixelFormat bits=" + std::to_string(request->cColorBits) +
        " depth=" + std::to_string(request->cDepthBits) + " flags=" + Hex(request->dwFlags));
    if (ShouldFail("ChoosePixelFormat") || !Holds(state.deviceContexts, deviceContext)) return 0;
    const uint32_t needed = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
    if ((request->dwFlags & needed) != needed || request->iPixelType != PFD_TYPE_RGBA) return 0;
    return 1;
}

bool PlatSetPixelFormat(DeviceContextHandle deviceContext, int32_t index,
                        const PixelFormatDescriptor* request) {
    Log("SetPixelFormat " + std::to_string(index) + " bits=" + std::to_string(request->cColorBits));
    if (ShouldFail("SetPixelFormat")) return false;
    return Holds(state.deviceContexts, deviceContext) && index == 1;
}

RenderingContextHandle PlatCreateContext(DeviceContextHandle deviceContext) {
    Log("CreateContext");
    if (ShouldFail("CreateContext") || !Holds(state.deviceContexts, deviceContext)) return nullptr;
    EnsureDisplay();
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    if (context == EGL_NO_CONTEXT) Die("eglCreateContext failed");
    PlatRenderingContext_* record = new PlatRenderingContext_{context};
    state.contexts.push_back(record);
    return record;
}

bool PlatMakeCurrent(DeviceContextHandle deviceContext, RenderingContextHandle context) {
    Log(deviceContext == nullptr && context == nullptr ? "MakeCurrent null null" : "MakeCurrent");
    if (ShouldFail("MakeCurrent")) return false;
    if (deviceContext == nullptr && context == nullptr) {
        if (display == EGL_NO_DISPLAY) return true;
        return eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT) == EGL_TRUE;
    }
    if (!Holds(state.deviceContexts, deviceContext) || !Holds(state.contexts, context))
        return false;
    return eglMakeCurrent(display, deviceContext->surface, deviceContext->surface,
                          context->context) == EGL_TRUE;
}

bool PlatDeleteContext(RenderingContextHandle context) {
    Log("DeleteContext");
    if (ShouldFail("DeleteContext") || !Holds(state.contexts, context)) return false;
    DestroyContextRecord(context);
    return true;
}

bool PlatSwapBuffers(DeviceContextHandle deviceContext) {
    ++state.swaps;
    if (ShouldFail("SwapBuffers") || !Holds(state.deviceContexts, deviceContext)) return false;
    return eglSwapBuffers(display, deviceContext->surface) == EGL_TRUE;
}

// ---- Message boxes -----------------------------------------------------------

int32_t PlatMessageBox(WindowHandle owner, const char* text, const char* caption, uint32_t style) {
    Log(std::string("MessageBox ") + (caption ? caption : ""));
    state.boxes.push_back(
        fake::RecordedBox{owner, text ? text : "", caption ? caption : "", style});
    if (!state.boxAnswers.empty()) {
        int32_t answer = state.boxAnswers.front();
        state.boxAnswers.pop_front();
        return answer;
    }
    return (style & 0xF) == MB_YESNO ? state.yesNoDefault : IDOK;
}

// ---- Files -------------------------------------------------------------------

FileHandle PlatOpenFileForReading(const char* path) {
    Log(std::string("OpenFile ") + (path ? path : "(null)"));
    if (ShouldFail("OpenFile")) return nullptr;
    return static_cast<FileHandle>(posix_files::Open(path));
}

FileMappingHandle PlatCreateFileMapping(FileHandle file) {
    Log("CreateFileMapping");
    if (ShouldFail("CreateFileMapping")) return nullptr;
    return static_cast<FileMappingHandle>(posix_files::CreateMapping(file));
}

const unsigned char* PlatMapViewOfFile(FileMappingHandle mapping, size_t* length) {
    Log("MapViewOfFile");
    if (ShouldFail("MapViewOfFile")) return nullptr;
    return posix_files::MapView(mapping, length);
}

bool PlatUnmapViewOfFile(const unsigned char* view, size_t length) {
    Log("UnmapViewOfFile");
    return posix_files::UnmapView(view, length);
}

bool PlatMappedViewIntact(const unsigned char* view, size_t length) {
    return posix_files::ViewIntact(view, length);
}

bool PlatCloseFileMapping(FileMappingHandle mapping) {
    Log("CloseFileMapping");
    return posix_files::CloseMapping(mapping);
}

bool PlatCloseFile(FileHandle file) {
    Log("CloseFile");
    return posix_files::Close(file);
}

// ---- Test control ----------------------------------------------------------------

namespace fake {

void Reset() {
    ReleaseTestContext();
    while (!state.contexts.empty()) DestroyContextRecord(state.contexts.back());
    while (!state.windows.empty()) DestroyWindowRecord(state.windows.back());
    state = FakeState{};
}

void ClearLog() {
    state.calls.clear();
    state.boxes.clear();
}

const std::vector<std::string>& Calls() { return state.calls; }

std::vector<std::string> CallsStartingWith(const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& line : state.calls)
        if (line.compare(0, prefix.size(), prefix) == 0) found.push_back(line);
    return found;
}

const std::vector<RecordedBox>& Boxes() { return state.boxes; }

void FailCall(const std::string& name, int occurrence) {
    state.failAt[name].push_back(state.callCount[name] + occurrence);
}

void QueueBoxAnswers(const std::vector<int32_t>& answers) {
    state.boxAnswers.insert(state.boxAnswers.end(), answers.begin(), answers.end());
}

void SetDefaultYesNoAnswer(int32_t answer) { state.yesNoDefault = answer; }
void SetFullscreenModeAvailable(bool available) { state.fullscreenAvailable = available; }
bool DisplayModeChanged() { return state.modeChanged; }
int32_t CursorCount() { return state.cursorCount; }

void PostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    state.queue.push_back(PlatMessage{window, message, wParam, lParam});
}

size_t PendingMessages() { return state.queue.size(); }

void SetIdleHook(void (*hook)(int)) {
    state.idleHook = hook;
    state.idlePasses = 0;
}

WindowHandle LastWindow() { return state.lastWindow; }

void WindowSize(WindowHandle window, int32_t* width, int32_t* height) {
    *width = Holds(state.windows, window) ? window->width : 0;
    *height = Holds(state.windows, window) ? window->height : 0;
}

int LiveWindows() { return static_cast<int>(state.windows.size()); }
int LiveContexts() { return static_cast<int>(state.contexts.size()); }
int RegisteredClasses() { return static_cast<int>(state.classes.size()); }
int SwapCount() { return state.swaps; }

void MakeTestContext(int32_t width, int32_t height) {
    ReleaseTestContext();
    state.testSurface = MakeSurface(width, height);
    state.testContext = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    if (state.testContext == EGL_NO_CONTEXT) Die("eglCreateContext failed");
    if (!eglMakeCurrent(display, state.testSurface, state.testSurface, state.testContext))
        Die("eglMakeCurrent failed");
}

void ReleaseTestContext() {
    if (state.testContext == EGL_NO_CONTEXT) return;
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(display, state.testContext);
    eglDestroySurface(display, state.testSurface);
    state.testContext = EGL_NO_CONTEXT;
    state.testSurface = EGL_NO_SURFACE;
}

}  // namespace fake
