// Inside the BMP reader: the bounded cursor every read of a file's bytes goes
// through, the normalised description of a source (one 40-byte information
// header plus its colour table), and the in-memory decoder that ReadBmpImage
// runs on the mapped file. The picture tool and the fuzz target call the same
// decoder on bytes they hold themselves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "imaging/bmp_reader.h"

// ---- Bounded cursor ----------------------------------------------------------
// A position inside one block of bytes. No read can pass the block's end: a
// read that does not fit fails and leaves the position where it was.
struct ByteCursor {
    const unsigned char* bytes;
    size_t length;
    size_t position;
};

inline ByteCursor CursorOver(const unsigned char* bytes, size_t length) {
    return ByteCursor{bytes, length, 0};
}

inline size_t CursorRemaining(const ByteCursor* cursor) {
    return cursor->length - cursor->position;
}

// Moves to an absolute position; false (and no move) past the end.
inline bool CursorSeek(ByteCursor* cursor, size_t position) {
    if (position > cursor->length) return false;
    cursor->position = position;
    return true;
}

// The next `count` bytes, all of them inside the block, and moves past them;
// null (and no move) when fewer remain.
inline const unsigned char* CursorTake(ByteCursor* cursor, size_t count) {
    if (count > CursorRemaining(cursor)) return nullptr;
    const unsigned char* start = cursor->bytes + cursor->position;
    cursor->position += count;
    return start;
}

inline bool CursorReadU8(ByteCursor* cursor, uint8_t* value) {
    const unsigned char* p = CursorTake(cursor, 1);
    if (p == nullptr) return false;
    *value = p[0];
    return true;
}

inline bool CursorReadU16(ByteCursor* cursor, uint16_t* value) {
    const unsigned char* p = CursorTake(cursor, 2);
    if (p == nullptr) return false;
    *value = static_cast<uint16_t>(p[0] | (p[1] << 8));
    return true;
}

inline bool CursorReadU32(ByteCursor* cursor, uint32_t* value) {
    const unsigned char* p = CursorTake(cursor, 4);
    if (p == nullptr) return false;
    *value = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
             (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
    return true;
}

// ---- Format constants ----------------------------------------------------------
constexpr size_t kFileHeaderSize = 14;
constexpr size_t kPixelOffsetField = 10;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr size_t kCoreColourEntrySize = 3;  // RGBTRIPLE
constexpr size_t kInfoColourEntrySize = 4;  // RGBQUAD
constexpr size_t kBitfieldMasksSize = 12;   // red, green and blue masks

constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_RLE8 = 1;
constexpr uint32_t BI_RLE4 = 2;
constexpr uint32_t BI_BITFIELDS = 3;

// ---- Normalised description -------------------------------------------------
struct DibInfoHeader {
    uint32_t size;
    int32_t width;
    int32_t height;
    uint16_t planes;
    uint16_t bitCount;
    uint32_t compression;
    uint32_t sizeImage;
    int32_t xPelsPerMeter;
    int32_t yPelsPerMeter;
    uint32_t clrUsed;
    uint32_t clrImportant;
};

struct RgbQuad {
    uint8_t blue, green, red, reserved;
};

// The 40-byte form of the source header, followed in the same heap block by
// `colourCount` colour entries (`colours` points at them). Released with
// FreeNormalisedDibInfo.
struct NormalisedDibInfo {
    DibInfoHeader header;
    uint16_t colourCount;
    RgbQuad* colours;
};

// Where the pixels are and what the normalised header does not carry.
struct DibSource {
    uint32_t sourceHeaderSize;  // 12 or 40
    size_t pixelOffset;         // from the start of the file
    bool pixelOffsetKnown;      // given by the file header
    uint16_t usableColours;     // colour entries present in the file, at most colourCount
    bool hasMasks;              // BI_BITFIELDS: masks follow the 40-byte header
    uint32_t masks[3];          // red, green, blue
};

// ---- Outcome ------------------------------------------------------------------
enum BmpFailure {
    kBmpSuccess = 0,
    kBmpOutOfMemory,
    kBmpUnknownFormat,
    kBmpConversionError,
};

// The text the viewer shows for a failure: "Out of memory.", "Unknown DIB file
// format." or "Image file conversion error.".
const char* BmpFailureText(BmpFailure failure);

struct BmpDecodeResult {
    ImageRecord* image;  // null on failure
    BmpFailure failure;
    const char* detail;  // why, in plain words (for the picture tool); never null
};

// Whether 24-bit rows are turned round with the SSSE3 byte shuffle, four
// pixels at a time; set where the processor has it. Without it (or for the
// rest of a row) eight-pixel blocks of 64-bit words do the work. Tests clear
// it to reach the block path.
extern bool bmpByteShuffle;

// Largest output buffer: 3 * width * |height| is a 32-bit signed product.
constexpr uint64_t kMaxOutputBytes = 0x7FFFFFFFu;

// Decodes a whole BMP or bare DIB held in memory into a new ImageRecord (two
// malloc blocks). Never reads outside [bytes, bytes + length). A picture whose
// output would exceed `maxOutputBytes` is refused as a conversion error.
BmpDecodeResult DecodeBmpBytes(const unsigned char* bytes, size_t length, uint64_t maxOutputBytes);

// Reads the headers (and colour table and masks) of the file in `bytes` into a
// new NormalisedDibInfo and `source`. On failure returns null and sets
// `failure` and `detail`; nothing stays allocated.
NormalisedDibInfo* NormaliseDib(const unsigned char* bytes, size_t length, DibSource* source,
                                BmpFailure* failure, const char** detail);
void FreeNormalisedDibInfo(NormalisedDibInfo* info);

// Row-by-row conversion of the described pixels into `output` (3 * width *
// |height| bytes, red-green-blue, bottom row first). Returns kBmpSuccess or
// kBmpConversionError with `detail` set; never reads outside the cursor's block.
BmpFailure ConvertUncompressed(const NormalisedDibInfo* info, const DibSource* source,
                               ByteCursor* file, unsigned char* output, const char** detail);
BmpFailure ConvertRunLength(const NormalisedDibInfo* info, const DibSource* source,
                            ByteCursor* file, unsigned char* output, const char** detail);

// The colour table as 4-byte red-green-blue entries for all 256 possible
// indices; indices beyond the table read black.
struct IndexPalette {
    uint8_t rgb[256][4];
};
void BuildIndexPalette(const NormalisedDibInfo* info, IndexPalette* palette);
