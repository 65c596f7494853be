// The real program's platform: windows, OpenGL contexts, input, display modes
// and message boxes on SDL2, files through posix_file_ops.cpp. What only one
// video driver needs is in sdl_x11.cpp and sdl_wayland.cpp (sdl_drivers.h).
//
// SDL's video subsystem starts on first need (a window, a display-mode
// request); without a display every window fails and the reason is printed
// once, and a display lost later ends the process at once (exit code 1).
// Input is turned into messages when PlatPeekMessage pumps SDL's events into
// one FIFO, keys through one bounded table of virtual-key codes. The mouse is
// never captured: a window hears only of moves inside it.
// Message boxes are SDL's own (on X11 drawn with X core fonts); where none can
// be shown, the message goes to standard error.
// Limits: one thread; one pixel format per window (the one SDL chose for it
// at creation); a full-screen mode is one that the display holding (0, 0)
// lists or its desktop mode, so a virtual display offers only its own size;
// where no swap interval is granted, or a granted one is seen not to wait,
// buffer swaps are paced a refresh of the display's current mode apart (60 a
// second where the display does not say).
#include <GL/gl.h>
#include <SDL.h>
#include <langinfo.h>
#include <locale.h>
#include <strings.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/gl_info.h"
#include "platform/sdl_drivers.h"
#include "platform/swap_watch.h"

namespace {

// ---- Handles -----------------------------------------------------------------

struct SdlDeviceContext;

struct SdlWindow {
    SDL_Window* window;
    Uint32 id;
    WindowProcedure procedure;
    bool doubleBuffered;  // what the window was created with
    bool pixelFormatSet;
};

// Every window has exactly one device context: its own (CS_OWNDC).
struct SdlDeviceContext {
    SdlWindow* owner;
};

struct SdlRenderingContext {
    SDL_GLContext context;
};

struct WindowClassEntry {
    std::string name;
    WindowProcedure procedure;
    uint16_t atom;
};

// Stock objects: only their addresses matter.
struct StockObject {
    int32_t id;
};

StockObject moduleObject = {0};
StockObject stockIcon = {IDI_WINLOGO};
StockObject stockCursor = {IDC_ARROW};

// ---- Private state -------------------------------------------------------------

enum class VideoState { NotTried, Ready, Failed };

constexpr uint16_t kFirstAtom = 0xC000;
constexpr uint16_t kLastAtom = 0xFFFF;
// Beyond this many waiting messages SDL's own queue holds the rest.
constexpr size_t kMaxQueuedMessages = 4096;
// SDL refuses larger windows on most drivers; anything past it is a caller's error.
constexpr int32_t kMaxWindowSide = 16384;
constexpr int kDepthBufferBits = 16;
// Every window is created under a double-buffer request, and SDL's X11 driver
// creates no OpenGL window without a visual that has what was requested.
constexpr bool kWindowsAreDoubleBuffered = true;
constexpr int kValidPixelFormat = 1;
// Without vertical sync an idle loop would draw as fast as it can; swaps are
// then paced a refresh apart, at 60 a second where the display has no rate.
constexpr int kDefaultRefreshRate = 60;
constexpr const char* kUtf8Ctype = "C.UTF-8";
constexpr const char* kDesktopVideoDrivers = "x11,wayland";

struct BackendState {
    VideoState video = VideoState::NotTried;
    std::vector<WindowClassEntry> classes;
    uint16_t nextAtom = kFirstAtom;
    std::vector<SdlWindow*> windows;
    std::vector<SdlDeviceContext*> deviceContexts;
    std::vector<SdlRenderingContext*> renderingContexts;
    std::deque<PlatMessage> queue;
    SdlWindow* focus = nullptr;
    // MK_ flags of the mouse buttons held, and SDL's modifier state as of the
    // last key event: what mouse messages carry in wParam.
    uintptr_t mouseButtons = 0;
    Uint16 keyModifiers = KMOD_NONE;
    // The key pressed last: only it repeats (see NoteKey).
    SDL_Keycode lastPressedKey = SDLK_UNKNOWN;
    // The window that took the last button-down: a release outside every
    // window (SDL then names none) is its.
    SdlWindow* buttonWindow = nullptr;
    // Buttons whose state SDL may have wrong: held when the window that took
    // their press was destroyed (X then tells nobody of their release, and
    // SDL goes on calling them held, and ignores their next press). Moves
    // ask the pointer for the truth while any is here, and X's own button
    // events are read meanwhile, so that a press SDL ignores is seen.
    uintptr_t doubtfulButtons = 0;
    // Set by an accepted full-screen request until the desktop mode is back.
    bool fullscreenModeSet = false;
    SDL_DisplayMode fullscreenMode = {};
    // SDL sets a display mode only for a full-screen window on screen: this
    // borderless one holds the accepted mode until a full-screen window of
    // ours is shown.
    SDL_Window* modeHolder = nullptr;
    int32_t cursorCount = 0;
    bool paced = true;  // this context's swaps are spaced here, not by the driver
    int fastSwaps = 0;  // swaps in a row that came sooner than a refresh
    // One refresh of the current window's display and the last swap's time,
    // in ticks of SDL's performance counter (finer than a millisecond).
    Uint64 refresh = 0;
    Uint64 lastSwap = 0;
    bool boxLocaleChecked = false;
};

static BackendState state;

// ---- Video start-up --------------------------------------------------------------

const char* EnvironmentValue(const char* name) {
    const char* value = getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

// What to add to SDL's reason so that a user knows where to look.
void PrintDisplayHint() {
    const char* x11 = EnvironmentValue("DISPLAY");
    const char* wayland = EnvironmentValue("WAYLAND_DISPLAY");
    if (x11 == nullptr && wayland == nullptr)
        fputs(" Is DISPLAY set?", stderr);
    else if (x11 != nullptr)
        fprintf(stderr, " (DISPLAY is \"%s\")", x11);
    else
        fprintf(stderr, " (WAYLAND_DISPLAY is \"%s\")", wayland);
}

void SetHints() {
    // A message box over a full-screen window takes the focus; the window must
    // stay, in its mode, behind the box.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    // Closing the window is the window's own message (WM_CLOSE); SDL_QUIT then
    // only comes from an interrupt signal, which closes the windows the same way.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // A click that gives the window the focus is a click all the same: SDL would
    // drop any click read within 10 ms of a focus change, which after a busy
    // spell (a context being built) is the first click of all.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // The mouse is not captured while a button is held: SDL would otherwise
    // report a drag past the left or top edge with negative positions.
    SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "0");
    // Only a desktop will do: SDL would otherwise fall back to its off-screen
    // driver and run, unseen, without any display. SDL_VIDEODRIVER still rules.
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, kDesktopVideoDrivers, SDL_HINT_DEFAULT);
}

