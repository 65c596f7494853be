// The Windows program's platform: every operation is the Win32, GDI or WGL
// call it is named after, with texts turned from UTF-8 into UTF-16 at the wide
// calls. Files: win32_files.cpp.
//
// Handles are the system's own (HWND, HDC, HGLRC, HINSTANCE) behind the
// contract's opaque types. Windows calls one window procedure of ours for
// every window of a registered class; it hands the message to the procedure
// the class was registered with (the shell's SceneWindowProc).
// Without vertical sync an idle loop would draw as fast as it can, so buffer
// swaps are spaced a display refresh apart (the display's own rate, else 60 a
// second) when the driver grants no swap interval, and also when it grants one
// that does not wait (Wine on a virtual X server, a driver whose control
// panel forces vertical sync off): a run of swaps that come back sooner than a
// refresh starts the pacing for that context. A real vertical sync gives no
// such run (a driver queues at most a few frames ahead), so it is never
// slowed. Waits are timed with the performance counter and slept under a 1 ms
// timer resolution (asked for at the first paced swap, given back at exit),
// since Windows' default 15.6 ms ticks would stretch each wait to about 31 ms.
#include "platform/platform.h"
#include "platform/gl_info.h"
#include "platform/swap_watch.h"
#include "platform/win32_text.h"

// After the contract: its constants share their names with these headers'
// macros (and their values), which from here on stand for the same numbers.
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <mmsystem.h>
#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct ClassEntry {
    ATOM atom;
    std::wstring name;
    WindowProcedure procedure;
};

constexpr int kDefaultRefreshRate = 60;
// GetDeviceCaps(VREFRESH) gives 0 or 1 for "the hardware's default".
constexpr int kLowestRefreshRate = 24;
constexpr UINT kTimerResolutionMilliseconds = 1;

struct BackendState {
    std::vector<ClassEntry> classes;
    MSG lastMessage = {};           // the one PlatPeekMessage took last, with its time and point
    bool paced = true;              // this context's swaps are spaced here, not by the driver
    int fastSwaps = 0;              // swaps in a row that came sooner than a refresh
    LONGLONG counterFrequency = 0;  // performance-counter ticks a second
    LONGLONG refreshTicks = 0;      // one display refresh in counter ticks
    LONGLONG lastSwap = 0;          // performance counter after the last swap
    bool fineTimer = false;         // the 1 ms timer resolution was asked for
    bool rightHeld = false;         // a right press was taken, and no release since
    MSG heldBack = {};              // a move kept back behind the release it showed
    bool hasHeldBack = false;
};

BackendState state;

HWND Hwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }
WindowHandle Handle(HWND window) { return reinterpret_cast<WindowHandle>(window); }
HDC Hdc(DeviceContextHandle deviceContext) { return reinterpret_cast<HDC>(deviceContext); }

ClassEntry* FindClass(ATOM atom) {
    for (ClassEntry& entry : state.classes)
        if (entry.atom == atom) return &entry;
    return nullptr;
}

