// The file operations of the platform contract for the real backends (the
// desktop and the console): straight onto the POSIX mapping helpers. The
// scripted fake has its own, which log each step and can fail any of them.
#include "platform/platform.h"
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