// ---- A lost display ---------------------------------------------------------------

// When the display server goes away (a session ended, a forwarded connection
// dropped, a compositor ended), the process ends at once: there is no display
// mode left to give back, and SDL_Quit would wait on the dead connection.
constexpr int kDisplayLostExitCode = 1;
pid_t viewerProcess = 0;  // SDL's X11 box is drawn by a forked child

}  // namespace

bool sdl_drivers::VideoDriverIs(const char* name) {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && SDL_strcmp(driver, name) == 0;
}

void sdl_drivers::EndForLostDisplay() {
    if (getpid() == viewerProcess) fputs("heliora: the display was lost.\n", stderr);
    _exit(kDisplayLostExitCode);
}

namespace {

// After a box, which reads no events of ours: a display lost while it was up.
void EndIfDisplayWasLostDuringBox() {
    if (state.video != VideoState::Ready) return;
    sdl_drivers::EndIfX11DisplayWasLost();
    sdl_drivers::EndIfWaylandDisplayIsLost();
}

// Starts SDL's video subsystem once. On failure the reason is printed once and
// every later call fails at once.
bool EnsureVideo() {
    if (state.video == VideoState::Ready) return true;
    if (state.video == VideoState::Failed) return false;
    SetHints();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        state.video = VideoState::Failed;
        fprintf(stderr, "heliora: cannot open a window: %s.", SDL_GetError());
        PrintDisplayHint();
        fputc('\n', stderr);
        return false;
    }
    atexit(SDL_Quit);  // gives back the desktop's display mode on every way out
    viewerProcess = getpid();
    sdl_drivers::EndWhenX11DisplayIsLost();
    state.video = VideoState::Ready;
    // Keys are read as keys: no input method may take them for composing text.
    SDL_StopTextInput();
    SDL_ShowCursor(state.cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return true;
}

// ---- Handle lookup -------------------------------------------------------------------

template <typename T>
bool Contains(const std::vector<T*>& list, const void* item) {
    if (item == nullptr) return false;
    for (T* entry : list)
        if (entry == item) return true;
    return false;
}

template <typename T>
void Remove(std::vector<T*>& list, const T* item) {
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i] == item) {
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
    }
}

SdlWindow* LiveWindow(WindowHandle handle) {
    if (!Contains(state.windows, handle)) return nullptr;
    return reinterpret_cast<SdlWindow*>(handle);
}

SdlDeviceContext* LiveDeviceContext(DeviceContextHandle handle) {
    if (!Contains(state.deviceContexts, handle)) return nullptr;
    return reinterpret_cast<SdlDeviceContext*>(handle);
}

SdlRenderingContext* LiveRenderingContext(RenderingContextHandle handle) {
    if (!Contains(state.renderingContexts, handle)) return nullptr;
    return reinterpret_cast<SdlRenderingContext*>(handle);
}

SdlWindow* WindowById(Uint32 id) {
    for (SdlWindow* window : state.windows)
        if (window->id == id) return window;
    return nullptr;
}

SdlDeviceContext* DeviceContextOf(const SdlWindow* window) {
    for (SdlDeviceContext* deviceContext : state.deviceContexts)
        if (deviceContext->owner == window) return deviceContext;
    return nullptr;
}

WindowClassEntry* FindClass(const char* name) {
    if (name == nullptr) return nullptr;
    for (WindowClassEntry& entry : state.classes)
        if (entry.name == name) return &entry;
    return nullptr;
}

WindowHandle HandleOf(SdlWindow* window) { return reinterpret_cast<WindowHandle>(window); }

// ---- Keys ---------------------------------------------------------------------------

// A run of consecutive SDL key codes and the virtual-key code of its first one.
struct KeyRange {
    SDL_Keycode first;
    SDL_Keycode last;
    uint8_t firstVirtualKey;
};

constexpr uint8_t kNoKey = 0;

constexpr KeyRange kKeyTable[] = {
    {SDLK_BACKSPACE, SDLK_BACKSPACE, 8},
    {SDLK_TAB, SDLK_TAB, 9},
    {SDLK_RETURN, SDLK_RETURN, 13},
    {SDLK_KP_ENTER, SDLK_KP_ENTER, 13},
    {SDLK_LSHIFT, SDLK_LSHIFT, 16},
    {SDLK_RSHIFT, SDLK_RSHIFT, 16},
    {SDLK_LCTRL, SDLK_LCTRL, 17},
    {SDLK_RCTRL, SDLK_RCTRL, 17},
    {SDLK_LALT, SDLK_LALT, 18},
    {SDLK_RALT, SDLK_RALT, 18},
    {SDLK_PAUSE, SDLK_PAUSE, 19},
    {SDLK_CAPSLOCK, SDLK_CAPSLOCK, 20},
    {SDLK_ESCAPE, SDLK_ESCAPE, 27},
    {SDLK_SPACE, SDLK_SPACE, 32},
    {SDLK_PAGEUP, SDLK_PAGEUP, 33},
    {SDLK_PAGEDOWN, SDLK_PAGEDOWN, 34},
    {SDLK_END, SDLK_END, 35},
    {SDLK_HOME, SDLK_HOME, 36},
    {SDLK_LEFT, SDLK_LEFT, 37},
    {SDLK_UP, SDLK_UP, 38},
    {SDLK_RIGHT, SDLK_RIGHT, 39},
    {SDLK_DOWN, SDLK_DOWN, 40},
    {SDLK_PRINTSCREEN, SDLK_PRINTSCREEN, 44},
    {SDLK_INSERT, SDLK_INSERT, 45},
    {SDLK_DELETE, SDLK_DELETE, 46},
    {SDLK_0, SDLK_9, 48},
    {SDLK_a, SDLK_z, 65},
    {SDLK_KP_0, SDLK_KP_0, 96},
    {SDLK_KP_1, SDLK_KP_9, 97},
    {SDLK_KP_MULTIPLY, SDLK_KP_MULTIPLY, 106},
    {SDLK_KP_PLUS, SDLK_KP_PLUS, 107},
    {SDLK_KP_MINUS, SDLK_KP_MINUS, 109},
    {SDLK_KP_PERIOD, SDLK_KP_PERIOD, 110},
    {SDLK_KP_DIVIDE, SDLK_KP_DIVIDE, 111},
    {SDLK_F1, SDLK_F12, 112},
    {SDLK_NUMLOCKCLEAR, SDLK_NUMLOCKCLEAR, 144},
    {SDLK_SCROLLLOCK, SDLK_SCROLLLOCK, 145},
    {SDLK_SEMICOLON, SDLK_SEMICOLON, 186},
    {SDLK_EQUALS, SDLK_EQUALS, 187},
    {SDLK_COMMA, SDLK_COMMA, 188},
    {SDLK_MINUS, SDLK_MINUS, 189},
    {SDLK_PERIOD, SDLK_PERIOD, 190},
    {SDLK_SLASH, SDLK_SLASH, 191},
    {SDLK_BACKQUOTE, SDLK_BACKQUOTE, 192},
    {SDLK_LEFTBRACKET, SDLK_LEFTBRACKET, 219},
    {SDLK_BACKSLASH, SDLK_BACKSLASH, 220},
    {SDLK_RIGHTBRACKET, SDLK_RIGHTBRACKET, 221},
    {SDLK_QUOTE, SDLK_QUOTE, 222},
};

