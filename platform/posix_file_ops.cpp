// The file operations of the platform contract for the real backends (the
// desktop and the console): straight onto the POSIX mapping helpers. The
// scripted fake has its own, which log each step and can fail any of them;
// it cannot replace files, which only the picture tool does.
#include "platform/platform.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/posix_files.h"

FileHandle PlatOpenFileForReading(const char* path) {
    return static_cast<FileHandle>(posix_files::Open(path));
}

FileMappingHandle PlatCreateFileMapping(FileHandle file) {
    return static_cast<FileMappingHandle>(posix_files::CreateMapping(file));
}

const unsigned char* PlatMapViewOfFile(FileMappingHandle mapping, size_t* length) {
    return posix_files::MapView(mapping, length);
}

bool PlatUnmapViewOfFile(const unsigned char* view, size_t length) {
    return posix_files::UnmapView(view, length);
}

bool PlatMappedViewIntact(const unsigned char* view, size_t length) {
    return posix_files::ViewIntact(view, length);
}

bool PlatCloseFileMapping(FileMappingHandle mapping) { return posix_files::CloseMapping(mapping); }

bool PlatCloseFile(FileHandle file) { return posix_files::Close(file); }

namespace {

// The file a path finally names: each symbolic link on the way is followed
// (a link to a file not there yet names that file). False when the links go
// on past 40 hops, as the kernel counts them: a loop.
bool FinalFile(const char* path, std::string* final) {
    constexpr int kMaxLinks = 40;
    std::string target = path;
    for (int hop = 0; hop <= kMaxLinks; ++hop) {
        char link[PATH_MAX];
        const ssize_t length = ::readlink(target.c_str(), link, sizeof link);
        if (length <= 0 || static_cast<size_t>(length) >= sizeof link) {
            *final = target;
            return true;
        }
        std::string next(link, static_cast<size_t>(length));
        const size_t slash = target.rfind('/');
        if (next[0] != '/' && slash != std::string::npos) next = target.substr(0, slash + 1) + next;
        target = next;
    }
    return false;
}

bool WriteAll(int descriptor, const unsigned char* bytes, size_t length) {
    while (length > 0) {
        const ssize_t written = ::write(descriptor, bytes, length);
        if (written < 0 && errno == EINTR) continue;
        if (written == 0) errno = EIO;
        if (written <= 0) return false;
        bytes += written;
        length -= static_cast<size_t>(written);
    }
    return true;
}

// Best effort: some file systems cannot flush a directory.
void FlushFolderOf(const std::string& file) {
    const size_t slash = file.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : file.substr(0, slash + 1);
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return;
    ::fsync(descriptor);
    ::close(descriptor);
}

}  // namespace

ReplaceResult PlatReplaceFile(const char* path, const unsigned char* bytes, size_t length,
                              std::string* why) {
    const auto failed = [why](int error) {
        *why = strerror(error);
        return ReplaceResult::kFailed;
    };
    if (path == nullptr || *path == '\0') return failed(ENOENT);
    std::string target;
    if (!FinalFile(path, &target)) return ReplaceResult::kLinkLoop;
    // Only a regular file is replaced: renaming over a device node, a FIFO or
    // a socket would take it away from everyone who uses it. A file no one may
    // write is left alone too, even by root, as Windows leaves a read-only
    // one; and so is one the user running the tool may not write (access asks
    // for the real user), though the folder would let them rename over it.
    struct stat old;
    const bool hadFile = ::lstat(target.c_str(), &old) == 0;
    if (!hadFile && errno != ENOENT) return failed(errno);
    if (hadFile && S_ISDIR(old.st_mode)) return ReplaceResult::kFolder;
    if (hadFile && !S_ISREG(old.st_mode)) return ReplaceResult::kNotRegularFile;
    if (hadFile && (old.st_mode & 0222) == 0) return ReplaceResult::kReadOnly;
    if (hadFile && ::access(target.c_str(), W_OK) != 0) return failed(errno);
    // "<file>.part", or "<file>.part<N>" when that name is taken by any file;
    // "heliora-pictures.part[N]" in the same folder when the file's name is
    // too long for the suffix. One that replaces a file is made for its owner
    // alone and has the old file's bits before any byte is in it; a new one
    // has 0666 less the umask.
    constexpr int kTries = 100;
    const size_t slash = target.rfind('/');
    const std::string shortName =
        (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) +
        "heliora-pictures.part";
    std::string stem = target + ".part", temporary;
    int descriptor = -1;
    for (int attempt = 0; attempt < kTries && descriptor < 0; ++attempt) {
        temporary = stem + (attempt == 0 ? std::string() : std::to_string(attempt));
        descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                            hadFile ? 0600 : 0666);
        if (descriptor < 0 && errno == ENAMETOOLONG && stem != shortName) {
            stem = shortName;
            attempt = -1;
        } else if (descriptor < 0 && errno != EEXIST) {
            return failed(errno);
        }
    }
    if (descriptor < 0) return failed(EEXIST);
    bool ok = (!hadFile || ::fchmod(descriptor, old.st_mode & 0777) == 0) &&
              WriteAll(descriptor, bytes, length) && ::fsync(descriptor) == 0 &&
              ::rename(temporary.c_str(), target.c_str()) == 0;
    const int error = errno;
    if (ok) {
        ::fsync(descriptor);
        FlushFolderOf(target);
    }
    ::close(descriptor);
    if (ok) return ReplaceResult::kReplaced;
    ::unlink(temporary.c_str());
    return failed(error);
}
