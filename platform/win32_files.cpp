// Read-only file mapping on Windows: CreateFileW, CreateFileMappingW and
// MapViewOfFile, the file operations of the platform contract for the Win32
// desktop and the Windows console; and the picture tool's replacing of a file
// (CreateFileW with CREATE_NEW, MoveFileExW). Paths are UTF-8 and become
// UTF-16 here, so a pictures folder named in any script opens. Also home to
// the text conversions that every Win32 backend file shares.
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

namespace {

// The file a path finally names: an existing file is opened, following every
// link, and asked for its own path; a path that names nothing yet is kept.
std::wstring FinalFile(const std::wstring& path) {
    HANDLE existing =
        CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (existing == INVALID_HANDLE_VALUE) return path;
    std::wstring final(MAX_PATH, L'\0');
    DWORD length =
        GetFinalPathNameByHandleW(existing, final.data(), static_cast<DWORD>(final.size()), 0);
    if (length >= final.size()) {
        final.resize(length);
        length =
            GetFinalPathNameByHandleW(existing, final.data(), static_cast<DWORD>(final.size()), 0);
    }
    CloseHandle(existing);
    if (length == 0 || length >= final.size()) return path;
    final.resize(length);
    return final;
}

bool WriteAll(HANDLE file, const unsigned char* bytes, size_t length) {
    constexpr size_t kChunk = 1u << 30;
    while (length > 0) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(length < kChunk ? length : kChunk);
        if (!WriteFile(file, bytes, chunk, &written, nullptr) || written == 0) return false;
        bytes += written;
        length -= written;
    }
    return true;
}

}  // namespace

bool PlatReplaceFile(const char* path, const unsigned char* bytes, size_t length) {
    if (path == nullptr || *path == '\0') return false;
    const std::wstring target = FinalFile(win32_text::Wide(path));
    // "<file>.part", or "<file>.part<N>" when that name is taken by any file.
    constexpr int kTries = 100;
    std::wstring temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < kTries && file == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = target + L".part" + (attempt == 0 ? std::wstring() : std::to_wstring(attempt));
        file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        const DWORD error = file == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
        if (error != ERROR_SUCCESS && error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return false;
    }
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = WriteAll(file, bytes, length) && FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    // Write-through: the move is on the disk when it returns.
    ok = ok && MoveFileExW(temporary.c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) DeleteFileW(temporary.c_str());
    return ok;
}