// The virtual-key code of an SDL key, or kNoKey for a key the table lacks.
uint8_t VirtualKeyOf(SDL_Keycode key) {
    for (const KeyRange& range : kKeyTable) {
        if (key >= range.first && key <= range.last)
            return static_cast<uint8_t>(range.firstVirtualKey + (key - range.first));
    }
    return kNoKey;
}

// ---- Message queue ----------------------------------------------------------------

void Queue(SdlWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    state.queue.push_back(PlatMessage{HandleOf(window), message, wParam, lParam});
}

// Client coordinates travel as unsigned 16-bit halves, as the callers unpack
// them; only points inside the client area are ever packed.
intptr_t PointParam(int32_t x, int32_t y) {
    return PackPoint(static_cast<uint16_t>(x), static_cast<uint16_t>(y));
}

bool InsideClientArea(const SdlWindow* window, int32_t x, int32_t y) {
    int width = 0, height = 0;
    SDL_GetWindowSize(window->window, &width, &height);
    return x >= 0 && y >= 0 && x < width && y < height;
}

int32_t Clamp(int32_t value, int32_t last) { return value < 0 ? 0 : value > last ? last : value; }

// The nearest point of the client area.
intptr_t ClientPointParam(const SdlWindow* window, int32_t x, int32_t y) {
    int width = 0, height = 0;
    SDL_GetWindowSize(window->window, &width, &height);
    return PointParam(Clamp(x, width - 1), Clamp(y, height - 1));
}

uintptr_t ModifierFlags() {
    uintptr_t flags = 0;
    if (state.keyModifiers & KMOD_SHIFT) flags |= MK_SHIFT;
    if (state.keyModifiers & KMOD_CTRL) flags |= MK_CONTROL;
    return flags;
}

uintptr_t ButtonFlag(Uint8 button) {
    switch (button) {
        case SDL_BUTTON_LEFT:
            return MK_LBUTTON;
        case SDL_BUTTON_RIGHT:
            return MK_RBUTTON;
        case SDL_BUTTON_MIDDLE:
            return MK_MBUTTON;
        default:
            return 0;
    }
}

uintptr_t MotionButtonFlags(Uint32 buttonState) {
    uintptr_t flags = 0;
    if (buttonState & SDL_BUTTON_LMASK) flags |= MK_LBUTTON;
    if (buttonState & SDL_BUTTON_RMASK) flags |= MK_RBUTTON;
    if (buttonState & SDL_BUTTON_MMASK) flags |= MK_MBUTTON;
    return flags;
}

// Takes the modifiers and the last key pressed from a key event; false for an
// auto-repeat of a key that is no longer the last one pressed. A keyboard repeats
// only the key pressed last, and a repeat ends for good once another key is
// pressed; X goes on repeating a held key after another is pressed, so a held F4
// went on with Alt held too, and the window closed as with Alt+F4.
bool NoteKey(const SDL_KeyboardEvent& key) {
    state.keyModifiers = key.keysym.mod;
    if (key.type != SDL_KEYDOWN) return true;
    if (key.repeat) return key.keysym.sym == state.lastPressedKey;
    state.lastPressedKey = key.keysym.sym;
    return true;
}

void QueueKey(const SDL_KeyboardEvent& key) {
    if (!NoteKey(key)) return;
    SdlWindow* window = WindowById(key.windowID);
    uint8_t virtualKey = VirtualKeyOf(key.keysym.sym);
    if (window == nullptr || virtualKey == kNoKey) return;
    // Keys pressed with Alt held are system keys, left to the default handling
    // (where Alt+F4 closes the window). Auto-repeat arrives as further key-downs.
    bool down = key.type == SDL_KEYDOWN;
    if (key.keysym.mod & KMOD_ALT)
        Queue(window, down ? WM_SYSKEYDOWN : WM_SYSKEYUP, virtualKey, 0);
    else
        Queue(window, down ? WM_KEYDOWN : WM_KEYUP, virtualKey, 0);
}

// A doubtful button found up is released in the window that now has the
// pointer, so no drag outlives its button. Where the pointer cannot be asked,
// it counts as up: the drag ends with its window rather than going on until
// SDL reports a release. Only the right button has both messages; the others
// are only tracked.
void SettleDoubtfulButtons(SdlWindow* window, intptr_t point) {
    Uint32 heldMask = 0;
    uintptr_t held =
        sdl_drivers::QueryX11PointerButtons(&heldMask) ? MotionButtonFlags(heldMask) : 0;
    uintptr_t released = state.doubtfulButtons & state.mouseButtons & ~held;
    state.mouseButtons &= ~released;
    if (released & MK_RBUTTON)
        Queue(window, WM_RBUTTONUP, state.mouseButtons | ModifierFlags(), point);
}

// X's press of a doubtful button, which SDL ignores (it calls the button held
// still): the button is pressed again, in the window X pressed it in, and
// from here on SDL has it right, so its release comes as any other. (SDL has
// read the whole drag by now: the pointer may have left that window already.)
SdlWindow* WindowOfX11(unsigned long x11Window) {
    for (SdlWindow* window : state.windows)
        if (sdl_drivers::IsX11Window(window->window, x11Window)) return window;
    return nullptr;
}

