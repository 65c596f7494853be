// The platform contract: every operation the viewer needs from the desktop,
// with what its callers rely on. Its backends are picked at link time: the
// SDL2 backend (the real program on Linux), the Win32 backend (the real
// program on Windows), the console backend (the picture tool: files and
// messages only) and the scripted fake (tests).
//
// The operations keep the shape of the window-system calls the viewer was
// first written against: handles are opaque and null on failure, booleans are
// true on success, message numbers, key codes and box styles keep their
// classic values, so the shell's message switch reads as it always has.
// No SDL, X11 or POSIX type ever appears here.
#pragma once

#include <cstddef>
#include <cstdint>

typedef struct PlatInstance_* InstanceHandle;
typedef struct PlatWindow_* WindowHandle;
typedef struct PlatDeviceContext_* DeviceContextHandle;
typedef struct PlatRenderingContext_* RenderingContextHandle;
typedef struct PlatIcon_* IconHandle;
typedef struct PlatCursor_* CursorHandle;
typedef struct PlatFile_* FileHandle;
typedef struct PlatFileMapping_* FileMappingHandle;

typedef intptr_t (*WindowProcedure)(WindowHandle window, uint32_t message, uintptr_t wParam,
                                    intptr_t lParam);

// ---- Messages ---------------------------------------------------------------
struct PlatMessage {
    WindowHandle window;  // null for thread messages (WM_QUIT)
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

constexpr uint32_t WM_SIZE = 0x0005;
// A repaint request: part of the window lost its picture (uncovered, restored,
// moved onto another screen) and wants it drawn again. Windows sends it until
// the default procedure has validated the window; elsewhere an exposure comes
// as one WM_PAINT (at most one pending per window) that needs no answer.
constexpr uint32_t WM_PAINT = 0x000F;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_QUIT = 0x0012;
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_KEYUP = 0x0101;
constexpr uint32_t WM_SYSKEYDOWN = 0x0104;  // a key pressed while Alt is held
constexpr uint32_t WM_SYSKEYUP = 0x0105;
constexpr uint32_t WM_SYSCOMMAND = 0x0112;
constexpr uint32_t WM_MOUSEMOVE = 0x0200;
constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr uint32_t WM_RBUTTONUP = 0x0205;

constexpr uintptr_t SC_CLOSE = 0xF060;
constexpr uintptr_t SC_SCREENSAVE = 0xF140;
constexpr uintptr_t SC_MONITORPOWER = 0xF170;

// Virtual-key codes carried in wParam of WM_KEYDOWN / WM_KEYUP. Letters are
// their capital ASCII codes, digits their ASCII codes.
constexpr uintptr_t VK_ESCAPE = 27;
constexpr uintptr_t VK_SPACE = 32;
constexpr uintptr_t VK_ADD = 107;       // keypad plus
constexpr uintptr_t VK_SUBTRACT = 109;  // keypad minus
constexpr uintptr_t VK_F1 = 112;
constexpr uintptr_t VK_F2 = 113;
constexpr uintptr_t VK_F3 = 114;
constexpr uintptr_t VK_F4 = 115;
constexpr uintptr_t VK_F5 = 116;

// Mouse messages carry in wParam the buttons and modifier keys that are down
// once the message's own event has happened (a button's down message has its
// flag, its up message has not).
constexpr uintptr_t MK_LBUTTON = 0x0001;
constexpr uintptr_t MK_RBUTTON = 0x0002;
constexpr uintptr_t MK_SHIFT = 0x0004;
constexpr uintptr_t MK_CONTROL = 0x0008;
constexpr uintptr_t MK_MBUTTON = 0x0010;

// WM_SIZE carries the kind of change in wParam. A minimised window's size is
// 0 x 0; restoring or maximising it sends its real size again.
constexpr uintptr_t SIZE_RESTORED = 0;
constexpr uintptr_t SIZE_MINIMIZED = 1;
constexpr uintptr_t SIZE_MAXIMIZED = 2;

// Mouse and size messages pack two unsigned 16-bit halves into lParam:
// x (or width) in the low half, y (or height) in the high half. Mouse
// positions are client coordinates inside the client area: the mouse is not
// captured, so a window hears of no move outside it, and a button message
// never carries a position outside it (a button released outside every
// window still comes to the window that took its press, at the nearest point;
// when that window was destroyed meanwhile, the release comes, at the latest,
// to the window the pointer next moves in, before that move, and the next
// press comes as any press does).
constexpr intptr_t PackPoint(uint16_t low, uint16_t high) {
    return static_cast<intptr_t>(static_cast<uint32_t>(low) | (static_cast<uint32_t>(high) << 16));
}
constexpr uint16_t LowHalf(intptr_t lParam) { return static_cast<uint16_t>(lParam & 0xFFFF); }
constexpr uint16_t HighHalf(intptr_t lParam) {
    return static_cast<uint16_t>((lParam >> 16) & 0xFFFF);
}

// Takes one pending message for any window of this thread without waiting.
// Returns false when none is pending. Input that arrived since the last call
// is turned into messages first. WM_QUIT is returned once after
// PlatPostQuitMessage, with the posted code in wParam. Keys pressed while Alt
// is held come as WM_SYSKEYDOWN / WM_SYSKEYUP, never as WM_KEYDOWN.
bool PlatPeekMessage(PlatMessage* out);
// Waits, taking no processor time, until new input or a new message may have
// come (at once when one is pending); an interrupt signal (on Linux) ends it
// too. The next PlatPeekMessage may still find none: input that makes no
// message. False when waiting failed, and then it returned without waiting.
bool PlatWaitMessage();
// Kept for the loop's shape; the backends translate keys when they queue them.
bool PlatTranslateMessage(const PlatMessage* message);
// Calls the procedure of the class the message's window was created with and
// returns its result; 0 for a message without a live window.
intptr_t PlatDispatchMessage(const PlatMessage* message);
// Queues WM_QUIT with wParam = exitCode.
void PlatPostQuitMessage(int32_t exitCode);
// Default handling of a message: on Windows the window system's own. Elsewhere
// it returns 0, and WM_SYSKEYDOWN of VK_F4 (Alt+F4) sends WM_SYSCOMMAND with
// SC_CLOSE to the window's procedure, and that command, handled here in turn,
// sends WM_CLOSE; anything else does nothing.
intptr_t PlatDefWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam,
                           intptr_t lParam);

