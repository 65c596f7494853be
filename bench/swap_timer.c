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
 * the time between two swaps less the sleep between them.
 *
 * Start-up is split by marks in HELIORA_SWAP_LOG.phases, "NAME WALL_NS", each
 * taken at most once, at the first call of a library function that begins or
 * ends a step of building the window:
 *
 *   window     SDL_CreateWindow returned
 *   context    SDL_GL_CreateContext returned
 *   quadric    gluNewQuadric called: the render state is being set up, the
 *              texture objects' pictures are read next
 *   objects    glGenTextures called: the pictures are read, uploads begin
 *   lists      the first glNewList: the texture objects are made; the lists'
 *              pictures are read and recorded from here
 *   listed     the eleventh glEndList returned
 *   drawn      the first SDL_GL_SwapWindow called: the first frame is drawn
 *   presented  the first SDL_GL_SwapWindow returned
 *
 * Used by frame_times.sh. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

typedef void (*SwapFunction)(void*);
typedef void (*DelayFunction)(uint32_t);
typedef void* (*CreateWindowFunction)(const char*, int, int, int, int, uint32_t);
typedef void* (*CreateContextFunction)(void*);
typedef void* (*NewQuadricFunction)(void);
typedef void (*GenTexturesFunction)(int, unsigned int*);
typedef void (*NewListFunction)(unsigned int, unsigned int);
typedef void (*EndListFunction)(void);

enum { kListCount = 11 };

static long long delayed_ns;

static long long clock_ns(clockid_t clock) {
    struct timespec now;
    clock_gettime(clock, &now);
    return (long long)now.tv_sec * 1000000000LL + now.tv_nsec;
}

static void* real_function(void** cache, const char* name) {
    if (*cache == NULL) *cache = dlsym(RTLD_NEXT, name);
    return *cache;
}

/* Appends "NAME WALL_NS" once per mark; *done remembers that it was taken. */
static void mark(int* done, const char* name) {
    static FILE* phases;
    if (*done) return;
    *done = 1;
    long long now = clock_ns(CLOCK_REALTIME);
    const char* log = getenv("HELIORA_SWAP_LOG");
    if (phases == NULL && log != NULL) {
        size_t length = strlen(log) + sizeof ".phases";
        char* path = malloc(length);
        if (path == NULL) return;
        snprintf(path, length, "%s.phases", log);
        phases = fopen(path, "a");
        free(path);
    }
    if (phases == NULL) return;
    fprintf(phases, "%s %lld\n", name, now);
    fflush(phases);
}

void SDL_Delay(uint32_t milliseconds) {
    static void* real;
    long long start = clock_ns(CLOCK_MONOTONIC);
    ((DelayFunction)real_function(&real, "SDL_Delay"))(milliseconds);
    delayed_ns += clock_ns(CLOCK_MONOTONIC) - start;
}

void* SDL_CreateWindow(const char* title, int x, int y, int w, int h, uint32_t flags) {
    static void* real;
    static int done;
    void* window =
        ((CreateWindowFunction)real_function(&real, "SDL_CreateWindow"))(title, x, y, w, h, flags);
    mark(&done, "window");
    return window;
}

void* SDL_GL_CreateContext(void* window) {
    static void* real;
    static int done;
    void* context = ((CreateContextFunction)real_function(&real, "SDL_GL_CreateContext"))(window);
    mark(&done, "context");
    return context;
}

void* gluNewQuadric(void) {
    static void* real;
    static int done;
    mark(&done, "quadric");
    return ((NewQuadricFunction)real_function(&real, "gluNewQuadric"))();
}

void glGenTextures(int count, unsigned int* names) {
    static void* real;
    static int done;
    mark(&done, "objects");
    ((GenTexturesFunction)real_function(&real, "glGenTextures"))(count, names);
}

void glNewList(unsigned int list, unsigned int mode) {
    static void* real;
    static int done;
    mark(&done, "lists");
    ((NewListFunction)real_function(&real, "glNewList"))(list, mode);
}

void glEndList(void) {
    static void* real;
    static int ended, done;
    ((EndListFunction)real_function(&real, "glEndList"))();
    if (++ended == kListCount) mark(&done, "listed");
}

void SDL_GL_SwapWindow(void* window) {
    static void* real;
    static FILE* log;
    static int drawn, presented;
    if (log == NULL && getenv("HELIORA_SWAP_LOG") != NULL)
        log = fopen(getenv("HELIORA_SWAP_LOG"), "a");
    mark(&drawn, "drawn");
    long long start = clock_ns(CLOCK_MONOTONIC);
    ((SwapFunction)real_function(&real, "SDL_GL_SwapWindow"))(window);
    long long swap = clock_ns(CLOCK_MONOTONIC) - start;
    mark(&presented, "presented");
    if (log != NULL) {
        fprintf(log, "%lld %lld %lld\n", clock_ns(CLOCK_REALTIME), swap, delayed_ns);
        fflush(log);
    }
}