void QueueX11Press(const SDL_SysWMmsg& message) {
    sdl_drivers::X11Press press;
    if (!sdl_drivers::ReadX11Press(message, &press)) return;
    uintptr_t flag = ButtonFlag(press.button);
    SdlWindow* window = WindowOfX11(press.window);
    if ((state.doubtfulButtons & flag) == 0 || window == nullptr) return;
    state.doubtfulButtons &= ~flag;
    state.mouseButtons |= flag;
    state.buttonWindow = window;
    if (flag == MK_RBUTTON)
        Queue(window, WM_RBUTTONDOWN, state.mouseButtons | ModifierFlags(),
              ClientPointParam(window, press.x, press.y));
}

void QueueMouseMotion(const SDL_MouseMotionEvent& motion) {
    SdlWindow* window = WindowById(motion.windowID);
    if (window == nullptr || !InsideClientArea(window, motion.x, motion.y)) return;
    intptr_t point = PointParam(motion.x, motion.y);
    uintptr_t buttons = MotionButtonFlags(motion.state);
    if (state.doubtfulButtons != 0) {
        SettleDoubtfulButtons(window, point);
        buttons = (buttons & ~state.doubtfulButtons) | (state.mouseButtons & state.doubtfulButtons);
    }
    Queue(window, WM_MOUSEMOVE, buttons | ModifierFlags(), point);
}

void QueueMouseButton(const SDL_MouseButtonEvent& button) {
    bool down = button.type == SDL_MOUSEBUTTONDOWN;
    // SDL reports a change of the button: from here on it has it right.
    state.doubtfulButtons &= ~ButtonFlag(button.button);
    if (down)
        state.mouseButtons |= ButtonFlag(button.button);
    else
        state.mouseButtons &= ~ButtonFlag(button.button);
    SdlWindow* window = WindowById(button.windowID);
    // Released outside every window, the button ends the drag it began: the
    // model would otherwise go on turning with the button up.
    if (window == nullptr && !down) window = state.buttonWindow;
    if (window == nullptr) return;
    if (down) state.buttonWindow = window;
    uintptr_t flags = state.mouseButtons | ModifierFlags();
    intptr_t point = ClientPointParam(window, button.x, button.y);
    if (button.button == SDL_BUTTON_LEFT && down) Queue(window, WM_LBUTTONDOWN, flags, point);
    if (button.button == SDL_BUTTON_RIGHT)
        Queue(window, down ? WM_RBUTTONDOWN : WM_RBUTTONUP, flags, point);
}

void TrackFocus(SdlWindow* window, bool gained) {
    if (gained)
        state.focus = window;
    else if (state.focus == window)
        state.focus = nullptr;
}

// A size change of a minimised window waits for its restoring.
void QueueSize(SdlWindow* window, int32_t width, int32_t height) {
    Uint32 flags = SDL_GetWindowFlags(window->window);
    if (flags & SDL_WINDOW_MINIMIZED) return;
    Queue(window, WM_SIZE, (flags & SDL_WINDOW_MAXIMIZED) ? SIZE_MAXIMIZED : SIZE_RESTORED,
          PointParam(width, height));
}

// An exposure asks for the picture again; one pending request per window is
// enough, as Windows keeps one update region.
void QueuePaint(SdlWindow* window) {
    WindowHandle handle = HandleOf(window);
    for (const PlatMessage& pending : state.queue)
        if (pending.window == handle && pending.message == WM_PAINT) return;
    Queue(window, WM_PAINT, 0, 0);
}

void QueueWindowEvent(const SDL_WindowEvent& event) {
    SdlWindow* window = WindowById(event.windowID);
    if (window == nullptr) return;
    switch (event.event) {
        case SDL_WINDOWEVENT_EXPOSED:
            QueuePaint(window);
            break;
        case SDL_WINDOWEVENT_CLOSE:
            Queue(window, WM_CLOSE, 0, 0);
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            QueueSize(window, event.data1, event.data2);
            break;
        case SDL_WINDOWEVENT_MINIMIZED:
            Queue(window, WM_SIZE, SIZE_MINIMIZED, PointParam(0, 0));
            break;
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED: {
            int width = 0, height = 0;
            SDL_GetWindowSize(window->window, &width, &height);
            Queue(window, WM_SIZE,
                  event.event == SDL_WINDOWEVENT_MAXIMIZED ? SIZE_MAXIMIZED : SIZE_RESTORED,
                  PointParam(width, height));
            break;
        }
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            TrackFocus(window, true);
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            TrackFocus(window, false);
            break;
        default:
            break;
    }
}

// An interrupt (Ctrl+C, a polite kill) closes the windows as their close
// buttons would, so the display mode is given back on the normal way out; with
// no window to close, the loop is asked to end as a close would end it.
void QueueCloseForEveryWindow() {
    for (SdlWindow* window : state.windows) Queue(window, WM_CLOSE, 0, 0);
    if (state.windows.empty()) state.queue.push_back(PlatMessage{nullptr, WM_QUIT, 0, 0});
}

void QueueEvent(const SDL_Event& event) {
    switch (event.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            QueueKey(event.key);
            break;
        case SDL_MOUSEMOTION:
            QueueMouseMotion(event.motion);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            QueueMouseButton(event.button);
            break;
        case SDL_WINDOWEVENT:
            QueueWindowEvent(event.window);
            break;
        case SDL_SYSWMEVENT:
            if (event.syswm.msg != nullptr) QueueX11Press(*event.syswm.msg);
            if (state.doubtfulButtons == 0) sdl_drivers::ReadX11Presses(false);
            break;
        case SDL_QUIT:
            sdl_drivers::EndIfWaylandDisplayIsLost();
            QueueCloseForEveryWindow();
            break;
        default:
            break;
    }
}

void PumpEvents() {
    if (state.video != VideoState::Ready) return;
    SDL_Event event;
    while (state.queue.size() < kMaxQueuedMessages && SDL_PollEvent(&event)) QueueEvent(event);
    sdl_drivers::DestroyWaylandWindowsLeftByKeyboard();
}

// Input that starts something: a key or button going down, a move.
bool StartsInput(const SDL_Event& event, Uint32 windowId) {
    switch (event.type) {
        case SDL_KEYDOWN:
            return event.key.windowID == windowId;
        case SDL_MOUSEBUTTONDOWN:
            return event.button.windowID == windowId;
        case SDL_MOUSEMOTION:
            return event.motion.windowID == windowId;
        default:
            return false;
    }
}

