// What only SDL's Wayland driver needs.
//
// A Wayland client cannot change the display's mode. SDL lists the modes a
// full-screen window may have where the compositor can scale one to the
// screen, and shows the window at that mode's size, scaled: the picture fills
// the screen all the same.
#include <SDL.h>

#include "platform/sdl_drivers.h"

namespace sdl_drivers {

bool FullscreenIsScaled() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && SDL_strcmp(driver, "wayland") == 0;
}

}  // namespace sdl_drivers
