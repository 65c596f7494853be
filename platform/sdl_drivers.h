// What one of SDL's video drivers needs beyond what every driver shares
// (sdl_backend.cpp): X11's in sdl_x11.cpp, Wayland's in sdl_wayland.cpp. Each
// call does nothing (or answers false) under any other driver.
#pragma once

#include <SDL.h>

#include <cstdint>

struct SDL_SysWMmsg;

namespace sdl_drivers {

// ---- Shared (sdl_backend.cpp) ----------------------------------------------------
// The video driver SDL is running on has this name.
bool VideoDriverIs(const char* name);
// Ends the process at once, the display being gone (the viewer says so on
// standard error, a box's child does not).
[[noreturn]] void EndForLostDisplay();

// ---- X11 (sdl_x11.cpp) -------------------------------------------------------------
// Xlib's handler of a lost connection ends the process.
void EndWhenX11DisplayIsLost();
// Reads X's events, where Xlib's handler ends the process if the display is gone.
void EndIfX11DisplayWasLost();
// The mouse buttons the X server says are held, as SDL's button mask; false
// where the display server cannot be asked (SDL would answer from its own
// record).
bool QueryX11PointerButtons(Uint32* buttonMask);
// Reading X's own events (SDL's window-system events) on or off.
void ReadX11Presses(bool on);
struct X11Press {
    unsigned long window;  // X's window
    Uint8 button;          // SDL's button number
    int32_t x, y;          // in that window
};
// X's press of a mouse button, from one of X's own events; false for any other.
bool ReadX11Press(const SDL_SysWMmsg& message, X11Press* press);
// The SDL window is this X window.
bool IsX11Window(SDL_Window* window, unsigned long x11Window);

// ---- Wayland (sdl_wayland.cpp) ------------------------------------------------------
// True where the window system shows a full-screen window at the size of the
// mode it was given, scaled to the screen, and the display's own mode never
// changes.
bool FullscreenIsScaled();
// Keeps the compositor connection of the first window, to watch for its loss.
void NoteWaylandDisplay(SDL_Window* window);
// Ends the process if the compositor is gone.
void EndIfWaylandDisplayIsLost();
// Instead of its destruction: hides a window that has the keyboard while a key
// is held, and keeps it until the keyboard leaves it (so that SDL stops
// repeating the key); false where the window may be destroyed at once.
bool KeepWaylandWindowWithKeyboard(SDL_Window* window);
// Destroys the windows kept that the keyboard has left.
void DestroyWaylandWindowsLeftByKeyboard();

}  // namespace sdl_drivers
