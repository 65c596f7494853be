// The in-memory BMP decoder: normalises the headers, checks that the picture
// is one this reader converts and that its sizes and pixel data fit, then
// allocates the output and the record (two malloc blocks) and converts the
// pixels straight into the output, with no full-size intermediate.
#include <cstdlib>

#include "imaging/bmp_decode.h"

namespace {

constexpr uint64_t kOutputPixelBytes = 3;

bool CompressionBelongsToBitCount(uint16_t bitCount, uint32_t compression) {
    switch (compression) {
        case BI_RGB:
            return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 ||
                   bitCount == 24 || bitCount == 32;
        case BI_RLE8:
            return bitCount == 8;
        case BI_RLE4:
            return bitCount == 4;
        case BI_BITFIELDS:
            return bitCount == 16 || bitCount == 32;
        default:
            return false;
    }
}

bool IsRunLength(const NormalisedDibInfo* info) {
    return info->header.compression == BI_RLE8 || info->header.compression == BI_RLE4;
}

uint64_t AbsoluteHeight(const NormalisedDibInfo* info) {
    int64_t height = info->header.height;
    return static_cast<uint64_t>(height < 0 ? -height : height);
}

// Whether the description is one the conversion handles, and the size of the
// output it needs.
bool CheckDescription(const NormalisedDibInfo* info, const DibSource* source,
                      uint64_t maxOutputBytes, uint64_t* outputBytes, const char** detail) {
    const DibInfoHeader& header = info->header;
    if (!CompressionBelongsToBitCount(header.bitCount, header.compression)) {
        *detail = header.compression > BI_BITFIELDS
                      ? "its pixels are compressed in a way this reader does not know "
                        "(JPEG or PNG inside a BMP, or a newer kind)"
                      : "its bit count and compression are not a combination BMP allows "
                        "(1, 4, 8, 16, 24 or 32 bits; RLE8 with 8, RLE4 with 4, "
                        "bit fields with 16 or 32)";
        return false;
    }
    if (header.width <= 0 || header.height == 0) {
        *detail = "its width or height is zero or negative: there are no pixels to show";
        return false;
    }
    if (header.height < 0 && IsRunLength(info)) {
        *detail = "it is run-length compressed but stored top row first, which BMP does not allow";
        return false;
    }
    if (header.bitCount <= 8 && header.clrUsed > 0xFFFF) {
        *detail = "its colours-used count is larger than any colour table";
        return false;
    }
    if (header.bitCount <= 8) {
        // Only the entries a pixel can index must be in the file.
        uint32_t indexable = 1u << header.bitCount;
        uint32_t needed = info->colourCount < indexable ? info->colourCount : indexable;
        if (source->usableColours < needed) {
            *detail = "the file ends inside its colour table";
            return false;
        }
    }
    // width < 2^31 and |height| <= 2^31, so the product fits 64 bits.
    uint64_t bytes = kOutputPixelBytes * static_cast<uint64_t>(header.width) * AbsoluteHeight(info);
    if (bytes > maxOutputBytes || bytes > kMaxOutputBytes) {
        *detail = "its width times height is too large for a picture in memory";
        return false;
    }
    *outputBytes = bytes;
    return true;
}

// An uncompressed picture's rows must all be in the file (the last one may
// lack its padding); checked before the output is allocated.
bool PixelDataFits(const NormalisedDibInfo* info, const DibSource* source, size_t length,
                   const char** detail) {
    if (source->pixelOffset > length) {
        *detail = "its pixel data would start past the end of the file";
        return false;
    }
    if (IsRunLength(info)) return true;
    uint64_t rowBits = static_cast<uint64_t>(info->header.width) * info->header.bitCount;
    uint64_t rowBytes = (rowBits + 7) / 8;
    uint64_t stride = (rowBits + 31) / 32 * 4;
    // stride <= 4 * width, so with the output size bounded this cannot overflow.
    uint64_t needed = stride * (AbsoluteHeight(info) - 1) + rowBytes;
    if (needed > length - source->pixelOffset) {
        *detail = "the file ends before the last row of pixels";
        return false;
    }
    return true;
}

BmpDecodeResult Failed(BmpFailure failure, const char* detail) {
    return BmpDecodeResult{nullptr, failure, detail};
}

}  // namespace

const char* BmpFailureText(BmpFailure failure) {
    switch (failure) {
        case kBmpSuccess:
            return "";
        case kBmpOutOfMemory:
            return "Out of memory.";
        case kBmpUnknownFormat:
            return "Unknown DIB file format.";
        case kBmpConversionError:
            break;
    }
    return "Image file conversion error.";
}

BmpDecodeResult DecodeBmpBytes(const unsigned char* bytes, size_t length, uint64_t maxOutputBytes) {
    DibSource source;
    BmpFailure failure = kBmpSuccess;
    const char* detail = "";
    NormalisedDibInfo* info = NormaliseDib(bytes, length, &source, &failure, &detail);
    if (info == nullptr) return Failed(failure, detail);

    uint64_t outputBytes = 0;
    if (!CheckDescription(info, &source, maxOutputBytes, &outputBytes, &detail) ||
        !PixelDataFits(info, &source, length, &detail)) {
        FreeNormalisedDibInfo(info);
        return Failed(kBmpConversionError, detail);
    }
    unsigned char* output = static_cast<unsigned char*>(malloc(static_cast<size_t>(outputBytes)));
    if (output == nullptr) {
        FreeNormalisedDibInfo(info);
        return Failed(kBmpOutOfMemory, "no memory for the picture's pixels");
    }
    ByteCursor file = CursorOver(bytes, length);
    failure = IsRunLength(info) ? ConvertRunLength(info, &source, &file, output, &detail)
                                : ConvertUncompressed(info, &source, &file, output, &detail);
    ImageRecord* record = nullptr;
    if (failure == kBmpSuccess) {
        record = static_cast<ImageRecord*>(malloc(sizeof(ImageRecord)));
        if (record == nullptr) {
            failure = kBmpOutOfMemory;
            detail = "no memory for the picture's record";
        }
    }
    int32_t width = info->header.width;
    int32_t height = static_cast<int32_t>(AbsoluteHeight(info));
    FreeNormalisedDibInfo(info);
    if (failure != kBmpSuccess) {
        free(output);
        return Failed(failure, detail);
    }
    *record = ImageRecord{width, height, output};
    return BmpDecodeResult{record, kBmpSuccess, "it loads"};
}