// ---- Window classes and windows --------------------------------------------
constexpr uint32_t CS_VREDRAW = 0x0001;
constexpr uint32_t CS_HREDRAW = 0x0002;
constexpr uint32_t CS_OWNDC = 0x0020;
constexpr int32_t IDI_WINLOGO = 32517;
constexpr int32_t IDC_ARROW = 32512;

struct WindowClass {
    uint32_t style;
    WindowProcedure procedure;
    int32_t classExtra;
    int32_t windowExtra;
    InstanceHandle instance;
    IconHandle icon;
    CursorHandle cursor;
    const void* background;  // always null here
    const char* menuName;    // always null here
    const char* className;
};

constexpr uint32_t WS_POPUP = 0x80000000u;
constexpr uint32_t WS_CLIPSIBLINGS = 0x04000000u;
constexpr uint32_t WS_CLIPCHILDREN = 0x02000000u;
constexpr uint32_t WS_OVERLAPPEDWINDOW = 0x00CF0000u;
constexpr uint32_t WS_EX_WINDOWEDGE = 0x00000100u;
constexpr uint32_t WS_EX_APPWINDOW = 0x00040000u;
constexpr int32_t SW_SHOW = 5;

struct Rect {
    int32_t left, top, right, bottom;
};

// The program's own module handle; never null.
InstanceHandle PlatGetModuleHandle();
// Stock icon and cursor handles (IDI_WINLOGO, IDC_ARROW).
IconHandle PlatLoadIcon(int32_t id);
CursorHandle PlatLoadCursor(int32_t id);
// Registers a class by name with its procedure. Returns a non-zero atom, or 0
// on failure, which includes a name that is already registered.
uint16_t PlatRegisterClass(const WindowClass* windowClass);
// Unregisters a class by name. False when it is not registered.
bool PlatUnregisterClass(const char* className, InstanceHandle instance);
// Grows a client rectangle to the outer size of a window of these styles.
bool PlatAdjustWindowRectEx(Rect* rect, uint32_t style, bool hasMenu, uint32_t exStyle);
// Creates a hidden window of a registered class, its outer top-left corner at
// (x, y). WS_POPUP after an accepted display change makes it full screen in
// that mode. Null on failure (unknown class, no display). Messages for the
// window go to its class's procedure.
WindowHandle PlatCreateWindowEx(uint32_t exStyle, const char* className, const char* title,
                                uint32_t style, int32_t x, int32_t y, int32_t width, int32_t height,
                                WindowHandle parent, InstanceHandle instance);
