// libFuzzer target for the BMP reader: every input goes through the same
// decoder ReadBmpImage runs on a mapped file, with the output capped at 256 KB
// so that a header promising a huge picture is refused quickly. A picture
// that comes out is read end to end so the sanitizers see every byte.
#include <cstdint>
#include <cstdlib>

#include "imaging/bmp_decode.h"

namespace {

constexpr uint64_t kFuzzMaxOutputBytes = 256u << 10;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CountColourEntries(data, size);
    BmpDecodeResult result = DecodeBmpBytes(data, size, kFuzzMaxOutputBytes);
    if (result.image == nullptr) {
        if (result.failure == kBmpSuccess || result.detail == nullptr) abort();
        return 0;
    }
    ImageRecord* image = result.image;
    if (image->width <= 0 || image->height <= 0) abort();
    size_t bytes = 3 * static_cast<size_t>(image->width) * static_cast<size_t>(image->height);
    unsigned sum = 0;
    for (size_t i = 0; i < bytes; ++i) sum += image->pixels[i];
    free(image->pixels);
    free(image);
    return static_cast<int>(sum & 0);
}
