/* A preload library for measuring the real viewer without touching it: it
 * wraps SDL_GL_SwapWindow and SDL_Delay and, for every buffer swap, appends
 * one line to the file named by HELIORA_SWAP_LOG:
 *
 *   SWAP_DONE_NS  SWAP_NS  DELAYED_NS
 *
 * SWAP_DONE_NS is the wall-clock time (CLOCK_REALTIME, nanoseconds) when the
 * swap returned, SWAP_NS how long the swap itself took, and DELAYED_NS the
 * running total of time spent in SDL_Delay so far. Without vertical sync the
 * viewer sleeps in SDL_Delay to pace its swaps, so the real cost of a frame is
 * the time between two swaps less the sleep between them. Used by
 * frame_times.sh. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

typedef void (*SwapFunction)(void*);
typedef void (*DelayFunction)(uint32_t);

static long long delayed_ns;

static long long clock_ns(clockid_t clock) {
    struct timespec now;
    clock_gettime(clock, &now);
    return (long long)now.tv_sec * 1000000000LL + now.tv_nsec;
}

void SDL_Delay(uint32_t milliseconds) {
    static DelayFunction real;
    if (real == NULL) real = (DelayFunction)dlsym(RTLD_NEXT, "SDL_Delay");
    long long start = clock_ns(CLOCK_MONOTONIC);
    real(milliseconds);
    delayed_ns += clock_ns(CLOCK_MONOTONIC) - start;
}

void SDL_GL_SwapWindow(void* window) {
    static SwapFunction real;
    static FILE* log;
    if (real == NULL) real = (SwapFunction)dlsym(RTLD_NEXT, "SDL_GL_SwapWindow");
    if (log == NULL && getenv("HELIORA_SWAP_LOG") != NULL)
        log = fopen(getenv("HELIORA_SWAP_LOG"), "a");
    long long start = clock_ns(CLOCK_MONOTONIC);
    real(window);
    long long swap = clock_ns(CLOCK_MONOTONIC) - start;
    if (log != NULL) {
        fprintf(log, "%lld %lld %lld\n", clock_ns(CLOCK_REALTIME), swap, delayed_ns);
        fflush(log);
    }
}