bool StartsInput(const PlatMessage& message, WindowHandle window) {
    switch (message.message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MOUSEMOVE:
            return message.window == window;
        default:
            return false;
    }
}

// After a box owned by `owner` closes: the owner was disabled while the box
// was open, so the key-downs, button-downs and moves it was sent meanwhile
// are dropped, and so are those it had not taken yet when the box opened (the
// second click of a double-click that opened the box, say): the person made
// them before seeing the box. SDL's X11 box runs in a child process while this
// one waits, so all of that input is still unread; the X server delivered it
// before the input that closed the box, so one pump now reads all of it, and
// nothing made after the box closed. Releases pass (a key or button held since
// before the box must not stay down), and so does everything else: close
// requests, size and focus changes.
void DropInputMadeDuringBox(const SdlWindow* owner) {
    WindowHandle handle = reinterpret_cast<WindowHandle>(const_cast<SdlWindow*>(owner));
    for (auto it = state.queue.begin(); it != state.queue.end();)
        it = StartsInput(*it, handle) ? state.queue.erase(it) : it + 1;
    SDL_PumpEvents();
    SDL_Event event;  // (SDL_PollEvent would pump again on every call)
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1) {
        if (!StartsInput(event, owner->id)) {
            QueueEvent(event);
            continue;
        }
        // Dropped, but what it holds down is still down.
        if (event.type == SDL_KEYDOWN) NoteKey(event.key);
        if (event.type == SDL_MOUSEBUTTONDOWN) {
            state.mouseButtons |= ButtonFlag(event.button.button);
            state.doubtfulButtons &= ~ButtonFlag(event.button.button);
        }
    }
}

void ForgetMessagesFor(const SdlWindow* window) {
    WindowHandle handle = reinterpret_cast<WindowHandle>(const_cast<SdlWindow*>(window));
    for (auto it = state.queue.begin(); it != state.queue.end();) {
        if (it->window == handle)
            it = state.queue.erase(it);
        else
            ++it;
    }
}

// ---- Windows ----------------------------------------------------------------------

bool ValidWindowSize(int32_t width, int32_t height) {
    return width >= 1 && height >= 1 && width <= kMaxWindowSide && height <= kMaxWindowSide;
}

// SDL picks the window's visual when it creates it, so the GL attributes of
// every window are fixed here, before creation: double-buffered RGBA with a
// 16-bit depth buffer.
void SetWindowGlAttributes() {
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, kDepthBufferBits);
}

Uint32 WindowFlags(uint32_t style) {
    Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_OPENGL;
    if ((style & WS_OVERLAPPEDWINDOW) == WS_OVERLAPPEDWINDOW) flags |= SDL_WINDOW_RESIZABLE;
    if (style & WS_POPUP) {
        flags |= SDL_WINDOW_BORDERLESS;
        if (state.fullscreenModeSet) flags |= SDL_WINDOW_FULLSCREEN;
    }
    return flags;
}

SDL_Window* CreateSdlWindow(const char* title, uint32_t style, int32_t x, int32_t y, int32_t width,
                            int32_t height) {
    SetWindowGlAttributes();
    Uint32 flags = WindowFlags(style);
    SDL_Window* window =
        SDL_CreateWindow(title != nullptr ? title : "", x, y, width, height, flags);
    if (window == nullptr) {
        fprintf(stderr, "heliora: cannot open a window: %s.\n", SDL_GetError());
        return nullptr;
    }
    if ((flags & SDL_WINDOW_FULLSCREEN) &&
        SDL_SetWindowDisplayMode(window, &state.fullscreenMode) != 0) {
        fprintf(stderr, "heliora: cannot set the full-screen mode: %s.\n", SDL_GetError());
        SDL_DestroyWindow(window);
        return nullptr;
    }
    return window;
}

void ForgetWindow(SdlWindow* window) {
    if (SdlDeviceContext* deviceContext = DeviceContextOf(window)) {
        Remove(state.deviceContexts, deviceContext);
        delete deviceContext;
    }
    Remove(state.windows, window);
    ForgetMessagesFor(window);
    if (state.focus == window) state.focus = nullptr;
    if (state.buttonWindow == window) {
        state.buttonWindow = nullptr;
        state.doubtfulButtons |= state.mouseButtons;
        if (state.doubtfulButtons != 0) sdl_drivers::ReadX11Presses(true);
    }
}

// ---- Display modes ------------------------------------------------------------------

bool HasSize(const SDL_DisplayMode& mode, uint32_t width, uint32_t height) {
    return static_cast<uint32_t>(mode.w) == width && static_cast<uint32_t>(mode.h) == height;
}

// The first mode the display lists with this width and height (SDL lists the
// deepest and fastest first); any depth will do. The desktop's own mode counts
// even where the driver lists no modes.
bool FindDisplayMode(int display, uint32_t width, uint32_t height, SDL_DisplayMode* found) {
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(display, &desktop) == 0 && HasSize(desktop, width, height)) {
        *found = desktop;
        return true;
    }
    int count = SDL_GetNumDisplayModes(display);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(display, i, &mode) != 0) continue;
        if (HasSize(mode, width, height)) {
            *found = mode;
            return true;
        }
    }
    return false;
}

void ReleaseModeHolder() {
    if (state.modeHolder == nullptr) return;
    SDL_DestroyWindow(state.modeHolder);
    state.modeHolder = nullptr;
}

bool DisplayIsInMode(int display, uint32_t width, uint32_t height) {
    SDL_DisplayMode current;
    return SDL_GetCurrentDisplayMode(display, &current) == 0 && HasSize(current, width, height);
}

// Puts the display into the mode now, through a full-screen holder window
// over it, and tells whether the display took it.
bool ApplyDisplayMode(int display, const SDL_DisplayMode& mode) {
    if (DisplayIsInMode(display, static_cast<uint32_t>(mode.w), static_cast<uint32_t>(mode.h)))
        return true;
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(display, &bounds) != 0) return false;
    SDL_Window* holder = SDL_CreateWindow("", bounds.x, bounds.y, mode.w, mode.h,
                                          SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS |
                                              SDL_WINDOW_FULLSCREEN | SDL_WINDOW_SKIP_TASKBAR);
    if (holder == nullptr) return false;
    SDL_SetWindowDisplayMode(holder, &mode);
    SDL_ClearError();
    SDL_ShowWindow(holder);  // sets the mode, or fails to without saying so
    if (!DisplayIsInMode(display, static_cast<uint32_t>(mode.w), static_cast<uint32_t>(mode.h))) {
        const char* reason = SDL_GetError();
        fprintf(stderr, "heliora: the display did not take the %d x %d mode%s%s.\n", mode.w, mode.h,
                *reason != '\0' ? ": " : "", reason);
        SDL_DestroyWindow(holder);
        return false;
    }
    state.modeHolder = holder;
    return true;
}