bool PlatShowWindow(WindowHandle window, int32_t showCommand);
bool PlatSetForegroundWindow(WindowHandle window);
// Gives the window the keyboard focus; returns the window that had it.
WindowHandle PlatSetFocus(WindowHandle window);
// The window that has the keyboard focus, or null.
WindowHandle PlatGetFocus();
bool PlatDestroyWindow(WindowHandle window);

// ---- Display mode and cursor -----------------------------------------------
constexpr uint32_t DM_BITSPERPEL = 0x00040000u;
constexpr uint32_t DM_PELSWIDTH = 0x00080000u;
constexpr uint32_t DM_PELSHEIGHT = 0x00100000u;
constexpr uint32_t CDS_FULLSCREEN = 0x00000004u;
constexpr int32_t DISP_CHANGE_SUCCESSFUL = 0;
constexpr int32_t DISP_CHANGE_FAILED = -1;
constexpr int32_t DISP_CHANGE_BADMODE = -2;

struct DisplayMode {
    uint16_t dmSize;  // 148
    uint32_t dmFields;
    uint32_t dmBitsPerPel;
    uint32_t dmPelsWidth;
    uint32_t dmPelsHeight;
};

// With a mode and CDS_FULLSCREEN: DISP_CHANGE_SUCCESSFUL once the display
// where windows open (the one holding the point (0, 0)) is in a mode of that
// width and height, so that the next WS_POPUP window covers the screen in that
// mode; anything else when the display has no such mode or could not be put
// into it. The colour depth is not looked at: X servers offer no 16-bit modes
// beside a 24-bit desktop. With null and 0: back to the desktop's own mode.
int32_t PlatChangeDisplaySettings(const DisplayMode* mode, uint32_t flags);
// Shows or hides the cursor over the program's windows; returns the new count.
int32_t PlatShowCursor(bool show);

// ---- Device context, pixel format, rendering context ------------------------
constexpr uint32_t PFD_DOUBLEBUFFER = 0x00000001u;
constexpr uint32_t PFD_DRAW_TO_WINDOW = 0x00000004u;
constexpr uint32_t PFD_SUPPORT_OPENGL = 0x00000020u;
constexpr uint8_t PFD_TYPE_RGBA = 0;
constexpr uint8_t PFD_MAIN_PLANE = 0;

struct PixelFormatDescriptor {
    uint16_t nSize;
    uint16_t nVersion;
    uint32_t dwFlags;
    uint8_t iPixelType;
    uint8_t cColorBits;
    uint8_t cRedBits, cRedShift, cGreenBits, cGreenShift, cBlueBits, cBlueShift;
    uint8_t cAlphaBits, cAlphaShift;
    uint8_t cAccumBits, cAccumRedBits, cAccumGreenBits, cAccumBlueBits, cAccumAlphaBits;
    uint8_t cDepthBits;
    uint8_t cStencilBits;
    uint8_t cAuxBuffers;
    uint8_t iLayerType;
    uint8_t bReserved;
    uint32_t dwLayerMask, dwVisibleMask, dwDamageMask;
};

// The window's own device context; null on failure.
DeviceContextHandle PlatGetDC(WindowHandle window);
bool PlatReleaseDC(WindowHandle window, DeviceContextHandle deviceContext);
// Index (from 1) of the closest format the window can have to the request;
// 0 when none can serve a window-drawn, OpenGL, RGBA request.
int32_t PlatChoosePixelFormat(DeviceContextHandle deviceContext,
                              const PixelFormatDescriptor* request);
bool PlatSetPixelFormat(DeviceContextHandle deviceContext, int32_t index,
                        const PixelFormatDescriptor* request);
