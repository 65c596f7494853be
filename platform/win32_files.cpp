// Read-only file mapping on Windows: CreateFileW, CreateFileMappingW and
// MapViewOfFile, the file operations of the platform contract for the Win32
// desktop and the Windows console. Paths are UTF-8 and become UTF-16 here, so
// a pictures folder named in any script opens. Also home to the text
// conversions that every Win32 backend file shares.
#include "platform/platform.h"
#include "platform/win32_text.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdint>
#include <new>

namespace win32_text {

std::wstring Wide(const char* utf8) {
    if (utf8 == nullptr || *utf8 == '\0') return std::wstring();
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), length);
    wide.resize(static_cast<size_t>(length - 1));  // the terminating NUL
    return wide;
}

}  // namespace win32_text

namespace {

struct WinFile {
    HANDLE handle;
};

struct Mapping {
    HANDLE handle;
    size_t length;  // the file's length when the mapping was made
};

}  // namespace

FileHandle PlatOpenFileForReading(const char* path) {
    if (path == nullptr || *path == '\0') return nullptr;
    std::wstring widePath = win32_text::Wide(path);
    // A directory cannot be opened without backup semantics, so only files get here.
    HANDLE handle = CreateFileW(widePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    if (GetFileType(handle) != FILE_TYPE_DISK) {  // a device or a pipe is refused
        CloseHandle(handle);
        return nullptr;
    }
    WinFile* file = new (std::nothrow) WinFile{handle};
    if (file == nullptr) CloseHandle(handle);
    return reinterpret_cast<FileHandle>(file);
}

FileMappingHandle PlatCreateFileMapping(FileHandle file) {
    if (file == nullptr) return nullptr;
    HANDLE handle = reinterpret_cast<WinFile*>(file)->handle;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handle, &size) || size.QuadPart <= 0) return nullptr;
    if (static_cast<uint64_t>(size.QuadPart) > SIZE_MAX) return nullptr;
    // A file of length 0 cannot be mapped: CreateFileMappingW refuses it too.
    HANDLE mapping = CreateFileMappingW(handle, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (mapping == nullptr) return nullptr;
    Mapping* result = new (std::nothrow) Mapping{mapping, static_cast<size_t>(size.QuadPart)};
    if (result == nullptr) CloseHandle(mapping);
    return reinterpret_cast<FileMappingHandle>(result);
}

const unsigned char* PlatMapViewOfFile(FileMappingHandle mapping, size_t* length) {
    if (mapping == nullptr) return nullptr;
    Mapping* m = reinterpret_cast<Mapping*>(mapping);
    void* view = MapViewOfFile(m->handle, FILE_MAP_READ, 0, 0, 0);
    if (view == nullptr) return nullptr;
    if (length != nullptr) *length = m->length;
    return static_cast<const unsigned char*>(view);
}

// Windows refuses to shorten a file while a view of it is mapped, and our
// readers share it for reading only: a mapped view stays whole.
bool PlatMappedViewIntact(const unsigned char* view, size_t length) {
    return view != nullptr && length > 0;
}

bool PlatUnmapViewOfFile(const unsigned char* view, size_t) {
    if (view == nullptr) return false;
    return UnmapViewOfFile(view) != 0;
}

bool PlatCloseFileMapping(FileMappingHandle mapping) {
    if (mapping == nullptr) return false;
    Mapping* m = reinterpret_cast<Mapping*>(mapping);
    bool closed = CloseHandle(m->handle) != 0;
    delete m;
    return closed;
}

bool PlatCloseFile(FileHandle file) {
    if (file == nullptr) return false;
    WinFile* f = reinterpret_cast<WinFile*>(file);
    bool closed = CloseHandle(f->handle) != 0;
    delete f;
    return closed;
}