// Success means the mode is in force on the display where the window will
// open, as after a real mode change, or, where full-screen windows are
// scaled to the screen, that the next full-screen window will have the mode's
// size; a mode that is listed but cannot be set is refused here, where the
// caller can still offer a window instead.
int32_t RequestFullscreenMode(const DisplayMode* mode) {
    if (mode->dmPelsWidth == 0 || mode->dmPelsHeight == 0) return DISP_CHANGE_BADMODE;
    if (!EnsureVideo()) return DISP_CHANGE_FAILED;
    const SDL_Point origin = {0, 0};
    int display = SDL_GetPointDisplayIndex(&origin);
    if (display < 0) return DISP_CHANGE_FAILED;
    SDL_DisplayMode found;
    if (!FindDisplayMode(display, mode->dmPelsWidth, mode->dmPelsHeight, &found))
        return DISP_CHANGE_BADMODE;
    ReleaseModeHolder();
    if (!sdl_drivers::FullscreenIsScaled() && !ApplyDisplayMode(display, found))
        return DISP_CHANGE_FAILED;
    state.fullscreenMode = found;
    state.fullscreenModeSet = true;
    return DISP_CHANGE_SUCCESSFUL;
}

// Full-screen windows leave full screen; SDL then restores the desktop's mode.
int32_t RestoreDesktopMode() {
    state.fullscreenModeSet = false;
    ReleaseModeHolder();
    for (SdlWindow* window : state.windows) {
        if (SDL_GetWindowFlags(window->window) & SDL_WINDOW_FULLSCREEN)
            SDL_SetWindowFullscreen(window->window, 0);
    }
    return DISP_CHANGE_SUCCESSFUL;
}

// ---- Rendering contexts ---------------------------------------------------------------

// The rate of the mode the window's display is in now: the full-screen mode
// while it is set, else the display's current mode (not the listed mode
// nearest the window's size, which may be far slower than the display runs).
int DisplayRefreshRate(SDL_Window* window) {
    if (state.fullscreenModeSet && state.fullscreenMode.refresh_rate > 0)
        return state.fullscreenMode.refresh_rate;
    SDL_DisplayMode mode = {};
    int display = SDL_GetWindowDisplayIndex(window);
    if (display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 && mode.refresh_rate > 0)
        return mode.refresh_rate;
    return kDefaultRefreshRate;
}

// Vertical sync for the drawable just made current; without it, or until its
// swaps are seen not to wait, the swaps are paced.
void RequestVsync(SDL_Window* window) {
    state.refresh = SDL_GetPerformanceFrequency() / static_cast<Uint64>(DisplayRefreshRate(window));
    state.fastSwaps = 0;
    state.lastSwap = 0;
    state.paced = SDL_GL_SetSwapInterval(1) != 0;
}

// Under a granted interval: a run of swaps sooner than a refresh starts pacing.
void WatchSwap() {
    Uint64 now = SDL_GetPerformanceCounter();
    int64_t sinceLast = state.lastSwap != 0 ? static_cast<int64_t>(now - state.lastSwap) : -1;
    if (SwapsDoNotWait(state.fastSwaps, sinceLast, static_cast<int64_t>(state.refresh)))
        state.paced = true;
    state.lastSwap = now;
}

// A paced swap waits for what is left of the refresh since the one before.
// The wait is in whole milliseconds, so the next refresh counts from when this
// swap was due, not from when the wait ended: the swaps keep the display's
// rate on average. A swap already late goes at once and counts from now.
void PaceSwap() {
    Uint64 now = SDL_GetPerformanceCounter();
    Uint64 due = state.lastSwap + state.refresh;
    if (state.lastSwap == 0 || now >= due) {
        state.lastSwap = now;
        return;
    }
    Uint64 frequency = SDL_GetPerformanceFrequency();
    SDL_Delay(static_cast<Uint32>(((due - now) * 1000 + frequency / 2) / frequency));
    state.lastSwap = due;
}

// ---- Message boxes ---------------------------------------------------------------

// SDL's X11 box is drawn by a forked child that takes its locale from the
// environment (setlocale(LC_ALL, "")) and draws with an X font set of that
// locale's character type. Under a C or other non-UTF-8 character type it
// cannot draw Hangul, so a UTF-8 character type is put into the environment.
// This process itself never calls setlocale, so nothing else changes.
bool EnvironmentCtypeIsUtf8() {
    locale_t probe = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
    if (probe == static_cast<locale_t>(0)) return false;
    const char* codeset = nl_langinfo_l(CODESET, probe);
    bool utf8 = codeset != nullptr &&
                (strcasecmp(codeset, "UTF-8") == 0 || strcasecmp(codeset, "utf8") == 0);
    freelocale(probe);
    return utf8;
}

void EnsureUtf8CtypeForBoxes() {
    if (state.boxLocaleChecked) return;
    state.boxLocaleChecked = true;
    if (EnvironmentCtypeIsUtf8()) return;
    const char* all = getenv("LC_ALL");
    // LC_ALL outranks LC_CTYPE, so it is the one to change when it is set.
    setenv(all != nullptr && *all != '\0' ? "LC_ALL" : "LC_CTYPE", kUtf8Ctype, 1);
}

Uint32 BoxIconFlags(uint32_t style) {
    constexpr uint32_t kIconMask = 0xF0;
    switch (style & kIconMask) {
        case MB_ICONSTOP:
            return SDL_MESSAGEBOX_ERROR;
        case MB_ICONEXCLAMATION:
            return SDL_MESSAGEBOX_WARNING;
        case MB_ICONINFORMATION:
            return SDL_MESSAGEBOX_INFORMATION;
        default:
            return 0;
    }
}

bool IsYesNo(uint32_t style) {
    constexpr uint32_t kTypeMask = 0x0F;
    return (style & kTypeMask) == MB_YESNO;
}

constexpr SDL_MessageBoxButtonData kOkButtons[] = {
    {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDOK, "OK"},
};
// A Yes/No question has no Cancel button, so Esc does not answer it.
constexpr SDL_MessageBoxButtonData kYesNoButtons[] = {
    {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "Yes"},
    {0, IDNO, "No"},
};