// An OpenGL 1.1-compatible context for the device context; null on failure.
RenderingContextHandle PlatCreateContext(DeviceContextHandle deviceContext);
// Makes the context current on this thread; (null, null) releases the current one.
bool PlatMakeCurrent(DeviceContextHandle deviceContext, RenderingContextHandle context);
bool PlatDeleteContext(RenderingContextHandle context);
// Presents the back buffer, waiting for vertical sync where the display has it.
bool PlatSwapBuffers(DeviceContextHandle deviceContext);

// ---- Message boxes -----------------------------------------------------------
constexpr uint32_t MB_OK = 0x00000000u;
constexpr uint32_t MB_YESNO = 0x00000004u;
constexpr uint32_t MB_ICONSTOP = 0x00000010u;
constexpr uint32_t MB_ICONEXCLAMATION = 0x00000030u;
constexpr uint32_t MB_ICONINFORMATION = 0x00000040u;
constexpr int32_t IDOK = 1;
constexpr int32_t IDYES = 6;
constexpr int32_t IDNO = 7;

// A modal box owned by `owner` (or none) with UTF-8 text and caption, the
// buttons of the style (OK; Yes and No with Yes the default) and its icon.
// Blocks until answered and returns IDOK, IDYES or IDNO. While it is open the
// owner takes no input: its key-downs, button-downs and moves made meanwhile,
// or made before and not yet taken, are dropped (releases are kept, so
// nothing stays held); sizing goes on. Closing the owner's window while a box
// is open differs, and both ways are sound: on Linux the close is kept and
// acted on once the box is dismissed; Windows disables a box's owner, so its
// close button does nothing until the box is gone. A box closed without a
// button gets the cautious answer: IDOK, or IDNO for MB_YESNO. Where no box
// can be shown, the caption and text go to standard error and the answer is
// 0, as the window system's own box fails: nobody was asked, so nobody said
// No.
int32_t PlatMessageBox(WindowHandle owner, const char* text, const char* caption, uint32_t style);

// ---- Files -------------------------------------------------------------------
// One thread: the file and view operations keep no locks, so they are all
// called from the thread that runs the main loop (debug builds check it).
// Opens an existing file for reading (others may read it too). Null on failure.
FileHandle PlatOpenFileForReading(const char* path);
// A read-only mapping of the whole file. Null on failure, which includes a
// file of length 0.
FileMappingHandle PlatCreateFileMapping(FileHandle file);
// The address of the file's first byte with the whole file readable in place,
// and its length in bytes. Null on failure.
const unsigned char* PlatMapViewOfFile(FileMappingHandle mapping, size_t* length);
bool PlatUnmapViewOfFile(const unsigned char* view, size_t length);
// True while the view still holds the whole file as mapped. False once the
// file was cut short or changed under it (another program truncated or
// rewrote it, even at the same length): what was read from the view may then
// be zeros in place of the lost bytes, or a mixture of the old file and the
// new. Reads of such a view do not fault; ask before the view is unmapped.
bool PlatMappedViewIntact(const unsigned char* view, size_t length);
bool PlatCloseFileMapping(FileMappingHandle mapping);
bool PlatCloseFile(FileHandle file);
// Replaces the file `path` finally names (a link is followed and stays a
// link) with `length` bytes, never rewriting it in place: they are written to
// a new file beside it, made only where no file has that name and readable by
// its owner alone until it has the old file's permission bits, which it gets
// before its first byte; flushed to the disk, then renamed over the old one,
// and the folder is flushed where the file system can (a crash before the
// rename reaches the disk leaves the old file, never part of the new one). A
// reader that has the old file open keeps reading it whole. Only a regular
// file that may be written is replaced (or a new one made); refused, and left
// as they are: a folder (errno EISDIR), a device, a pipe or a socket (EINVAL;
// on Windows the device names such as NUL and CON too), a read-only file
// (EACCES; on POSIX one whose bits let no one write it, whoever runs the
// tool) and a loop of links (ELOOP). False on failure, with errno saying why,
// nothing new left behind and the old file as it was (only the real backends
// have it: the picture tool writes files).
bool PlatReplaceFile(const char* path, const unsigned char* bytes, size_t length);