// The one window procedure Windows knows: the message goes on to the procedure
// of the window's class, from the first message (before CreateWindowExW returns).
LRESULT CALLBACK ClassTrampoline(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ClassEntry* entry = FindClass(static_cast<ATOM>(GetClassWord(window, GCW_ATOM)));
    if (entry == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    return entry->procedure(Handle(window), message, wParam, lParam);
}

MSG ToMsg(const PlatMessage* message) {
    const MSG& last = state.lastMessage;
    if (last.hwnd == Hwnd(message->window) && last.message == message->message &&
        last.wParam == message->wParam && last.lParam == message->lParam)
        return last;
    MSG msg = {};
    msg.hwnd = Hwnd(message->window);
    msg.message = message->message;
    msg.wParam = message->wParam;
    msg.lParam = message->lParam;
    msg.time = GetMessageTime();
    return msg;
}

LONGLONG Counter() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

// Vertical sync where the driver offers it (WGL_EXT_swap_control); without
// it, or until its swaps are seen not to wait, the swaps are paced.
void RequestVsync(HDC deviceContext) {
    typedef BOOL(WINAPI * SwapIntervalProc)(int);
    if (state.counterFrequency == 0) {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        state.counterFrequency = frequency.QuadPart;
    }
    int rate = GetDeviceCaps(deviceContext, VREFRESH);
    if (rate < kLowestRefreshRate) rate = kDefaultRefreshRate;
    state.refreshTicks = state.counterFrequency / rate;
    state.paced = true;
    state.fastSwaps = 0;
    state.lastSwap = 0;
    PROC address = wglGetProcAddress("wglSwapIntervalEXT");
    if (address == nullptr) return;
    SwapIntervalProc swapInterval;
    static_assert(sizeof swapInterval == sizeof address);
    memcpy(&swapInterval, &address, sizeof swapInterval);
    state.paced = swapInterval(1) == FALSE;
}

// Under a granted interval: a run of swaps sooner than a refresh starts pacing.
void WatchSwap() {
    LONGLONG now = Counter();
    LONGLONG sinceLast = state.lastSwap != 0 ? now - state.lastSwap : -1;
    if (SwapsDoNotWait(state.fastSwaps, sinceLast, state.refreshTicks)) state.paced = true;
    state.lastSwap = now;
}

void EndFineTimer() { timeEndPeriod(kTimerResolutionMilliseconds); }

void PaceSwap() {
    if (!state.fineTimer) {
        state.fineTimer = true;
        if (timeBeginPeriod(kTimerResolutionMilliseconds) == TIMERR_NOERROR) atexit(EndFineTimer);
    }
    if (state.lastSwap != 0) {
        LONGLONG due = state.lastSwap + state.refreshTicks;
        // The whole milliseconds left asleep, the rest yielded: never short.
        LONGLONG left = (due - Counter()) * 1000 / state.counterFrequency;
        if (left > 0) Sleep(static_cast<DWORD>(left));
        while (Counter() < due) Sleep(0);
    }
    state.lastSwap = Counter();
}

PIXELFORMATDESCRIPTOR ToDescriptor(const PixelFormatDescriptor* request) {
    PIXELFORMATDESCRIPTOR pfd = {};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = request->nVersion;
    pfd.dwFlags = request->dwFlags;
    pfd.iPixelType = request->iPixelType;
    pfd.cColorBits = request->cColorBits;
    pfd.cRedBits = request->cRedBits;
    pfd.cRedShift = request->cRedShift;
    pfd.cGreenBits = request->cGreenBits;
    pfd.cGreenShift = request->cGreenShift;
    pfd.cBlueBits = request->cBlueBits;
    pfd.cBlueShift = request->cBlueShift;
    pfd.cAlphaBits = request->cAlphaBits;
    pfd.cAlphaShift = request->cAlphaShift;
    pfd.cAccumBits = request->cAccumBits;
    pfd.cAccumRedBits = request->cAccumRedBits;
    pfd.cAccumGreenBits = request->cAccumGreenBits;
    pfd.cAccumBlueBits = request->cAccumBlueBits;
    pfd.cAccumAlphaBits = request->cAccumAlphaBits;
    pfd.cDepthBits = request->cDepthBits;
    pfd.cStencilBits = request->cStencilBits;
    pfd.cAuxBuffers = request->cAuxBuffers;
    pfd.iLayerType = request->iLayerType;
    pfd.bReserved = request->bReserved;
    pfd.dwLayerMask = request->dwLayerMask;
    pfd.dwVisibleMask = request->dwVisibleMask;
    pfd.dwDamageMask = request->dwDamageMask;
    return pfd;
}

// Moves lParam's point (client coordinates, signed halves) to the nearest
// point of the window's client area; true when it was inside already.
bool ClampToClient(HWND window, LPARAM* lParam) {
    RECT client;
    if (!GetClientRect(window, &client)) return true;
    int x = static_cast<short>(LOWORD(*lParam)), y = static_cast<short>(HIWORD(*lParam));
    int nearX = std::clamp(x, 0, std::max<int>(client.right - 1, 0));
    int nearY = std::clamp(y, 0, std::max<int>(client.bottom - 1, 0));
    *lParam = MAKELPARAM(nearX, nearY);
    return nearX == x && nearY == y;
}

// The mouse is not captured, so a window hears of no move outside its client
// area and a drag never outlives its button. Windows posts a release made
// outside every window of ours to another program's window; Wine passes on
// X's implicit pointer grab, so moves and releases outside the client area do
// come. Hence: a move outside is dropped; a button message outside is moved
// to the nearest point inside; and a move that shows the right button up
// while its release never came is preceded by that release, at its point.
bool TakeMessage(MSG* msg) {
    if (state.hasHeldBack) {
        state.hasHeldBack = false;
        *msg = state.heldBack;
        return true;
    }
    for (;;) {
        if (!PeekMessageW(msg, nullptr, 0, 0, PM_REMOVE)) return false;
        if (msg->message == WM_MOUSEMOVE) {
            if (!ClampToClient(msg->hwnd, &msg->lParam)) continue;
            if (state.rightHeld && !(msg->wParam & MK_RBUTTON)) {
                state.heldBack = *msg;
                state.hasHeldBack = true;
                msg->message = WM_RBUTTONUP;
                state.rightHeld = false;
            }
            return true;
        }
        if (msg->message >= WM_LBUTTONDOWN && msg->message <= WM_MBUTTONDBLCLK) {
            ClampToClient(msg->hwnd, &msg->lParam);
            if (msg->message == WM_RBUTTONDOWN || msg->message == WM_RBUTTONDBLCLK)
                state.rightHeld = true;
            if (msg->message == WM_RBUTTONUP) state.rightHeld = false;
        }
        return true;
    }
}

}  // namespace