// False when no box could be shown. A box closed without a button leaves
// `answer` at -1.
bool ShowSdlBox(SdlWindow* owner, const char* text, const char* caption, uint32_t style,
                int* answer) {
    *answer = -1;
    // Without a display no box can be shown. SDL would still start zenity,
    // which, finding no display either, reports a box closed without a button.
    if (state.video == VideoState::Failed) return false;
    EnsureUtf8CtypeForBoxes();
    bool yesNo = IsYesNo(style);
    SDL_MessageBoxData box = {};
    box.flags = BoxIconFlags(style);
    box.window = owner != nullptr ? owner->window : nullptr;
    box.title = caption;
    box.message = text;
    box.numbuttons = yesNo ? 2 : 1;
    box.buttons = yesNo ? kYesNoButtons : kOkButtons;
    return SDL_ShowMessageBox(&box, answer) == 0;
}

}  // namespace

// ---- Messages ----------------------------------------------------------------------

bool PlatPeekMessage(PlatMessage* out) {
    if (out == nullptr) return false;
    PumpEvents();
    if (state.queue.empty()) return false;
    *out = state.queue.front();
    state.queue.pop_front();
    return true;
}

// SDL's wait also ends on an interrupt signal, which the next pump turns
// into SDL_QUIT.
bool PlatWaitMessage() {
    if (!state.queue.empty()) return true;
    if (state.video != VideoState::Ready) return false;
    return SDL_WaitEvent(nullptr) == 1;
}

bool PlatTranslateMessage(const PlatMessage*) { return false; }

intptr_t PlatDispatchMessage(const PlatMessage* message) {
    if (message == nullptr) return 0;
    SdlWindow* window = LiveWindow(message->window);
    if (window == nullptr || window->procedure == nullptr) return 0;
    return window->procedure(message->window, message->message, message->wParam, message->lParam);
}

void PlatPostQuitMessage(int32_t exitCode) {
    state.queue.push_back(
        PlatMessage{nullptr, WM_QUIT, static_cast<uintptr_t>(static_cast<uint32_t>(exitCode)), 0});
}

// Sent messages run the window's procedure at once, as the original system's
// default handling sends them.
intptr_t PlatDefWindowProc(WindowHandle handle, uint32_t message, uintptr_t wParam, intptr_t) {
    constexpr uintptr_t kCommandMask = 0xFFF0;  // the low four bits are the system's own
    SdlWindow* window = LiveWindow(handle);
    if (window == nullptr || window->procedure == nullptr) return 0;
    if (message == WM_SYSKEYDOWN && wParam == VK_F4)
        window->procedure(handle, WM_SYSCOMMAND, SC_CLOSE, 0);
    else if (message == WM_SYSCOMMAND && (wParam & kCommandMask) == SC_CLOSE)
        window->procedure(handle, WM_CLOSE, 0, 0);
    return 0;
}

// ---- Window classes and windows ------------------------------------------------------

InstanceHandle PlatGetModuleHandle() { return reinterpret_cast<InstanceHandle>(&moduleObject); }

IconHandle PlatLoadIcon(int32_t id) {
    return id == IDI_WINLOGO ? reinterpret_cast<IconHandle>(&stockIcon) : nullptr;
}

CursorHandle PlatLoadCursor(int32_t id) {
    return id == IDC_ARROW ? reinterpret_cast<CursorHandle>(&stockCursor) : nullptr;
}

uint16_t PlatRegisterClass(const WindowClass* windowClass) {
    if (windowClass == nullptr || windowClass->className == nullptr ||
        windowClass->className[0] == '\0' || windowClass->procedure == nullptr)
        return 0;
    if (FindClass(windowClass->className) != nullptr) return 0;
    uint16_t atom = state.nextAtom;
    state.nextAtom = atom == kLastAtom ? kFirstAtom : static_cast<uint16_t>(atom + 1);
    state.classes.push_back(WindowClassEntry{windowClass->className, windowClass->procedure, atom});
    return atom;
}

bool PlatUnregisterClass(const char* className, InstanceHandle) {
    WindowClassEntry* entry = FindClass(className);
    if (entry == nullptr) return false;
    state.classes.erase(state.classes.begin() + (entry - state.classes.data()));
    return true;
}

// A window manager's frame is not known before the window exists, and SDL sizes
// a window by its client area anyway: the rectangle stays as it is, so the
// client area gets exactly the size the caller asked for.
bool PlatAdjustWindowRectEx(Rect* rect, uint32_t, bool, uint32_t) { return rect != nullptr; }

WindowHandle PlatCreateWindowEx(uint32_t, const char* className, const char* title, uint32_t style,
                                int32_t x, int32_t y, int32_t width, int32_t height, WindowHandle,
                                InstanceHandle) {
    WindowClassEntry* entry = FindClass(className);
    if (entry == nullptr) {
        fprintf(stderr, "heliora: cannot open a window: no window class \"%s\".\n",
                className != nullptr ? className : "(null)");
        return nullptr;
    }
    if (!ValidWindowSize(width, height)) {
        fprintf(stderr, "heliora: cannot open a window of %d x %d pixels.\n", width, height);
        return nullptr;
    }
    if (!EnsureVideo()) return nullptr;
    SDL_Window* sdlWindow = CreateSdlWindow(title, style, x, y, width, height);
    if (sdlWindow == nullptr) return nullptr;
    sdl_drivers::NoteWaylandDisplay(sdlWindow);

    SdlWindow* window = new SdlWindow{sdlWindow, SDL_GetWindowID(sdlWindow), entry->procedure,
                                      kWindowsAreDoubleBuffered, false};
    state.windows.push_back(window);
    state.deviceContexts.push_back(new SdlDeviceContext{window});
    return HandleOf(window);
}

bool PlatShowWindow(WindowHandle handle, int32_t showCommand) {
    constexpr int32_t kHide = 0;
    SdlWindow* window = LiveWindow(handle);
    if (window == nullptr) return false;
    if (showCommand == kHide) {
        SDL_HideWindow(window->window);
        return true;
    }
    SDL_ShowWindow(window->window);
    // A full-screen window on screen keeps the mode without the holder.
    if (SDL_GetWindowFlags(window->window) & SDL_WINDOW_FULLSCREEN) ReleaseModeHolder();
    return true;
}

bool PlatSetForegroundWindow(WindowHandle handle) {
    SdlWindow* window = LiveWindow(handle);
    if (window == nullptr) return false;
    SDL_RaiseWindow(window->window);
    return true;
}

