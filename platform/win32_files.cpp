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

#include <cstdint>
#include <new>
#include <string>

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

// The system's own words for `error`, without the closing full stop.
std::string SystemText(DWORD error) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string words = length > 0 ? std::string(text, length) : "error " + std::to_string(error);
    LocalFree(text);
    while (!words.empty() && (words.back() == '.' || words.back() == '\r' || words.back() == '\n' ||
                              words.back() == ' '))
        words.pop_back();
    return words;
}

// The file a path finally names: an existing file is opened, following every
// link, and asked for its own path; a path that names nothing yet is kept.
// False, with `refusal` set (kFailed with the system's `error`), for anything
// but a regular file that may be written: a device (NUL, CON, COM1), a pipe,
// a folder, a read-only file, a loop of links, or a file that cannot be
// opened for writing (the user's rights, or a program that holds it open and
// lets no one else write it).
// A dangling link cannot be opened, so the new file replaces the link itself,
// where Linux writes the file it names: following it would mean reading and
// parsing its reparse point by hand.
bool FinalFile(const std::wstring& path, std::wstring* final, ReplaceResult* refusal,
               DWORD* error) {
    *refusal = ReplaceResult::kFailed;
    *final = path;
    constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE existing = CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (existing == INVALID_HANDLE_VALUE) {
        *error = GetLastError();
        if (*error == ERROR_FILE_NOT_FOUND) return true;
        if (*error == ERROR_CANT_RESOLVE_FILENAME) *refusal = ReplaceResult::kLinkLoop;
        // The console (CON) opens only to read or write.
        if (*error == ERROR_INVALID_HANDLE || *error == ERROR_INVALID_PARAMETER)
            *refusal = ReplaceResult::kNotRegularFile;
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileType(existing) != FILE_TYPE_DISK || !GetFileInformationByHandle(existing, &info))
        *refusal = ReplaceResult::kNotRegularFile;
    else if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        *refusal = ReplaceResult::kFolder;
    else if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
        *refusal = ReplaceResult::kReadOnly;
    std::wstring name(MAX_PATH, L'\0');
    DWORD length =
        *refusal != ReplaceResult::kFailed
            ? 0
            : GetFinalPathNameByHandleW(existing, name.data(), static_cast<DWORD>(name.size()), 0);
    if (length >= name.size()) {
        name.resize(length);
        length =
            GetFinalPathNameByHandleW(existing, name.data(), static_cast<DWORD>(name.size()), 0);
    }
    CloseHandle(existing);
    if (*refusal != ReplaceResult::kFailed) return false;
    if (length > 0 && length < name.size()) {
        name.resize(length);
        *final = name;
    }
    HANDLE writable = CreateFileW(final->c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (writable == INVALID_HANDLE_VALUE) {
        *error = GetLastError();
        return false;
    }
    CloseHandle(writable);
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

ReplaceResult PlatReplaceFile(const char* path, const unsigned char* bytes, size_t length,
                              std::string* why) {
    if (path == nullptr || *path == '\0') {
        *why = SystemText(ERROR_FILE_NOT_FOUND);
        return ReplaceResult::kFailed;
    }
    std::wstring target;
    ReplaceResult refusal;
    DWORD error = ERROR_SUCCESS;
    if (!FinalFile(win32_text::Wide(path), &target, &refusal, &error)) {
        if (refusal == ReplaceResult::kFailed) *why = SystemText(error);
        return refusal;
    }
    // "<file>.part", or "<file>.part<N>" when that name is taken by any file;
    // "heliora-pictures.part[N]" in the same folder when the file's name is
    // too long (255 UTF-16 units) for the suffix. The new file takes its
    // folder's permissions, as the old one had.
    constexpr int kTries = 100;
    constexpr size_t kMaxName = 255, kSuffix = 7;  // ".part" and two digits
    const size_t slash = target.find_last_of(L"\\/");
    const size_t nameStart = slash == std::wstring::npos ? 0 : slash + 1;
    const std::wstring stem = target.size() - nameStart + kSuffix <= kMaxName
                                  ? target + L".part"
                                  : target.substr(0, nameStart) + L"heliora-pictures.part";
    std::wstring temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < kTries && file == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = stem + (attempt == 0 ? std::wstring() : std::to_wstring(attempt));
        file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        error = file == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
        if (error != ERROR_SUCCESS && error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            *why = SystemText(error);
            return ReplaceResult::kFailed;
        }
    }
    if (file == INVALID_HANDLE_VALUE) {
        *why = SystemText(ERROR_FILE_EXISTS);
        return ReplaceResult::kFailed;
    }
    bool ok = WriteAll(file, bytes, length) && FlushFileBuffers(file);
    error = ok ? ERROR_SUCCESS : GetLastError();
    ok = CloseHandle(file) && ok;
    // The bytes are on the disk before the rename, and the rename is whole: the
    // name holds the old file or all of the new one. The move is a rename on
    // one volume, which MOVEFILE_WRITE_THROUGH would not wait for (it waits
    // only for a copy), so the folder is flushed after it where the file
    // system lets it; elsewhere the rename reaches the disk when Windows
    // writes its metadata back, and a crash before that finds the old file.
    if (ok && MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        FlushFolderOf(target);
        return ReplaceResult::kReplaced;
    }
    if (error == ERROR_SUCCESS) error = GetLastError();
    DeleteFileW(temporary.c_str());
    *why = SystemText(error);
    return ReplaceResult::kFailed;
}