// ---- Messages -------------------------------------------------------------------

bool PlatPeekMessage(PlatMessage* out) {
    if (out == nullptr) return false;
    MSG msg;
    if (!TakeMessage(&msg)) return false;
    state.lastMessage = msg;
    *out = PlatMessage{Handle(msg.hwnd), msg.message, msg.wParam, msg.lParam};
    return true;
}

bool PlatTranslateMessage(const PlatMessage* message) {
    if (message == nullptr) return false;
    MSG msg = ToMsg(message);
    return TranslateMessage(&msg) != 0;
}

intptr_t PlatDispatchMessage(const PlatMessage* message) {
    if (message == nullptr) return 0;
    MSG msg = ToMsg(message);
    return DispatchMessageW(&msg);
}

bool PlatWaitMessage() { return WaitMessage() != 0; }

void PlatPostQuitMessage(int32_t exitCode) { PostQuitMessage(exitCode); }

intptr_t PlatDefWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam,
                           intptr_t lParam) {
    return DefWindowProcW(Hwnd(window), message, wParam, lParam);
}

// ---- Window classes and windows ------------------------------------------------------

InstanceHandle PlatGetModuleHandle() {
    return reinterpret_cast<InstanceHandle>(GetModuleHandleW(nullptr));
}

IconHandle PlatLoadIcon(int32_t id) {
    return reinterpret_cast<IconHandle>(LoadIconW(nullptr, MAKEINTRESOURCEW(id)));
}

CursorHandle PlatLoadCursor(int32_t id) {
    return reinterpret_cast<CursorHandle>(LoadCursorW(nullptr, MAKEINTRESOURCEW(id)));
}

uint16_t PlatRegisterClass(const WindowClass* windowClass) {
    if (windowClass == nullptr || windowClass->procedure == nullptr ||
        windowClass->className == nullptr)
        return 0;
    std::wstring name = win32_text::Wide(windowClass->className);
    std::wstring menu = win32_text::Wide(windowClass->menuName);
    WNDCLASSW wc = {};
    wc.style = windowClass->style;
    wc.lpfnWndProc = ClassTrampoline;
    wc.cbClsExtra = windowClass->classExtra;
    wc.cbWndExtra = windowClass->windowExtra;
    wc.hInstance = reinterpret_cast<HINSTANCE>(windowClass->instance);
    wc.hIcon = reinterpret_cast<HICON>(windowClass->icon);
    wc.hCursor = reinterpret_cast<HCURSOR>(windowClass->cursor);
    wc.hbrBackground = static_cast<HBRUSH>(const_cast<void*>(windowClass->background));
    wc.lpszMenuName = windowClass->menuName != nullptr ? menu.c_str() : nullptr;
    wc.lpszClassName = name.c_str();
    ATOM atom = RegisterClassW(&wc);
    if (atom == 0) return 0;
    state.classes.push_back(ClassEntry{atom, name, windowClass->procedure});
    return atom;
}

