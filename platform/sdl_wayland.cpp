// What only SDL's Wayland driver needs: full screen without a mode change,
// ending the process when the compositor is lost, and a key repeating after
// its window is gone.
//
// A Wayland client cannot change the display's mode. SDL lists the modes a
// full-screen window may have where the compositor can scale one to the
// screen, and shows the window at that mode's size, scaled: the picture fills
// the screen all the same.
#include <SDL.h>
#include <SDL_syswm.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <vector>

#include "platform/sdl_drivers.h"

namespace sdl_drivers {

bool FullscreenIsScaled() { return VideoDriverIs("wayland"); }

// Wayland: SDL turns a lost compositor into its quit event (as an interrupt),
// and the connection, noted from the first window, keeps the error.
namespace {
#if defined(SDL_VIDEO_DRIVER_WAYLAND)
wl_display* waylandDisplay = nullptr;
#endif
}  // namespace

void NoteWaylandDisplay(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_WAYLAND)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (waylandDisplay == nullptr && SDL_GetWindowWMInfo(window, &info) &&
        info.subsystem == SDL_SYSWM_WAYLAND)
        waylandDisplay = info.info.wl.display;
#else
    (void)window;
#endif
}

// The error SDL's reading left, or the compositor's end of the socket closed
// (seen without reading: SDL would dispatch events of windows already gone).
void EndIfWaylandDisplayIsLost() {
#if defined(SDL_VIDEO_DRIVER_WAYLAND)
    if (waylandDisplay == nullptr) return;
    using DisplayQuery = int (*)(wl_display*);
    static void* client = SDL_LoadObject("libwayland-client.so.0");  // kept, as SDL keeps it
    if (client == nullptr) return;
    auto getError =
        reinterpret_cast<DisplayQuery>(SDL_LoadFunction(client, "wl_display_get_error"));
    auto getFd = reinterpret_cast<DisplayQuery>(SDL_LoadFunction(client, "wl_display_get_fd"));
    if (getError == nullptr || getFd == nullptr) return;
    pollfd connection = {getFd(waylandDisplay), POLLIN, 0};
    char byte;
    if (getError(waylandDisplay) != 0 ||
        (poll(&connection, 1, 0) == 1 &&
         ((connection.revents & (POLLHUP | POLLERR)) != 0 ||
          recv(connection.fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) == 0)))
        EndForLostDisplay();
#endif
}

// SDL repeats a held key itself on Wayland, until the compositor tells of its
// release or of the keyboard leaving the window. A window destroyed while a
// key is held gets that leave only after its surface is gone; SDL then ignores
// it, the release reaches no window, and the key goes on repeating in the next
// window (F1 held a moment went back out of full screen). Such a window is
// hidden and kept until the keyboard leaves it for another window: SDL hears
// the leave (or the release, which still comes to it) and ends the repeat.
namespace {
std::vector<SDL_Window*> keptWindows;
}  // namespace

bool KeepWaylandWindowWithKeyboard(SDL_Window* window) {
    if (!VideoDriverIs("wayland") || SDL_GetKeyboardFocus() != window) return false;
    int keyCount = 0;
    const Uint8* keys = SDL_GetKeyboardState(&keyCount);
    if (std::find(keys, keys + keyCount, SDL_PRESSED) == keys + keyCount) return false;
    SDL_HideWindow(window);
    keptWindows.push_back(window);
    return true;
}

void DestroyWaylandWindowsLeftByKeyboard() {
    std::erase_if(keptWindows, [](SDL_Window* window) {
        if (SDL_GetKeyboardFocus() == window) return false;
        SDL_DestroyWindow(window);
        return true;
    });
}

}  // namespace sdl_drivers