WindowHandle PlatSetFocus(WindowHandle handle) {
    SdlWindow* previous = state.focus;
    SdlWindow* window = LiveWindow(handle);
    if (window == nullptr) return nullptr;
    // Only a window on screen can take the keyboard focus.
    if (SDL_GetWindowFlags(window->window) & SDL_WINDOW_SHOWN)
        SDL_SetWindowInputFocus(window->window);
    state.focus = window;
    return HandleOf(previous);
}

WindowHandle PlatGetFocus() { return HandleOf(state.focus); }

bool PlatDestroyWindow(WindowHandle handle) {
    SdlWindow* window = LiveWindow(handle);
    if (window == nullptr) return false;
    if (!sdl_drivers::KeepWaylandWindowWithKeyboard(window->window))
        SDL_DestroyWindow(window->window);
    ForgetWindow(window);
    delete window;
    return true;
}

// ---- Display mode and cursor ------------------------------------------------------

int32_t PlatChangeDisplaySettings(const DisplayMode* mode, uint32_t flags) {
    if (mode == nullptr && flags == 0) return RestoreDesktopMode();
    if (mode == nullptr || flags != CDS_FULLSCREEN) return DISP_CHANGE_FAILED;
    return RequestFullscreenMode(mode);
}

int32_t PlatShowCursor(bool show) {
    state.cursorCount += show ? 1 : -1;
    if (state.video == VideoState::Ready)
        SDL_ShowCursor(state.cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return state.cursorCount;
}

// ---- Device context, pixel format, rendering context -------------------------------

DeviceContextHandle PlatGetDC(WindowHandle handle) {
    SdlWindow* window = LiveWindow(handle);
    if (window == nullptr) return nullptr;
    return reinterpret_cast<DeviceContextHandle>(DeviceContextOf(window));
}

bool PlatReleaseDC(WindowHandle handle, DeviceContextHandle deviceContext) {
    SdlWindow* window = LiveWindow(handle);
    SdlDeviceContext* context = LiveDeviceContext(deviceContext);
    return window != nullptr && context != nullptr && context->owner == window;
}

// The window's one format serves any window-drawn OpenGL RGBA request; a
// double-buffer request also needs a double-buffered window.
int32_t PlatChoosePixelFormat(DeviceContextHandle deviceContext,
                              const PixelFormatDescriptor* request) {
    SdlDeviceContext* context = LiveDeviceContext(deviceContext);
    if (context == nullptr || request == nullptr) return 0;
    constexpr uint32_t kRequired = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
    if ((request->dwFlags & kRequired) != kRequired) return 0;
    if (request->iPixelType != PFD_TYPE_RGBA) return 0;
    if ((request->dwFlags & PFD_DOUBLEBUFFER) && !context->owner->doubleBuffered) return 0;
    return kValidPixelFormat;
}

bool PlatSetPixelFormat(DeviceContextHandle deviceContext, int32_t index,
                        const PixelFormatDescriptor*) {
    SdlDeviceContext* context = LiveDeviceContext(deviceContext);
    if (context == nullptr || index != kValidPixelFormat) return false;
    context->owner->pixelFormatSet = true;
    return true;
}

RenderingContextHandle PlatCreateContext(DeviceContextHandle deviceContext) {
    SdlDeviceContext* context = LiveDeviceContext(deviceContext);
    if (context == nullptr || !context->owner->pixelFormatSet) return nullptr;
    // SDL makes a new context current at once; the caller expects that only
    // from PlatMakeCurrent, so whatever was current before is put back.
    SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext previous = SDL_GL_GetCurrentContext();
    SDL_GLContext created = SDL_GL_CreateContext(context->owner->window);
    if (created == nullptr) {
        fprintf(stderr, "heliora: cannot create an OpenGL context: %s.\n", SDL_GetError());
        return nullptr;
    }
    SDL_GL_MakeCurrent(previous != nullptr ? previousWindow : nullptr, previous);
    SdlRenderingContext* rendering = new SdlRenderingContext{created};
    state.renderingContexts.push_back(rendering);
    return reinterpret_cast<RenderingContextHandle>(rendering);
}

bool PlatMakeCurrent(DeviceContextHandle deviceContext, RenderingContextHandle context) {
    if (deviceContext == nullptr && context == nullptr) {
        if (state.video != VideoState::Ready) return true;
        return SDL_GL_MakeCurrent(nullptr, nullptr) == 0;
    }
    SdlDeviceContext* target = LiveDeviceContext(deviceContext);
    SdlRenderingContext* rendering = LiveRenderingContext(context);
    if (target == nullptr || rendering == nullptr) return false;
    if (SDL_GL_MakeCurrent(target->owner->window, rendering->context) != 0) return false;
    RequestVsync(target->owner->window);
    PrintGlInfoOnce();
    return true;
}

bool PlatDeleteContext(RenderingContextHandle context) {
    SdlRenderingContext* rendering = LiveRenderingContext(context);
    if (rendering == nullptr) return false;
    SDL_GL_DeleteContext(rendering->context);
    Remove(state.renderingContexts, rendering);
    delete rendering;
    return true;
}

bool PlatSwapBuffers(DeviceContextHandle deviceContext) {
    SdlDeviceContext* context = LiveDeviceContext(deviceContext);
    if (context == nullptr) return false;
    SDL_GL_SwapWindow(context->owner->window);
    if (!state.paced) WatchSwap();
    if (state.paced) PaceSwap();
    return true;
}

// ---- Message boxes ----------------------------------------------------------------------

int32_t PlatMessageBox(WindowHandle owner, const char* text, const char* caption, uint32_t style) {
    const char* shownText = text != nullptr ? text : "";
    const char* shownCaption = caption != nullptr ? caption : "Error";
    int answer = -1;
    SdlWindow* ownerWindow = LiveWindow(owner);
    bool shown = ShowSdlBox(ownerWindow, shownText, shownCaption, style, &answer);
    EndIfDisplayWasLostDuringBox();
    if (shown && ownerWindow != nullptr && LiveWindow(owner) != nullptr)
        DropInputMadeDuringBox(ownerWindow);
    if (!shown) {
        fprintf(stderr, "%s: %s\n", shownCaption, shownText);  // the message still reaches the user
        return 0;
    }
    if (answer == IDOK || answer == IDYES || answer == IDNO) return answer;
    // A box closed without a button: the cautious answer.
    return IsYesNo(style) ? IDNO : IDOK;
}

// Files: posix_file_ops.cpp.
