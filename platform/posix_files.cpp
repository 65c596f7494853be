// Read-only file mapping on POSIX: open(2), fstat(2) and mmap(2).
//
// A mapped file may be cut short or rewritten by another program while it is
// read (on Windows a mapped file can be neither). A read of a page past a new
// end raises SIGBUS, which would end the process. So while any view is mapped,
// a SIGBUS handler stands by: a fault the kernel raises inside a view maps
// zero-filled anonymous pages over the rest of that view and marks the view
// cut, and the read that faulted goes on, reading zeros. Any other SIGBUS (a
// fault outside every view, or one sent by kill or raise) goes on to the
// action that was there before, as that action would have taken it.
//
// A file rewritten in place at the same or a greater length raises no fault:
// the view then shows new bytes under old ones. So the file's size and its
// modification and change times are taken when its length is, and a view is
// intact only while none of them has changed and it was never cut. The change
// time is the one a program cannot set: a rewrite at the same length whose
// old modification time is put back (cp -p, touch -r) still moves it, unless
// it comes within the clock tick of the change before. The caller asks
// ViewIntact when it has read what it needs and throws the result away if the
// view was not intact.
//
// The table of views has no locks: every view operation runs on one thread
// (debug builds check it).
#include "platform/posix_files.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cassert>
#include <cerrno>
#include <cstdint>
#include <new>
#include <thread>

