// What only SDL's Wayland driver needs: full screen without a mode change,
// and ending the process when the compositor is lost.
//
// A Wayland client cannot change the display's mode. SDL lists the modes a
// full-screen window may have where the compositor can scale one to the
// screen, and shows the window at that mode's size, scaled: the picture fills
// the screen all the same.
#include <SDL.h>
#include <SDL_syswm.h>
#include <poll.h>
#include <sys/socket.h>

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
    void* client = SDL_LoadObject("libwayland-client.so.0");
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

}  // namespace sdl_drivers
