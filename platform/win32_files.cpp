// Read-only file mapping on Windows: CreateFileW, CreateFileMappingW and
// MapViewOfFile, the file operations of the platform contract for the Win32
// desktop and the Windows console; and the picture tool's replacing of a file
// (CreateFileW with CREATE_NEW, MoveFileExW, FlushFileBuffers). Paths are UTF-8 and become
// UTF-16 here, so a pictures folder named in any script opens. Also home to
// the text conversions that every Win32 backend file shares.
#include "platform/platform.h"
#include "platform/win32_text.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cerrno>
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

// errno for a failed file operation, as the picture tool reports it.
int ErrnoOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            return EACCES;
        case ERROR_CANT_RESOLVE_FILENAME:  // a loop of links or junctions
            return ELOOP;
        case ERROR_INVALID_HANDLE:  // the console (CON), which opens only to read or write
        case ERROR_INVALID_PARAMETER:
            return EINVAL;
        case ERROR_DISK_FULL:
            return ENOSPC;
        default:
            return EIO;
    }
}

// The file a path finally names: an existing file is opened, following every
// link, and asked for its own path; a path that names nothing yet is kept.
// False, with errno set, for anything but a regular file that may be written:
// a device (NUL, CON, COM1), a pipe, a folder (EISDIR), a read-only file
// (EACCES) or a loop of links (ELOOP).
bool FinalFile(const std::wstring& path, std::wstring* final) {
    HANDLE existing =
        CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (existing == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        *final = path;
        if (error == ERROR_FILE_NOT_FOUND) return true;
        errno = ErrnoOf(error);
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info;
    int refusal = 0;
    if (GetFileType(existing) != FILE_TYPE_DISK || !GetFileInformationByHandle(existing, &info))
        refusal = EINVAL;
    else if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        refusal = EISDIR;
    else if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
        refusal = EACCES;
    std::wstring name(MAX_PATH, L'\0');
    DWORD length = refusal != 0 ? 0
                                : GetFinalPathNameByHandleW(existing, name.data(),
                                                            static_cast<DWORD>(name.size()), 0);
    if (length >= name.size()) {
        name.resize(length);
        length =
            GetFinalPathNameByHandleW(existing, name.data(), static_cast<DWORD>(name.size()), 0);
    }
    CloseHandle(existing);
    if (refusal != 0) {
        errno = refusal;
        return false;
    }
    if (length == 0 || length >= name.size()) {
        *final = path;
    } else {
        name.resize(length);
        *final = name;
    }
    return true;
}

// Asks the folder of `file` to reach the disk, with the rename just made in
// it. NTFS flushes a folder opened for writing; where it cannot be opened so,
// or the file system refuses, this does nothing.
void FlushFolderOf(const std::wstring& file) {
    const size_t slash = file.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? L"." : file.substr(0, slash + 1);
    HANDLE handle = CreateFileW(folder.c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return;
    FlushFileBuffers(handle);
    CloseHandle(handle);
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
    if (path == nullptr || *path == '\0') {
        errno = ENOENT;
        return false;
    }
    std::wstring target;
    if (!FinalFile(win32_text::Wide(path), &target)) return false;
    // "<file>.part", or "<file>.part<N>" when that name is taken by any file.
    // The new file takes its folder's permissions, as the old one had.
    constexpr int kTries = 100;
    std::wstring temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < kTries && file == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = target + L".part" + (attempt == 0 ? std::wstring() : std::to_wstring(attempt));
        file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        const DWORD error = file == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
        if (error != ERROR_SUCCESS && error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            errno = ErrnoOf(error);
            return false;
        }
    }
    if (file == INVALID_HANDLE_VALUE) {
        errno = EEXIST;
        return false;
    }
    bool ok = WriteAll(file, bytes, length) && FlushFileBuffers(file);
    DWORD error = ok ? ERROR_SUCCESS : GetLastError();
    ok = CloseHandle(file) && ok;
    // The bytes are on the disk before the rename, and the rename is whole: the
    // name holds the old file or all of the new one. The move is a rename on
    // one volume, which MOVEFILE_WRITE_THROUGH would not wait for (it waits
    // only for a copy), so the folder is flushed after it where the file
    // system lets it; elsewhere the rename reaches the disk when Windows
    // writes its metadata back, and a crash before that finds the old file.
    if (ok && MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        FlushFolderOf(target);
        return true;
    }
    if (error == ERROR_SUCCESS) error = GetLastError();
    DeleteFileW(temporary.c_str());
    errno = ErrnoOf(error);
    return false;
}
