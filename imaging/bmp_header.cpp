// BMP headers: finds the information header (after the optional "BM" file
// header), counts the colour table, and turns a 12-byte core or 40-byte
// information header into the one 40-byte normalised description with its
// colour table, the BI_BITFIELDS masks and the position of the pixel data.
// Every read goes through the bounded cursor; a short file is refused here
// before anything the size of the picture is allocated.
#include <cstdlib>

#include "imaging/bmp_decode.h"

namespace {

constexpr size_t kHeaderSizeField = 0;
constexpr size_t kCoreBitCountField = 10;
constexpr size_t kInfoBitCountField = 14;
constexpr size_t kInfoColoursUsedField = 32;
constexpr uint32_t kVersion4HeaderSize = 108;
constexpr uint32_t kVersion5HeaderSize = 124;
constexpr uint32_t kOs2Version2HeaderSize = 64;
constexpr uint32_t kLargestColourCount = 0xFFFF;

uint16_t ColoursForBitCount(uint16_t bitCount) {
    switch (bitCount) {
        case 1:
            return 2;
        case 4:
            return 16;
        case 8:
            return 256;
        default:
            return 0;
    }
}

bool HasFileHeader(const unsigned char* bytes, size_t length) {
    return length >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
}

// The default image size: the bytes of an unpadded row times the rows, kept to
// the 32 bits of the header field (wrapping, never overflowing, for headers
// whose sizes are absurd; those pictures are refused later anyway).
uint32_t DefaultImageSize(const DibInfoHeader* header) {
    uint64_t rowBytes =
        (static_cast<uint64_t>(static_cast<uint32_t>(header->width)) * header->bitCount + 7) / 8;
    return static_cast<uint32_t>(rowBytes) * static_cast<uint32_t>(header->height);
}

const char* UnknownHeaderDetail(uint32_t headerSize) {
    switch (headerSize) {
        case kVersion4HeaderSize:
            return "its information header is 108 bytes (BMP version 4, written by a newer "
                   "program); only 12- and 40-byte headers are read";
        case kVersion5HeaderSize:
            return "its information header is 124 bytes (BMP version 5, written by a newer "
                   "program); only 12- and 40-byte headers are read";
        case kOs2Version2HeaderSize:
            return "its information header is 64 bytes (OS/2 version 2); only 12- and 40-byte "
                   "headers are read";
        default:
            return "it is not a BMP picture: it neither starts with \"BM\" nor with a 12- or "
                   "40-byte information header";
    }
}

bool ReadCoreHeader(ByteCursor* cursor, DibInfoHeader* header) {
    uint32_t size;
    uint16_t width, height, planes, bitCount;
    if (!CursorReadU32(cursor, &size) || !CursorReadU16(cursor, &width) ||
        !CursorReadU16(cursor, &height) || !CursorReadU16(cursor, &planes) ||
        !CursorReadU16(cursor, &bitCount)) {
        return false;
    }
    *header = DibInfoHeader{};
    header->size = kInfoHeaderSize;
    header->width = width;  // zero-extended
    header->height = height;
    header->planes = planes;
    header->bitCount = bitCount;
    header->compression = BI_RGB;
    return true;
}

bool ReadInfoHeader(ByteCursor* cursor, DibInfoHeader* header) {
    uint32_t size, width, height, compression, sizeImage, xPels, yPels, used, important;
    uint16_t planes, bitCount;
    if (!CursorReadU32(cursor, &size) || !CursorReadU32(cursor, &width) ||
        !CursorReadU32(cursor, &height) || !CursorReadU16(cursor, &planes) ||
        !CursorReadU16(cursor, &bitCount) || !CursorReadU32(cursor, &compression) ||
        !CursorReadU32(cursor, &sizeImage) || !CursorReadU32(cursor, &xPels) ||
        !CursorReadU32(cursor, &yPels) || !CursorReadU32(cursor, &used) ||
        !CursorReadU32(cursor, &important)) {
        return false;
    }
    header->size = kInfoHeaderSize;
    header->width = static_cast<int32_t>(width);
    header->height = static_cast<int32_t>(height);
    header->planes = planes;
    header->bitCount = bitCount;
    header->compression = compression;
    header->sizeImage = sizeImage;
    header->xPelsPerMeter = static_cast<int32_t>(xPels);
    header->yPelsPerMeter = static_cast<int32_t>(yPels);
    header->clrUsed = used;
    header->clrImportant = important;
    return true;
}

// Copies as many of the colour entries as the file holds; the rest stay black.
void ReadColourTable(ByteCursor* cursor, size_t entrySize, NormalisedDibInfo* info,
                     DibSource* source) {
    source->usableColours = 0;
    for (uint16_t i = 0; i < info->colourCount; ++i) {
        const unsigned char* entry = CursorTake(cursor, entrySize);
        if (entry == nullptr) break;
        info->colours[i] = RgbQuad{entry[0], entry[1], entry[2],
                                   entrySize == kInfoColourEntrySize ? entry[3] : uint8_t{0}};
        source->usableColours = static_cast<uint16_t>(i + 1);
    }
}

bool ReadMasks(ByteCursor* cursor, DibSource* source) {
    for (uint32_t& mask : source->masks) {
        if (!CursorReadU32(cursor, &mask)) return false;
    }
    return true;
}

NormalisedDibInfo* AllocateInfo(uint16_t colourCount) {
    size_t bytes = sizeof(NormalisedDibInfo) + colourCount * sizeof(RgbQuad);
    void* block = malloc(bytes);
    if (block == nullptr) return nullptr;
    memset(block, 0, bytes);
    NormalisedDibInfo* info = static_cast<NormalisedDibInfo*>(block);
    info->colourCount = colourCount;
    info->colours =
        reinterpret_cast<RgbQuad*>(static_cast<unsigned char*>(block) + sizeof(NormalisedDibInfo));
    return info;
}

// Fills the header, colour table and masks; the header's first byte is at
// `headerStart` and its size is already known to be 12 or 40.
bool FillDescription(ByteCursor* cursor, size_t headerStart, uint32_t headerSize,
                     NormalisedDibInfo* info, DibSource* source, const char** detail) {
    CursorSeek(cursor, headerStart);
    bool core = headerSize == kCoreHeaderSize;
    if (!(core ? ReadCoreHeader(cursor, &info->header) : ReadInfoHeader(cursor, &info->header))) {
        *detail = "the file ends inside its information header";
        return false;
    }
    // A BI_BITFIELDS header is followed by its three masks, then the colour
    // table; the masks matter only for 16 and 32 bits. Some writers set
    // BI_BITFIELDS but start the pixels right after the header, leaving no
    // room for masks: those files keep the default 5-5-5 or 8-8-8 layout.
    size_t maskBytes = 0;
    size_t afterHeader = cursor->position;
    bool roomForMasks =
        !source->pixelOffsetKnown || source->pixelOffset >= afterHeader + kBitfieldMasksSize;
    if (!core && info->header.compression == BI_BITFIELDS && roomForMasks) {
        if (!ReadMasks(cursor, source)) {
            *detail = "the file ends inside the colour masks that follow its header";
            return false;
        }
        source->hasMasks = true;
        maskBytes = kBitfieldMasksSize;
        CursorSeek(cursor, afterHeader);
    }
    size_t entrySize = core ? kCoreColourEntrySize : kInfoColourEntrySize;
    size_t tableStart = headerStart + headerSize;
    CursorSeek(cursor, tableStart);
    ReadColourTable(cursor, entrySize, info, source);
    if (!source->pixelOffsetKnown) {
        source->pixelOffset = tableStart + maskBytes + entrySize * info->colourCount;
    }
    if (info->header.sizeImage == 0) info->header.sizeImage = DefaultImageSize(&info->header);
    if (core) {
        info->header.clrUsed = info->colourCount;
        info->header.clrImportant = info->colourCount;
    } else if (info->header.clrUsed == 0) {
        info->header.clrUsed = info->colourCount;
    }
    return true;
}

}  // namespace

