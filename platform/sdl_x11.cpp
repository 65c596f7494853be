// What only SDL's X11 driver needs: ending the process when the display is
// lost, and what settles a mouse button SDL may have wrong (held when the
// window that took its press was destroyed): the pointer query, which asks
// the X server, and X's own press events, which SDL ignores for such a button.
#include <SDL.h>
#include <SDL_syswm.h>

#include "platform/sdl_drivers.h"

namespace sdl_drivers {

namespace {

// X11: Xlib calls this on a lost connection, and its own handler would call
// exit, whose handlers run SDL_Quit, which then waits for ever. A box's child
// ends quietly: its parent hears of the loss on its own connection.
#if defined(SDL_VIDEO_DRIVER_X11)
int EndOnLostX11Display(Display*) { EndForLostDisplay(); }
#endif

// SDL loads Xlib itself, so the handler is set through the library SDL loaded.
}  // namespace

void EndWhenX11DisplayIsLost() {
#if defined(SDL_VIDEO_DRIVER_X11)
    using IoErrorHandler = int (*)(Display*);
    using SetIoErrorHandler = IoErrorHandler (*)(IoErrorHandler);
    if (!VideoDriverIs("x11")) return;
    void* xlib = SDL_LoadObject("libX11.so.6");  // kept loaded, as SDL keeps it
    auto set = reinterpret_cast<SetIoErrorHandler>(
        xlib != nullptr ? SDL_LoadFunction(xlib, "XSetIOErrorHandler") : nullptr);
    if (set != nullptr) set(EndOnLostX11Display);
#endif
}

void EndIfX11DisplayWasLost() {
    if (VideoDriverIs("x11")) SDL_PumpEvents();  // Xlib's handler ends it there
}

// Only X11's global mouse query asks the display server; elsewhere SDL
// answers from its own record, the very thing in doubt.
bool QueryX11PointerButtons(Uint32* buttonMask) {
    if (!VideoDriverIs("x11")) return false;
    *buttonMask = SDL_GetGlobalMouseState(nullptr, nullptr);
    return true;
}

void ReadX11Presses(bool on) {
    if (on && !VideoDriverIs("x11")) return;
    SDL_EventState(SDL_SYSWMEVENT, on ? SDL_ENABLE : SDL_DISABLE);
}

bool ReadX11Press(const SDL_SysWMmsg& message, X11Press* press) {
#if defined(SDL_VIDEO_DRIVER_X11)
    if (message.subsystem != SDL_SYSWM_X11 || message.msg.x11.event.type != ButtonPress)
        return false;
    const XButtonEvent& event = message.msg.x11.event.xbutton;
    *press = X11Press{event.window, static_cast<Uint8>(event.button), event.x, event.y};
    return true;
#else
    (void)message;
    (void)press;
    return false;
#endif
}

bool IsX11Window(SDL_Window* window, unsigned long x11Window) {
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    return SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11 &&
           info.info.x11.window == x11Window;
#else
    (void)window;
    (void)x11Window;
    return false;
#endif
}

}  // namespace sdl_drivers
