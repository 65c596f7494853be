/* A preload library for measuring the real viewer without touching it: it
 * wraps SDL_GL_SwapWindow and appends the wall-clock time of every swap, in
 * nanoseconds, to the file named by HELIORA_SWAP_LOG. Used by frame_times.sh. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

typedef void (*SwapFunction)(void*);

void SDL_GL_SwapWindow(void* window) {
    static SwapFunction real;
    static FILE* log;
    if (real == NULL) real = (SwapFunction)dlsym(RTLD_NEXT, "SDL_GL_SwapWindow");
    if (log == NULL && getenv("HELIORA_SWAP_LOG") != NULL)
        log = fopen(getenv("HELIORA_SWAP_LOG"), "a");
    real(window);
    if (log != NULL) {
        struct timespec now;
        clock_gettime(CLOCK_REALTIME, &now);
        fprintf(log, "%lld\n", (long long)now.tv_sec * 1000000000LL + now.tv_nsec);
        fflush(log);
    }
}
