// Read-only file mapping on POSIX: open(2), fstat(2) and mmap(2).
//
// A mapped file may be cut short by another program while it is read (on
// Windows a mapped file cannot be cut short at all). A read of a page past the
// new end then raises SIGBUS, which would end the process. So while any view is
// mapped, a SIGBUS handler stands by: a fault inside a view maps zero-filled
// anonymous pages over the rest of that view and marks the view cut, and the
// read that faulted goes on, reading zeros. The file is still read in place;
// the caller asks ViewIntact when it has read what it needs and throws the
// result away if the view was cut. A fault outside every view puts the
// previous disposition back and returns, so the access faults again under it.
#include "platform/posix_files.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <new>

namespace posix_files {
namespace {

struct OpenFile {
    int descriptor;
};

struct Mapping {
    int descriptor;
    size_t length;
};

// The views mapped now. The handler reads this table, so its entries are
// published through `start` (0: a free entry).
struct LiveView {
    std::atomic<uintptr_t> start;
    size_t length;
    int descriptor;
    volatile sig_atomic_t cut;
};
constexpr int kMaxLiveViews = 8;
LiveView liveViews[kMaxLiveViews];
int liveViewCount = 0;
uintptr_t pageSize = 4096;
struct sigaction previousBusAction;

void OnBusError(int, siginfo_t* info, void*) {
    const int savedErrno = errno;
    const uintptr_t address = reinterpret_cast<uintptr_t>(info->si_addr);
    for (LiveView& view : liveViews) {
        const uintptr_t start = view.start.load(std::memory_order_acquire);
        if (start == 0 || address < start || address - start >= view.length) continue;
        const uintptr_t from = address & ~(pageSize - 1);
        void* zeros = ::mmap(reinterpret_cast<void*>(from), start + view.length - from, PROT_READ,
                             MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
        if (zeros == MAP_FAILED) break;
        view.cut = 1;
        errno = savedErrno;
        return;
    }
    ::sigaction(SIGBUS, &previousBusAction, nullptr);
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
bool GuardView(const unsigned char* view, size_t length, int descriptor) {
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
    entry->length = length;
    entry->descriptor = descriptor;
    entry->cut = 0;
    entry->start.store(reinterpret_cast<uintptr_t>(view), std::memory_order_release);
    return true;
}

void UnguardView(LiveView* live) {
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
    struct stat info;
    int descriptor = static_cast<OpenFile*>(file)->descriptor;
    if (::fstat(descriptor, &info) != 0 || info.st_size <= 0) return nullptr;
    if (static_cast<uintmax_t>(info.st_size) > SIZE_MAX) return nullptr;
    return new (std::nothrow) Mapping{descriptor, static_cast<size_t>(info.st_size)};
}

const unsigned char* MapView(void* mapping, size_t* length) {
    if (mapping == nullptr) return nullptr;
    Mapping* m = static_cast<Mapping*>(mapping);
    void* address = ::mmap(nullptr, m->length, PROT_READ, MAP_PRIVATE, m->descriptor, 0);
    if (address == MAP_FAILED) return nullptr;
    if (!GuardView(static_cast<const unsigned char*>(address), m->length, m->descriptor)) {
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
    struct stat info;
    return live->cut == 0 && ::fstat(live->descriptor, &info) == 0 && info.st_size >= 0 &&
           static_cast<uintmax_t>(info.st_size) >= length;
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
