// Read-only file mapping on POSIX: open(2), fstat(2) and mmap(2).
#include "platform/posix_files.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

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
    if (length != nullptr) *length = m->length;
    return static_cast<const unsigned char*>(address);
}

bool UnmapView(const unsigned char* view, size_t length) {
    if (view == nullptr) return false;
    return ::munmap(const_cast<unsigned char*>(view), length) == 0;
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