uint16_t CountColourEntries(const unsigned char* header, size_t available) {
    ByteCursor cursor = CursorOver(header, available);
    uint32_t headerSize;
    uint16_t bitCount;
    if (!CursorReadU32(&cursor, &headerSize)) return 0;
    if (headerSize == kCoreHeaderSize) {
        if (!CursorSeek(&cursor, kCoreBitCountField) || !CursorReadU16(&cursor, &bitCount))
            return 0;
        return ColoursForBitCount(bitCount);
    }
    uint32_t coloursUsed;
    if (!CursorSeek(&cursor, kInfoColoursUsedField) || !CursorReadU32(&cursor, &coloursUsed)) {
        return 0;
    }
    if (coloursUsed != 0) return static_cast<uint16_t>(coloursUsed & kLargestColourCount);
    if (!CursorSeek(&cursor, kInfoBitCountField) || !CursorReadU16(&cursor, &bitCount)) return 0;
    return ColoursForBitCount(bitCount);
}

NormalisedDibInfo* NormaliseDib(const unsigned char* bytes, size_t length, DibSource* source,
                                BmpFailure* failure, const char** detail) {
    ByteCursor cursor = CursorOver(bytes, length);
    *source = DibSource{};
    size_t headerStart = 0;
    if (HasFileHeader(bytes, length)) {
        uint32_t pixelOffset;
        if (!CursorSeek(&cursor, kPixelOffsetField) || !CursorReadU32(&cursor, &pixelOffset)) {
            *failure = kBmpUnknownFormat;
            *detail = "the file ends inside its 14-byte file header";
            return nullptr;
        }
        headerStart = kFileHeaderSize;
        source->pixelOffset = pixelOffset;
        source->pixelOffsetKnown = true;
    }
    uint16_t colourCount = CountColourEntries(bytes + headerStart, length - headerStart);
    NormalisedDibInfo* info = AllocateInfo(colourCount);
    if (info == nullptr) {
        *failure = kBmpOutOfMemory;
        *detail = "no memory for the picture's description";
        return nullptr;
    }
    uint32_t headerSize = 0;
    CursorSeek(&cursor, headerStart);
    if (!CursorReadU32(&cursor, &headerSize)) {
        *failure = kBmpUnknownFormat;
        *detail = "the file is too short to hold a BMP information header";
    } else if (headerSize != kCoreHeaderSize && headerSize != kInfoHeaderSize) {
        *failure = kBmpUnknownFormat;
        *detail = UnknownHeaderDetail(headerSize);
    } else if (FillDescription(&cursor, headerStart, headerSize, info, source, detail)) {
        source->sourceHeaderSize = headerSize;
        *failure = kBmpSuccess;
        return info;
    } else {
        *failure = kBmpConversionError;
    }
    FreeNormalisedDibInfo(info);
    return nullptr;
}

void FreeNormalisedDibInfo(NormalisedDibInfo* info) { free(info); }