bool PlatUnregisterClass(const char* className, InstanceHandle instance) {
    if (className == nullptr) return false;
    std::wstring name = win32_text::Wide(className);
    if (!UnregisterClassW(name.c_str(), reinterpret_cast<HINSTANCE>(instance))) return false;
    for (size_t i = 0; i < state.classes.size(); ++i) {
        if (state.classes[i].name == name) {
            state.classes.erase(state.classes.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    }
    return true;
}

bool PlatAdjustWindowRectEx(Rect* rect, uint32_t style, bool hasMenu, uint32_t exStyle) {
    if (rect == nullptr) return false;
    RECT r = {rect->left, rect->top, rect->right, rect->bottom};
    if (!AdjustWindowRectEx(&r, style, hasMenu, exStyle)) return false;
    *rect = Rect{r.left, r.top, r.right, r.bottom};
    return true;
}

WindowHandle PlatCreateWindowEx(uint32_t exStyle, const char* className, const char* title,
                                uint32_t style, int32_t x, int32_t y, int32_t width, int32_t height,
                                WindowHandle parent, InstanceHandle instance) {
    std::wstring wideClass = win32_text::Wide(className);
    std::wstring wideTitle = win32_text::Wide(title);
    HWND window =
        CreateWindowExW(exStyle, wideClass.c_str(), wideTitle.c_str(), style, x, y, width, height,
                        Hwnd(parent), nullptr, reinterpret_cast<HINSTANCE>(instance), nullptr);
    if (window == nullptr)
        fprintf(stderr, "heliora: cannot open a window (Windows error %lu).\n", GetLastError());
    return Handle(window);
}

bool PlatShowWindow(WindowHandle window, int32_t showCommand) {
    // The result is the window's previous visibility; the call itself cannot fail.
    ShowWindow(Hwnd(window), showCommand);
    return IsWindow(Hwnd(window)) != 0;
}

bool PlatSetForegroundWindow(WindowHandle window) { return SetForegroundWindow(Hwnd(window)) != 0; }

WindowHandle PlatSetFocus(WindowHandle window) { return Handle(SetFocus(Hwnd(window))); }

WindowHandle PlatGetFocus() { return Handle(GetFocus()); }

bool PlatDestroyWindow(WindowHandle window) { return DestroyWindow(Hwnd(window)) != 0; }

// ---- Display mode and cursor ------------------------------------------------------------

int32_t PlatChangeDisplaySettings(const DisplayMode* mode, uint32_t flags) {
    if (mode == nullptr) return ChangeDisplaySettingsW(nullptr, flags);
    DEVMODEW devmode = {};
    devmode.dmSize = sizeof devmode;
    devmode.dmFields = mode->dmFields;
    devmode.dmBitsPerPel = mode->dmBitsPerPel;
    devmode.dmPelsWidth = mode->dmPelsWidth;
    devmode.dmPelsHeight = mode->dmPelsHeight;
    return ChangeDisplaySettingsW(&devmode, flags);
}

int32_t PlatShowCursor(bool show) { return ShowCursor(show); }

// ---- Device context, pixel format, rendering context -------------------------------------

DeviceContextHandle PlatGetDC(WindowHandle window) {
    return reinterpret_cast<DeviceContextHandle>(GetDC(Hwnd(window)));
}

bool PlatReleaseDC(WindowHandle window, DeviceContextHandle deviceContext) {
    return ReleaseDC(Hwnd(window), Hdc(deviceContext)) != 0;
}

int32_t PlatChoosePixelFormat(DeviceContextHandle deviceContext,
                              const PixelFormatDescriptor* request) {
    if (request == nullptr) return 0;
    PIXELFORMATDESCRIPTOR pfd = ToDescriptor(request);
    return ChoosePixelFormat(Hdc(deviceContext), &pfd);
}

bool PlatSetPixelFormat(DeviceContextHandle deviceContext, int32_t index,
                        const PixelFormatDescriptor* request) {
    if (request == nullptr) return false;
    PIXELFORMATDESCRIPTOR pfd = ToDescriptor(request);
    return SetPixelFormat(Hdc(deviceContext), index, &pfd) != 0;
}

RenderingContextHandle PlatCreateContext(DeviceContextHandle deviceContext) {
    return reinterpret_cast<RenderingContextHandle>(wglCreateContext(Hdc(deviceContext)));
}

bool PlatMakeCurrent(DeviceContextHandle deviceContext, RenderingContextHandle context) {
    if (!wglMakeCurrent(Hdc(deviceContext), reinterpret_cast<HGLRC>(context))) return false;
    if (context != nullptr) {
        RequestVsync(Hdc(deviceContext));
        PrintGlInfoOnce();
    }
    return true;
}

bool PlatDeleteContext(RenderingContextHandle context) {
    return wglDeleteContext(reinterpret_cast<HGLRC>(context)) != 0;
}

bool PlatSwapBuffers(DeviceContextHandle deviceContext) {
    bool swapped = SwapBuffers(Hdc(deviceContext)) != 0;
    if (!state.paced) WatchSwap();
    if (state.paced) PaceSwap();
    return swapped;
}

// ---- Message boxes ----------------------------------------------------------------------

int32_t PlatMessageBox(WindowHandle owner, const char* text, const char* caption, uint32_t style) {
    const char* shownCaption = caption != nullptr ? caption : "Error";
    std::wstring wideText = win32_text::Wide(text);
    std::wstring wideCaption = win32_text::Wide(shownCaption);
    int answer = MessageBoxW(Hwnd(owner), wideText.c_str(), wideCaption.c_str(), style);
    if (answer == IDOK || answer == IDYES || answer == IDNO) return answer;
    if (answer == 0) {  // no box could be shown: the message still reaches the user
        fprintf(stderr, "%s: %s\n", shownCaption, text != nullptr ? text : "");
        return 0;
    }
    return (style & 0x0F) == MB_YESNO ? IDNO : IDOK;
}
