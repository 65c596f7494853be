// The BMP reader on damaged and hostile files: every truncation of valid
// files, offsets and counts past the end, absurd sizes, run-length streams
// that overrun the picture, and a sweep of byte mutations. Each
// gives a picture or exactly one clear message, and nothing stays open.
#include <cstring>
#include <set>

#include "tests/bmp_files.h"

namespace {

const std::set<std::string> kReaderTexts{"Unknown DIB file format.", "Image file conversion error.",
                                         "Out of memory."};

Bytes Rgb24File() {
    Bytes rows;
    for (int i = 0; i < 3 * (3 * 5 + 1); ++i) rows.push_back(static_cast<uint8_t>(i * 11));
    return WithFileHeader(InfoHeader({.width = 5, .height = 3}), {}, rows);
}

Bytes Indexed8File() {
    return WithFileHeader(InfoHeader({.width = 3, .height = 2, .bitCount = 8, .clrUsed = 4}),
                          ColourTable(4), PaddedRows({{0, 1, 2}, {3, 2, 1}}));
}

Bytes Rle8File() {
    return WithFileHeader(
        InfoHeader({.width = 6, .height = 3, .bitCount = 8, .compression = BI_RLE8, .clrUsed = 16}),
        ColourTable(16), Bytes{2, 5, 0, 3, 7, 8, 9, 0, 1, 1, 0, 0, 0, 2, 2, 1, 1, 9, 0, 1});
}

Bytes Rle4File() {
    return WithFileHeader(
        InfoHeader({.width = 7, .height = 2, .bitCount = 4, .compression = BI_RLE4}),
        ColourTable(16),
        Bytes{3, 0x12, 0, 3, 0xAB, 0xC0, 1, 0xF0, 0, 0, 0, 5, 0x12, 0x34, 0x50, 0, 2, 0x77, 0, 1});
}

Bytes CoreFile() {
    return Bare(CoreHeader(3, 2, 4), ColourTable(16, 3), PaddedRows({{0x12, 0x30}, {0xFE, 0xD0}}));
}

Bytes BitfieldsFile() {
    Bytes masks;
    for (uint32_t mask : {0xF800u, 0x07E0u, 0x001Fu}) PutU32(masks, mask);
    return Bare(InfoHeader({.width = 3, .height = 2, .bitCount = 16, .compression = BI_BITFIELDS}),
                masks, Bytes(16, 0x5A));
}

struct NamedFile {
    const char* name;
    Bytes bytes;
};

std::vector<NamedFile> ValidFiles() {
    return {{"24-bit", Rgb24File()}, {"8-bit", Indexed8File()}, {"RLE8", Rle8File()},
            {"RLE4", Rle4File()},    {"core", CoreFile()},      {"bit fields", BitfieldsFile()}};
}

using MalformedFiles = BmpFileTest;

TEST_F(MalformedFiles, TheValidFilesUsedBelowDoLoad) {
    for (const NamedFile& file : ValidFiles()) {
        ImageRecord* image = Read(file.bytes);
        ASSERT_NE(image, nullptr) << file.name;
        ExpectCleanRead(PathOf("picture.bmp"));
        Take(image);
    }
}

// A cut file is either refused with one message before its release, or (when
// only a last row's padding or bytes after a complete picture are missing)
// gives exactly the picture of the whole file.
TEST_F(MalformedFiles, EveryTruncationGivesOneMessageOrTheSamePicture) {
    for (const NamedFile& file : ValidFiles()) {
        Bytes whole = Take(Read(file.bytes));
        for (size_t length = 1; length < file.bytes.size(); ++length) {
            Bytes cut(file.bytes.begin(), file.bytes.begin() + static_cast<long>(length));
            ImageRecord* image = Read(cut);
            std::string where = std::string(file.name) + " cut to " + std::to_string(length);
            if (image != nullptr) {
                EXPECT_TRUE(fake::Boxes().empty()) << where;
                EXPECT_EQ(Take(image), whole) << where;
                continue;
            }
            ASSERT_EQ(fake::Boxes().size(), 1u) << where;
            EXPECT_TRUE(kReaderTexts.count(fake::Boxes()[0].text)) << where;
            EXPECT_EQ(fake::Calls().size(), 7u) << where;  // open, map, view, box, three releases
            EXPECT_EQ(fake::Calls().back(), "CloseFile") << where;
        }
    }
}

TEST_F(MalformedFiles, TruncationsThatLoseDataAreRefused) {
    Bytes file = Rgb24File();
    file.resize(file.size() - 4);  // three pixel bytes of the last row gone
    ExpectFailure(file, kConversionError);
    file = Indexed8File();
    file.resize(14 + 40 + 6);  // inside the colour table
    ExpectFailure(file, kConversionError);
    file = Rle8File();
    file.resize(file.size() - 4);  // the last run and the end mark gone
    ExpectFailure(file, kConversionError);
    ExpectFailure(Bytes{'B', 'M', 0, 0}, kUnknownFormat);
    ExpectFailure(Bytes{12, 0, 0, 0, 4, 0}, kConversionError);  // a core header cut short
}

TEST_F(MalformedFiles, OffsetsAndCountsPastTheEndAreRefused) {
    for (uint32_t offset : {0xFFFFFFFFu, 0x80000000u, 70u, 14u + 40 + 5}) {
        Bytes file = Rgb24File();
        memcpy(file.data() + 10, &offset, 4);
        ExpectFailure(file, kConversionError);
    }
    // A colours-used count that puts a bare DIB's pixels far past the end.
    ExpectFailure(Bare(InfoHeader({.width = 2, .height = 2, .clrUsed = 0xFFFF}), {}, Bytes(16, 1)),
                  kConversionError);
    // ... and one above any table for an indexed picture.
    ExpectFailure(
        WithFileHeader(InfoHeader({.width = 2, .height = 1, .bitCount = 8, .clrUsed = 0x10002}),
                       ColourTable(2), Bytes{0, 1, 0, 0}),
        kConversionError);
    // Bit-field masks cut off by the end of the file.
    ExpectFailure(
        Bare(InfoHeader({.width = 1, .height = 1, .bitCount = 16, .compression = BI_BITFIELDS}), {},
             Bytes{0xFF, 0xFF, 0, 0}),
        kConversionError);
}

// Sizes whose output would not fit the 32-bit product are refused.
TEST_F(MalformedFiles, AbsurdSizesAreRefused) {
    struct Size {
        int32_t width, height;
        uint16_t bits;
        uint32_t compression;
    };
    for (Size s : {Size{0x7FFFFFFF, 0x7FFFFFFF, 24, BI_RGB}, Size{0x7FFFFFFF, 1, 24, BI_RGB},
                   Size{1, INT32_MIN, 24, BI_RGB}, Size{65536, 65536, 8, BI_RLE8},
                   Size{0x40000000, 2, 1, BI_RGB}, Size{46341, 46341, 32, BI_RGB},
                   Size{30000, 30000, 4, BI_RLE4}}) {
        ExpectFailure(WithFileHeader(InfoHeader({.width = s.width,
                                                 .height = s.height,
                                                 .bitCount = s.bits,
                                                 .compression = s.compression}),
                                     ColourTable(16), Bytes{0, 1}),
                      kConversionError);
    }
    ExpectFailure(Bare(CoreHeader(65535, 65535, 24), {}, Bytes(64, 0)), kConversionError);
}

TEST_F(MalformedFiles, RunLengthStreamsThatLeaveThePictureAreRefused) {
    const std::vector<std::pair<const char*, Bytes>> streams{
        {"delta past the right edge", {0, 2, 5, 0, 0, 1}},
        {"delta past the top", {0, 2, 0, 3, 0, 1}},
        {"pixels past the last row", {0, 0, 0, 0, 1, 1, 0, 1}},
        {"stream ends before the picture does", {4, 1, 0, 0}},
        {"stream cut inside an absolute run", {0, 4, 1, 2}},
        {"stream cut inside a delta", {0, 2, 1}},
    };
    for (const auto& [what, stream] : streams) {
        SCOPED_TRACE(what);
        ExpectFailure(
            WithFileHeader(
                InfoHeader({.width = 4, .height = 2, .bitCount = 8, .compression = BI_RLE8}),
                ColourTable(256), stream),
            kConversionError);
    }
    // Run-length pictures cannot be stored top row first.
    ExpectFailure(WithFileHeader(
                      InfoHeader({.width = 1, .height = -1, .bitCount = 8, .compression = BI_RLE8}),
                      ColourTable(256), Bytes{1, 1, 0, 1}),
                  kConversionError);
}

}  // namespace
