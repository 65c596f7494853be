// The console backend: the platform contract for the picture tool. Files go
// through the POSIX mapping helpers; a message box shows nothing and keeps its
// text for the tool (console_platform.h); every window, display and GL
// operation answers with a neutral value (null, false or 0), as on a machine
// without a desktop.
#include <string>

#include "platform/console_platform.h"
#include "platform/platform.h"

// The one handle the program has even without a desktop.
struct PlatInstance_ {
    int unused;
};

namespace {

std::string lastMessage;
PlatInstance_ consoleInstance;

}  // namespace

const char* ConsoleLastMessage() { return lastMessage.c_str(); }
void ConsoleClearMessage() { lastMessage.clear(); }

// ---- Messages ---------------------------------------------------------------
bool PlatPeekMessage(PlatMessage*) { return false; }
bool PlatTranslateMessage(const PlatMessage*) { return false; }
intptr_t PlatDispatchMessage(const PlatMessage*) { return 0; }
void PlatPostQuitMessage(int32_t) {}
intptr_t PlatDefWindowProc(WindowHandle, uint32_t, uintptr_t, intptr_t) { return 0; }

// ---- Window classes and windows --------------------------------------------
InstanceHandle PlatGetModuleHandle() { return &consoleInstance; }
IconHandle PlatLoadIcon(int32_t) { return nullptr; }
CursorHandle PlatLoadCursor(int32_t) { return nullptr; }
uint16_t PlatRegisterClass(const WindowClass*) { return 0; }
bool PlatUnregisterClass(const char*, InstanceHandle) { return false; }
bool PlatAdjustWindowRectEx(Rect*, uint32_t, bool, uint32_t) { return false; }
WindowHandle PlatCreateWindowEx(uint32_t, const char*, const char*, uint32_t, int32_t, int32_t,
                                int32_t, int32_t, WindowHandle, InstanceHandle) {
    return nullptr;
}
bool PlatShowWindow(WindowHandle, int32_t) { return false; }
bool PlatSetForegroundWindow(WindowHandle) { return false; }
WindowHandle PlatSetFocus(WindowHandle) { return nullptr; }
WindowHandle PlatGetFocus() { return nullptr; }
bool PlatDestroyWindow(WindowHandle) { return false; }

// ---- Display mode and cursor -----------------------------------------------
int32_t PlatChangeDisplaySettings(const DisplayMode*, uint32_t) { return DISP_CHANGE_FAILED; }
int32_t PlatShowCursor(bool) { return 0; }

// ---- Device context, pixel format, rendering context ------------------------
DeviceContextHandle PlatGetDC(WindowHandle) { return nullptr; }
bool PlatReleaseDC(WindowHandle, DeviceContextHandle) { return false; }
int32_t PlatChoosePixelFormat(DeviceContextHandle, const PixelFormatDescriptor*) { return 0; }
bool PlatSetPixelFormat(DeviceContextHandle, int32_t, const PixelFormatDescriptor*) {
    return false;
}
RenderingContextHandle PlatCreateContext(DeviceContextHandle) { return nullptr; }
bool PlatMakeCurrent(DeviceContextHandle, RenderingContextHandle) { return false; }
bool PlatDeleteContext(RenderingContextHandle) { return false; }
bool PlatSwapBuffers(DeviceContextHandle) { return false; }

// ---- Message boxes -----------------------------------------------------------
int32_t PlatMessageBox(WindowHandle, const char* text, const char*, uint32_t style) {
    lastMessage = text != nullptr ? text : "";
    // Nobody is asked: no answer, as where no box can be shown.
    (void)style;
    return 0;
}

// Files: posix_file_ops.cpp.
