// decode: reads a file with the viewer's own BMP reader and writes what the
// viewer would upload as a binary PPM (top row first), for comparing with
// other decoders. A failure prints the reader's message and exits 1.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "imaging/bmp_reader.h"
#include "platform/console_platform.h"
#include "tools/pictures/pictures.h"

namespace {

constexpr size_t kPixelBytes = 3;

void PrintReaderMessage() {
    const char* message = ConsoleLastMessage();
    size_t length = strlen(message);
    fputs(message, stderr);
    if (length == 0 || message[length - 1] != '\n') fputc('\n', stderr);
}

// The record holds the bottom row first; a PPM starts with the top row.
bool WritePpm(const char* path, const ImageRecord* image) {
    FILE* out = fopen(path, "wb");
    if (out == nullptr) return false;
    bool ok = fprintf(out, "P6\n%d %d\n255\n", image->width, image->height) > 0;
    size_t rowBytes = kPixelBytes * static_cast<size_t>(image->width);
    for (int32_t row = image->height - 1; ok && row >= 0; --row) {
        ok = fwrite(image->pixels + rowBytes * static_cast<size_t>(row), 1, rowBytes, out) ==
             rowBytes;
    }
    return fclose(out) == 0 && ok;
}

}  // namespace

int DecodeCommand(const std::string& source, const std::string& ppmPath) {
    ConsoleClearMessage();
    ImageRecord* image = ReadBmpImage(source.c_str());
    if (image == nullptr) {
        PrintReaderMessage();
        return kExitFailure;
    }
    bool written = WritePpm(ppmPath.c_str(), image);
    free(image->pixels);
    free(image);
    if (!written) {
        fprintf(stderr, "Cannot write %s.\n", ppmPath.c_str());
        return kExitFailure;
    }
    return kExitSuccess;
}