namespace posix_files {
namespace {

struct OpenFile {
    int descriptor;
};

// What tells a rewritten file from the one that was mapped. (Its device and
// inode cannot: they are read from the same open descriptor every time.)
struct FileState {
    off_t size;
    timespec modified;
    timespec changed;
};

bool ReadFileState(int descriptor, FileState* state) {
    struct stat info;
    if (::fstat(descriptor, &info) != 0) return false;
    *state = FileState{info.st_size, info.st_mtim, info.st_ctim};
    return true;
}

bool SameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool SameState(const FileState& a, const FileState& b) {
    return a.size == b.size && SameTime(a.modified, b.modified) && SameTime(a.changed, b.changed);
}

struct Mapping {
    int descriptor;
    size_t length;
    FileState state;  // taken with the length
};

// The views mapped now. The handler reads this table, so its entries are
// published through `start` (0: a free entry).
struct LiveView {
    std::atomic<uintptr_t> start;
    size_t length;
    int descriptor;
    FileState state;
    volatile sig_atomic_t cut;
};
constexpr int kMaxLiveViews = 8;
LiveView liveViews[kMaxLiveViews];
int liveViewCount = 0;
uintptr_t pageSize = 4096;
struct sigaction previousBusAction;

#ifndef NDEBUG
std::thread::id viewThread;  // the thread of the live views
#endif

// The table has no locks: the views are mapped, asked about and unmapped on
// the thread that mapped the first of those live.
void CheckViewThread() {
#ifndef NDEBUG
    if (liveViewCount == 0) viewThread = std::this_thread::get_id();
    assert(viewThread == std::this_thread::get_id() && "file views are used from one thread");
#endif
}

// A SIGBUS that is not ours, handed to the action that was there before.
void PassOn(int signal, siginfo_t* info, void* context) {
    struct sigaction& previous = previousBusAction;
    // SIG_DFL and SIG_IGN are what the handler holds, whatever the flags say:
    // the kernel keeps SA_SIGINFO when an SA_RESETHAND handler falls back to
    // SIG_DFL. (sa_handler and sa_sigaction share their storage.)
    if (previous.sa_handler == SIG_DFL || previous.sa_handler == SIG_IGN) {
        // An ignored fault the kernel raised ends the process all the same.
        const bool sent = info == nullptr || info->si_code <= 0;
        if (previous.sa_handler == SIG_IGN && sent) return;
        // Delivered under the default action once this handler returns.
        struct sigaction fallback = {};
        fallback.sa_handler = SIG_DFL;
        sigemptyset(&fallback.sa_mask);
        ::sigaction(signal, &fallback, nullptr);
        ::raise(signal);
        return;
    }
    const struct sigaction handler = previous;
    if (handler.sa_flags & SA_RESETHAND) {
        // A handler for one signal: the default takes its place before it
        // runs, as the kernel would have done.
        previous = {};
        previous.sa_handler = SIG_DFL;
        sigemptyset(&previous.sa_mask);
    }
    sigset_t held;
    ::pthread_sigmask(SIG_BLOCK, &handler.sa_mask, &held);
    if (handler.sa_flags & SA_SIGINFO)
        handler.sa_sigaction(signal, info, context);
    else
        handler.sa_handler(signal);
    ::pthread_sigmask(SIG_SETMASK, &held, nullptr);
}

void OnBusError(int signal, siginfo_t* info, void* context) {
    const int savedErrno = errno;
    // Only a fault the kernel raised (si_code > 0) has an address worth looking at.
    if (info != nullptr && info->si_code > 0) {
        const uintptr_t address = reinterpret_cast<uintptr_t>(info->si_addr);
        for (LiveView& view : liveViews) {
            const uintptr_t start = view.start.load(std::memory_order_acquire);
            if (start == 0 || address < start || address - start >= view.length) continue;
            const uintptr_t from = address & ~(pageSize - 1);
            void* zeros = ::mmap(reinterpret_cast<void*>(from), start + view.length - from,
                                 PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
            if (zeros == MAP_FAILED) break;
            view.cut = 1;
            errno = savedErrno;
            return;
        }
    }
    PassOn(signal, info, context);
    errno = savedErrno;
}

LiveView* FindLiveView(const unsigned char* view) {
    for (LiveView& live : liveViews) {
        if (live.start.load(std::memory_order_relaxed) == reinterpret_cast<uintptr_t>(view))
            return &live;
    }
    return nullptr;
}

// Enters a view in the table, with the handler in place for the first one.
bool GuardView(const unsigned char* view, const Mapping& mapping) {
    CheckViewThread();
    LiveView* entry = FindLiveView(nullptr);
    if (entry == nullptr) return false;
    if (liveViewCount == 0) {
        struct sigaction action = {};
        action.sa_sigaction = OnBusError;
        action.sa_flags = SA_SIGINFO;
        sigemptyset(&action.sa_mask);
        const long page = ::sysconf(_SC_PAGESIZE);
        if (page > 0) pageSize = static_cast<uintptr_t>(page);
        if (::sigaction(SIGBUS, &action, &previousBusAction) != 0) return false;
    }
    ++liveViewCount;
    entry->length = mapping.length;
    entry->descriptor = mapping.descriptor;
    entry->state = mapping.state;
    entry->cut = 0;
    entry->start.store(reinterpret_cast<uintptr_t>(view), std::memory_order_release);
    return true;
}

void UnguardView(LiveView* live) {
    CheckViewThread();
    live->start.store(0, std::memory_order_release);
    if (--liveViewCount == 0) ::sigaction(SIGBUS, &previousBusAction, nullptr);
}

}  // namespace

void* Open(const char* path) {
    if (path == nullptr) return nullptr;
    int descriptor = ::open(path, O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return nullptr;
    struct stat info;
    // Only regular files can be mapped; a directory or a device is refused here.
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(descriptor);
        return nullptr;
    }
    OpenFile* file = new (std::nothrow) OpenFile{descriptor};
    if (file == nullptr) ::close(descriptor);
    return file;
}

void* CreateMapping(void* file) {
    if (file == nullptr) return nullptr;
    int descriptor = static_cast<OpenFile*>(file)->descriptor;
    FileState state;
    if (!ReadFileState(descriptor, &state) || state.size <= 0) return nullptr;
    if (static_cast<uintmax_t>(state.size) > SIZE_MAX) return nullptr;
    return new (std::nothrow) Mapping{descriptor, static_cast<size_t>(state.size), state};
}

const unsigned char* MapView(void* mapping, size_t* length) {
    if (mapping == nullptr) return nullptr;
    Mapping* m = static_cast<Mapping*>(mapping);
    void* address = ::mmap(nullptr, m->length, PROT_READ, MAP_PRIVATE, m->descriptor, 0);
    if (address == MAP_FAILED) return nullptr;
    if (!GuardView(static_cast<const unsigned char*>(address), *m)) {
        ::munmap(address, m->length);
        return nullptr;
    }
    if (length != nullptr) *length = m->length;
    return static_cast<const unsigned char*>(address);
}

bool UnmapView(const unsigned char* view, size_t length) {
    if (view == nullptr) return false;
    // Unmapped first: a fault on it then is no longer ours to mend.
    const bool unmapped = ::munmap(const_cast<unsigned char*>(view), length) == 0;
    if (LiveView* live = FindLiveView(view)) UnguardView(live);
    return unmapped;
}

bool ViewIntact(const unsigned char* view, size_t length) {
    LiveView* live = FindLiveView(view);
    if (view == nullptr || live == nullptr) return false;
    CheckViewThread();
    FileState now;
    return live->cut == 0 && live->length == length && ReadFileState(live->descriptor, &now) &&
           SameState(now, live->state);
}

bool CloseMapping(void* mapping) {
    if (mapping == nullptr) return false;
    delete static_cast<Mapping*>(mapping);
    return true;
}

bool Close(void* file) {
    if (file == nullptr) return false;
    OpenFile* f = static_cast<OpenFile*>(file);
    bool closed = ::close(f->descriptor) == 0;
    delete f;
    return closed;
}

}  // namespace posix_files
