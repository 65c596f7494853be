// What one of SDL's video drivers needs beyond what every driver shares
// (sdl_backend.cpp): Wayland's in sdl_wayland.cpp.
#pragma once

namespace sdl_drivers {

// True where the window system shows a full-screen window at the size of the
// mode it was given, scaled to the screen, and the display's own mode never
// changes.
bool FullscreenIsScaled();

}  // namespace sdl_drivers
