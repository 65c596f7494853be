// Uncompressed BMP pixels: 1, 4 and 8 bits through the colour table, 16 bits
// as 5-5-5 (or by BI_BITFIELDS masks), 24 bits and 32 bits, converted row by
// row straight into the red-green-blue output. Each source row is taken from
// the bounded cursor before a byte of it is read.
#include <bit>

#include "imaging/bmp_decode.h"

namespace {

constexpr uint32_t k555RedMask = 0x7C00;
constexpr uint32_t k555GreenMask = 0x03E0;
constexpr uint32_t k555BlueMask = 0x001F;
constexpr int kSampleBits = 8;
constexpr int kPixelsPerBlock = 8;  // 24 source bytes: three 64-bit words
constexpr size_t kOutputPixelBytes = 3;

// One colour channel of a masked 16- or 32-bit pixel: the field's position
// and its samples widened to 8 bits by repeating their bits.
struct ChannelDecoder {
    int shift;
    uint32_t fieldMask;
    uint8_t widened[256];
};

struct MaskDecoder {
    ChannelDecoder channels[3];  // red, green, blue
};

uint8_t WidenSample(uint32_t value, int bits) {
    uint32_t widened = 0;
    int filled = 0;
    while (filled < kSampleBits) {
        widened = (widened << bits) | value;
        filled += bits;
    }
    return static_cast<uint8_t>(widened >> (filled - kSampleBits));
}

// False for a mask whose bits are not one contiguous field.
bool BuildChannel(uint32_t mask, ChannelDecoder* channel) {
    *channel = ChannelDecoder{};
    if (mask == 0) return true;  // the channel is always 0
    int shift = std::countr_zero(mask);
    uint32_t field = mask >> shift;
    if ((field & (field + 1)) != 0) return false;
    int bits = std::popcount(field);
    if (bits > kSampleBits) {  // keep the top 8 bits of a wide field
        shift += bits - kSampleBits;
        bits = kSampleBits;
    }
    channel->shift = shift;
    channel->fieldMask = (1u << bits) - 1;
    for (uint32_t value = 0; value <= channel->fieldMask; ++value) {
        channel->widened[value] = WidenSample(value, bits);
    }
    return true;
}

bool BuildMaskDecoder(const DibSource* source, MaskDecoder* decoder) {
    uint32_t red = k555RedMask, green = k555GreenMask, blue = k555BlueMask;
    if (source->hasMasks) {
        red = source->masks[0];
        green = source->masks[1];
        blue = source->masks[2];
    }
    return BuildChannel(red, &decoder->channels[0]) && BuildChannel(green, &decoder->channels[1]) &&
           BuildChannel(blue, &decoder->channels[2]);
}

inline uint8_t DecodeChannel(const ChannelDecoder* channel, uint32_t pixel) {
    return channel->widened[(pixel >> channel->shift) & channel->fieldMask];
}

inline uint32_t LoadU32(const unsigned char* p) {
    uint32_t value;
    memcpy(&value, p, sizeof value);
    return value;
}

inline uint64_t LoadU64(const unsigned char* p) {
    uint64_t value;
    memcpy(&value, p, sizeof value);
    return value;
}

inline void StoreU64(unsigned char* p, uint64_t value) { memcpy(p, &value, sizeof value); }

// Writes a 4-byte palette entry; its fourth byte is overwritten by the next
// pixel, so only the last pixel of a row is written with three bytes.
inline void PutEntry(unsigned char* out, const uint8_t* entry) { memcpy(out, entry, 4); }
inline void PutLastEntry(unsigned char* out, const uint8_t* entry) { memcpy(out, entry, 3); }

inline uint8_t IndexAt(const unsigned char* row, int32_t x, int bitCount) {
    switch (bitCount) {
        case 1:
            return (row[x >> 3] >> (7 - (x & 7))) & 0x1;
        case 4:
            return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
        default:
            return row[x];
    }
}

void ConvertIndexedRow(const unsigned char* row, int32_t width, int bitCount,
                       const IndexPalette* palette, unsigned char* out) {
    int32_t x = 0;
    if (bitCount == 8) {
        for (; x + 1 < width; ++x, out += kOutputPixelBytes) PutEntry(out, palette->rgb[row[x]]);
    } else {
        for (; x + 1 < width; ++x, out += kOutputPixelBytes) {
            PutEntry(out, palette->rgb[IndexAt(row, x, bitCount)]);
        }
    }
    PutLastEntry(out, palette->rgb[IndexAt(row, x, bitCount)]);
}

// Swaps the first and third byte of each 3-byte pixel in one 64-bit word of an
// 8-pixel block. `toFirst` marks the bytes that take the byte two places on,
// `keep` the middle bytes, `toThird` the bytes that take the byte two places back.
inline uint64_t SwapWord(uint64_t previous, uint64_t word, uint64_t next, uint64_t toFirst,
                         uint64_t keep, uint64_t toThird) {
    uint64_t fromAhead = (word >> 16) | (next << 48);
    uint64_t fromBehind = (word << 16) | (previous >> 48);
    return (fromAhead & toFirst) | (word & keep) | (fromBehind & toThird);
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// On x86-64 processors with SSSE3 one byte shuffle turns four pixels round at
// a time: 16 bytes are loaded and stored from each 12-byte group of four
// pixels, the extra 4 bytes being rewritten by the next group. The loop stops
// while 16 bytes still lie inside the row; the caller finishes the row.
typedef uint8_t Bytes16 __attribute__((vector_size(16)));
constexpr int32_t kPixelsPerShuffle = 4;
constexpr int32_t kPixelsUnder16Bytes = 6;  // 16 bytes reach into the sixth pixel

__attribute__((target("ssse3"))) int32_t Convert24RowShuffled(const unsigned char* row,
                                                              int32_t width, unsigned char* out) {
    int32_t x = 0;
    for (; x + kPixelsUnder16Bytes <= width; x += kPixelsPerShuffle) {
        Bytes16 pixels;
        memcpy(&pixels, row + 3 * static_cast<size_t>(x), sizeof pixels);
        pixels = __builtin_shufflevector(pixels, pixels, 2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 12,
                                         13, 14, 15);
        memcpy(out + 3 * static_cast<size_t>(x), &pixels, sizeof pixels);
    }
    return x;
}

bool HasByteShuffle() { return __builtin_cpu_supports("ssse3"); }
#else
int32_t Convert24RowShuffled(const unsigned char*, int32_t, unsigned char*) { return 0; }
bool HasByteShuffle() { return false; }
#endif

}  // namespace

bool bmpByteShuffle = HasByteShuffle();

namespace {

void Convert24Row(const unsigned char* row, int32_t width, unsigned char* out) {
    // Byte masks for positions 0, 3, 6 / 1, 4, 7 / 2, 5 of a word.
    constexpr uint64_t kBytes036 = 0x00FF0000FF0000FFull;
    constexpr uint64_t kBytes147 = 0xFF0000FF0000FF00ull;
    constexpr uint64_t kBytes25 = 0x0000FF0000FF0000ull;
    int32_t x = 0;
    if (bmpByteShuffle) {
        x = Convert24RowShuffled(row, width, out);
        row += 3 * static_cast<size_t>(x);
        out += 3 * static_cast<size_t>(x);
    }
    for (; x + kPixelsPerBlock <= width; x += kPixelsPerBlock) {
        uint64_t w0 = LoadU64(row), w1 = LoadU64(row + 8), w2 = LoadU64(row + 16);
        StoreU64(out, SwapWord(0, w0, w1, kBytes036, kBytes147, kBytes25));
        StoreU64(out + 8, SwapWord(w0, w1, w2, kBytes147, kBytes25, kBytes036));
        StoreU64(out + 16, SwapWord(w1, w2, 0, kBytes25, kBytes036, kBytes147));
        row += 24;
        out += 24;
    }
    for (; x < width; ++x, row += 3, out += 3) {
        out[0] = row[2];
        out[1] = row[1];
        out[2] = row[0];
    }
}

void Convert32Row(const unsigned char* row, int32_t width, unsigned char* out) {
    int32_t x = 0;
    for (; x + 1 < width; ++x, row += 4, out += kOutputPixelBytes) {
        // blue, green, red, unused -> red, green, blue, (overwritten)
        uint32_t rgb = __builtin_bswap32(LoadU32(row)) >> 8;
        memcpy(out, &rgb, 4);
    }
    out[0] = row[2];
    out[1] = row[1];
    out[2] = row[0];
}

void ConvertMaskedRow(const unsigned char* row, int32_t width, int bitCount,
                      const MaskDecoder* decoder, unsigned char* out) {
    for (int32_t x = 0; x < width; ++x, out += kOutputPixelBytes) {
        uint32_t pixel = bitCount == 16 ? static_cast<uint32_t>(row[2 * x] | (row[2 * x + 1] << 8))
                                        : LoadU32(row + 4 * static_cast<size_t>(x));
        out[0] = DecodeChannel(&decoder->channels[0], pixel);
        out[1] = DecodeChannel(&decoder->channels[1], pixel);
        out[2] = DecodeChannel(&decoder->channels[2], pixel);
    }
}

}  // namespace

void BuildIndexPalette(const NormalisedDibInfo* info, IndexPalette* palette) {
    memset(palette, 0, sizeof *palette);
    int entries = info->colourCount < 256 ? info->colourCount : 256;
    for (int i = 0; i < entries; ++i) {
        const RgbQuad& colour = info->colours[i];
        palette->rgb[i][0] = colour.red;
        palette->rgb[i][1] = colour.green;
        palette->rgb[i][2] = colour.blue;
    }
}

BmpFailure ConvertUncompressed(const NormalisedDibInfo* info, const DibSource* source,
                               ByteCursor* file, unsigned char* output, const char** detail) {
    const int32_t width = info->header.width;
    const bool topDown = info->header.height < 0;
    const uint32_t height = topDown ? 0u - static_cast<uint32_t>(info->header.height)
                                    : static_cast<uint32_t>(info->header.height);
    const int bitCount = info->header.bitCount;
    const uint64_t rowBits = static_cast<uint64_t>(width) * bitCount;
    const size_t rowBytes = static_cast<size_t>((rowBits + 7) / 8);
    const size_t padding = static_cast<size_t>((rowBits + 31) / 32 * 4) - rowBytes;
    const size_t outputRowBytes = kOutputPixelBytes * static_cast<size_t>(width);

    IndexPalette palette;
    MaskDecoder masks;
    bool masked = false;
    if (bitCount <= 8) {
        BuildIndexPalette(info, &palette);
    } else if (bitCount == 16 || (bitCount == 32 && source->hasMasks)) {
        if (!BuildMaskDecoder(source, &masks)) {
            *detail = "its colour masks are not contiguous runs of bits";
            return kBmpConversionError;
        }
        masked = true;
    }
    if (!CursorSeek(file, source->pixelOffset)) {
        *detail = "its pixel data would start past the end of the file";
        return kBmpConversionError;
    }
    for (uint32_t stored = 0; stored < height; ++stored) {
        const unsigned char* row = CursorTake(file, rowBytes);
        if (row == nullptr) {
            *detail = "the file ends before the last row of pixels";
            return kBmpConversionError;
        }
        uint32_t outputRow = topDown ? height - 1 - stored : stored;
        unsigned char* out = output + outputRowBytes * outputRow;
        if (masked) {
            ConvertMaskedRow(row, width, bitCount, &masks, out);
        } else if (bitCount <= 8) {
            ConvertIndexedRow(row, width, bitCount, &palette, out);
        } else if (bitCount == 24) {
            Convert24Row(row, width, out);
        } else {
            Convert32Row(row, width, out);
        }
        // The last row's padding may be missing; any other row's may not.
        if (stored + 1 < height && CursorTake(file, padding) == nullptr) {
            *detail = "the file ends before the last row of pixels";
            return kBmpConversionError;
        }
    }
    return kBmpSuccess;
}
