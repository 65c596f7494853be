// ReadBmpImage: maps the file read-only through the platform, decodes it in
// place (no copy of its bytes) and tells the user in one "Error" box why a
// picture could not be read. Everything acquired is released on every path.
#include <cstdio>
#include <cstdlib>

#include "imaging/bmp_decode.h"
#include "platform/platform.h"

namespace {

constexpr size_t kOpenFailureTextSize = 256;  // the terminating NUL included
constexpr char kOpenFailurePrefix[] = "Failed to open DIB file ";
constexpr char kOpenFailureSuffix[] = ".\n";
constexpr char kElision[] = "...";

void ShowReadFailure(const char* text) { PlatMessageBox(PlatGetFocus(), text, "Error", MB_OK); }

bool IsUtf8Continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// "Failed to open DIB file <path>.\n" in a 256-byte buffer. A path too long for
// it keeps its end (the file name) behind "...", cut on a character boundary,
// so the text always ends in ".\n" and never runs past the buffer.
void FormatOpenFailure(const char* path, char (&text)[kOpenFailureTextSize]) {
    if (path == nullptr) path = "";
    constexpr size_t kFixed = sizeof kOpenFailurePrefix - 1 + sizeof kOpenFailureSuffix - 1;
    constexpr size_t kRoomForPath = kOpenFailureTextSize - 1 - kFixed;
    size_t pathLength = strlen(path);
    if (pathLength <= kRoomForPath) {
        snprintf(text, sizeof text, "%s%s%s", kOpenFailurePrefix, path, kOpenFailureSuffix);
        return;
    }
    const char* tail = path + pathLength - (kRoomForPath - (sizeof kElision - 1));
    while (*tail != '\0' && IsUtf8Continuation(static_cast<unsigned char>(*tail))) ++tail;
    snprintf(text, sizeof text, "%s%s%s%s", kOpenFailurePrefix, kElision, tail, kOpenFailureSuffix);
}

struct MappedFile {
    FileHandle file;
    FileMappingHandle mapping;
    const unsigned char* view;
    size_t length;
};

bool MapWholeFile(const char* path, MappedFile* mapped) {
    *mapped = MappedFile{};
    mapped->file = PlatOpenFileForReading(path);
    if (mapped->file == nullptr) return false;
    mapped->mapping = PlatCreateFileMapping(mapped->file);
    if (mapped->mapping == nullptr) return false;
    mapped->view = PlatMapViewOfFile(mapped->mapping, &mapped->length);
    return mapped->view != nullptr;
}

// The view, then the mapping, then the file: whichever of them exist.
void ReleaseMappedFile(MappedFile* mapped) {
    if (mapped->view != nullptr) PlatUnmapViewOfFile(mapped->view, mapped->length);
    if (mapped->mapping != nullptr) PlatCloseFileMapping(mapped->mapping);
    if (mapped->file != nullptr) PlatCloseFile(mapped->file);
    *mapped = MappedFile{};
}

}  // namespace

ImageRecord* ReadBmpImage(const char* path) {
    MappedFile mapped;
    if (!MapWholeFile(path, &mapped)) {
        ReleaseMappedFile(&mapped);
        char text[kOpenFailureTextSize];
        FormatOpenFailure(path, text);
        ShowReadFailure(text);
        return nullptr;
    }
    ImageRecord* image = DecodeMappedBmp(mapped.view, mapped.length);
    ReleaseMappedFile(&mapped);
    return image;
}

ImageRecord* DecodeMappedBmp(const unsigned char* view, size_t length) {
    BmpDecodeResult result = DecodeBmpBytes(view, length, kMaxOutputBytes);
    // A file cut short while it was read gave zeros for its lost bytes: what
    // came of them is not the picture.
    if (!PlatMappedViewIntact(view, length)) {
        if (result.image != nullptr) {
            free(result.image->pixels);
            free(result.image);
            result.image = nullptr;
        }
        result.failure = kBmpConversionError;
    }
    if (result.image == nullptr) ShowReadFailure(BmpFailureText(result.failure));
    return result.image;
}
