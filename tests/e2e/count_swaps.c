/* Preloaded into the Linux viewer by end-to-end scripts that count frames: at
 * every SDL_GL_SwapWindow it appends one byte to the file named by
 * HELIORA_SWAP_COUNT, so that the file's size is the number of swaps so far.
 * (The Windows viewer's swaps are counted from Wine's trace instead.) */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

typedef void (*SwapFunction)(void*);

void SDL_GL_SwapWindow(void* window) {
    static SwapFunction real;
    static int counter = -2;
    if (real == NULL) *(void**)&real = dlsym(RTLD_NEXT, "SDL_GL_SwapWindow");
    if (counter == -2) {
        const char* path = getenv("HELIORA_SWAP_COUNT");
        counter = path ? open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644) : -1;
    }
    real(window);
    if (counter >= 0 && write(counter, "s", 1) != 1) counter = -1;
}
