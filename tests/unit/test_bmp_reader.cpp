// The BMP reader on crafted files: the output layout, every bit depth and
// compression, both header forms, the file header's presence and offset, the
// colour count, the failure texts and the release of everything it opened.
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <thread>

#include <unistd.h>

#include "tests/bmp_files.h"

namespace {

using ReaderLayout = BmpFileTest;

TEST_F(ReaderLayout, Rgb24ThreeByTwoDropsRowPaddingAndSwapsToRedGreenBlue) {
    Bytes rows = PaddedRows({{1, 2, 3, 4, 5, 6, 7, 8, 9}, {11, 12, 13, 14, 15, 16, 17, 18, 19}});
    ASSERT_EQ(rows.size(), 24u);
    ImageRecord* image = Read(WithFileHeader(InfoHeader({.width = 3, .height = 2}), {}, rows));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 3);
    EXPECT_EQ(image->height, 2);
    ExpectCleanRead(PathOf("picture.bmp"));
    EXPECT_EQ(Take(image), (Bytes{3, 2, 1, 6, 5, 4, 9, 8, 7, 13, 12, 11, 16, 15, 14, 19, 18, 17}));
}

TEST_F(ReaderLayout, Rgb24OfAnyWidthIsTheFileWithBlueAndRedSwapped) {
    // Widths round the 4-pixel shuffles and the 8-pixel blocks, with and
    // without padding; with the byte shuffle (where the CPU has it) and without.
    const bool shuffle = bmpByteShuffle;
    for (bool useShuffle : {shuffle, false})
        for (int32_t width : {4, 8, 9, 16, 17, 23, 24, 31}) {
            bmpByteShuffle = useShuffle;
            std::vector<Bytes> rows;
            Bytes expected;
            for (int y = 0; y < 3; ++y) {
                Bytes row;
                for (int x = 0; x < 3 * width; ++x)
                    row.push_back(static_cast<uint8_t>(x * 7 + y * 31));
                for (int x = 0; x < width; ++x) {
                    expected.insert(expected.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]});
                }
                rows.push_back(row);
            }
            ImageRecord* image = Read(
                WithFileHeader(InfoHeader({.width = width, .height = 3}), {}, PaddedRows(rows)));
            bmpByteShuffle = shuffle;
            ASSERT_NE(image, nullptr) << width;
            EXPECT_EQ(Take(image), expected) << "width " << width << " shuffle " << useShuffle;
        }
}

TEST_F(ReaderLayout, TopDownFileIsTurnedBottomRowFirstWithPositiveHeight) {
    Bytes rows = PaddedRows({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}});  // top row first
    ImageRecord* image = Read(WithFileHeader(InfoHeader({.width = 1, .height = -3}), {}, rows));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->height, 3);
    EXPECT_EQ(Take(image), (Bytes{9, 8, 7, 6, 5, 4, 3, 2, 1}));
}

using ReaderIndexed = BmpFileTest;

Bytes EveryIndexRows() {  // 16 x 16 pixels, one of each byte value
    std::vector<Bytes> rows;
    for (int y = 0; y < 16; ++y) {
        Bytes row;
        for (int x = 0; x < 16; ++x) row.push_back(static_cast<uint8_t>(16 * y + x));
        rows.push_back(row);
    }
    return PaddedRows(rows);
}

Bytes EveryIndexExpected() {
    Bytes expected;
    for (int i = 0; i < 256; ++i) Append(expected, RgbOfEntry(i));
    return expected;
}

TEST_F(ReaderIndexed, EightBitPixelsTakeTheirColourTableEntry) {
    ImageRecord* image = Read(WithFileHeader(InfoHeader({.width = 16, .height = 16, .bitCount = 8}),
                                             ColourTable(256), EveryIndexRows()));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Take(image), EveryIndexExpected());
}

TEST_F(ReaderIndexed, CoreHeaderWithThreeByteEntriesGivesTheSameOutput) {
    ImageRecord* image =
        Read(WithFileHeader(CoreHeader(16, 16, 8), ColourTable(256, 3), EveryIndexRows()));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Take(image), EveryIndexExpected());
    // and as a bare DIB, the pixels right after the 3-byte entries
    image = Read(Bare(CoreHeader(16, 16, 8), ColourTable(256, 3), EveryIndexRows()));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Take(image), EveryIndexExpected());
}

TEST_F(ReaderIndexed, BareDibWithSixteenColoursUsedHasItsPixelsRightAfterSixteenEntries) {
    Bytes file = Bare(InfoHeader({.width = 4, .height = 1, .bitCount = 8, .clrUsed = 16}),
                      ColourTable(16), Bytes{15, 0, 7, 9});
    ImageRecord* image = Read(file);
    ASSERT_NE(image, nullptr);
    Bytes expected = RgbOfEntry(15);
    for (int i : {0, 7, 9}) Append(expected, RgbOfEntry(i));
    EXPECT_EQ(Take(image), expected);
}

TEST_F(ReaderIndexed, FileHeaderOffsetIsObeyedAcrossAGap) {
    Bytes file = WithFileHeader(InfoHeader({.width = 4, .height = 1, .bitCount = 8}),
                                ColourTable(256), Bytes{1, 2, 3, 4}, 37);
    ImageRecord* image = Read(file);
    ASSERT_NE(image, nullptr);
    Bytes expected;
    for (int i : {1, 2, 3, 4}) Append(expected, RgbOfEntry(i));
    EXPECT_EQ(Take(image), expected);
}

TEST_F(ReaderIndexed, BareDibWithFullTableReadsPixelsAfterTheTable) {
    ImageRecord* image = Read(Bare(InfoHeader({.width = 16, .height = 16, .bitCount = 8}),
                                   ColourTable(256), EveryIndexRows()));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Take(image), EveryIndexExpected());
}

TEST_F(ReaderIndexed, OneAndFourBitPixelsRunFromTheMostSignificantBits) {
    // 10 one-bit pixels: 1011 0010 | 01.. ....
    ImageRecord* image = Read(WithFileHeader(InfoHeader({.width = 10, .height = 1, .bitCount = 1}),
                                             ColourTable(2), PaddedRows({{0xB2, 0x40}})));
    ASSERT_NE(image, nullptr);
    Bytes expected;
    for (int bit : {1, 0, 1, 1, 0, 0, 1, 0, 0, 1}) Append(expected, RgbOfEntry(bit));
    EXPECT_EQ(Take(image), expected);
    // 5 four-bit pixels: 0x3A 0xF0 0x5_
    image = Read(WithFileHeader(InfoHeader({.width = 5, .height = 1, .bitCount = 4}),
                                ColourTable(16), PaddedRows({{0x3A, 0xF0, 0x5C}})));
    ASSERT_NE(image, nullptr);
    expected.clear();
    for (int index : {3, 10, 15, 0, 5}) Append(expected, RgbOfEntry(index));
    EXPECT_EQ(Take(image), expected);
}

TEST_F(ReaderIndexed, IndicesBeyondAShortColourTableAreBlack) {
    ImageRecord* image =
        Read(WithFileHeader(InfoHeader({.width = 3, .height = 1, .bitCount = 8, .clrUsed = 2}),
                            ColourTable(2), PaddedRows({{1, 2, 255}})));
    ASSERT_NE(image, nullptr);
    Bytes expected = RgbOfEntry(1);
    expected.resize(9, 0);
    EXPECT_EQ(Take(image), expected);
}

using ReaderDirectColour = BmpFileTest;

TEST_F(ReaderDirectColour, SixteenBitIsFiveFiveFiveWidenedByRepeatingBits) {
    // red 31, green 0, blue 16 with bit 15 set; then red 1, green 16, blue 31.
    uint16_t first = 0x8000 | (31 << 10) | (0 << 5) | 16;
    uint16_t second = (1 << 10) | (16 << 5) | 31;
    Bytes row;
    PutU16(row, first);
    PutU16(row, second);
    ImageRecord* image =
        Read(WithFileHeader(InfoHeader({.width = 2, .height = 1, .bitCount = 16}), {}, row));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Take(image), (Bytes{255, 0, 132, 8, 132, 255}));
}

TEST_F(ReaderDirectColour, BitFieldsFollowTheirMasks) {
    // 16-bit 5-6-5: red 31, green 63, blue 0 and red 0, green 32, blue 31.
    Bytes masks;
    for (uint32_t mask : {0xF800u, 0x07E0u, 0x001Fu}) PutU32(masks, mask);
    Bytes row;
    PutU16(row, 0xFFE0);
    PutU16(row, (32 << 5) | 31);
    InfoFields fields{.width = 2, .height = 1, .bitCount = 16, .compression = BI_BITFIELDS};
    ImageRecord* image = Read(WithFileHeader(InfoHeader(fields), masks, row));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Take(image), (Bytes{255, 255, 0, 0, 130, 255}));
    // In a bare DIB the pixels follow the masks.
    image = Read(Bare(InfoHeader(fields), masks, row));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Take(image), (Bytes{255, 255, 0, 0, 130, 255}));
    // 32-bit with masks in an unusual order: red in the low byte.
    masks.clear();
    for (uint32_t mask : {0x000000FFu, 0x0000FF00u, 0xFF000000u}) PutU32(masks, mask);
    fields.bitCount = 32;
    image = Read(WithFileHeader(InfoHeader(fields), masks, Bytes{10, 20, 30, 40, 1, 2, 3, 4}));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Take(image), (Bytes{10, 20, 40, 1, 2, 4}));
}

TEST_F(ReaderDirectColour, BitFieldsWithNoRoomForMasksKeepTheDefaultLayout) {
    // The file header puts the pixels right after the 40-byte header.
    Bytes row;
    PutU16(row, (31 << 10) | (16 << 5) | 1);
    PutU16(row, 0);
    ImageRecord* image = Read(WithFileHeader(
        InfoHeader({.width = 2, .height = 1, .bitCount = 16, .compression = BI_BITFIELDS}), {},
        row));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Take(image), (Bytes{255, 132, 8, 0, 0, 0}));
    image = Read(WithFileHeader(
        InfoHeader({.width = 1, .height = 1, .bitCount = 32, .compression = BI_BITFIELDS}), {},
        Bytes{1, 2, 3, 4}));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Take(image), (Bytes{3, 2, 1}));
}

TEST_F(ReaderDirectColour, BitFieldsWithScatteredMaskBitsAreRefused) {
    Bytes masks;
    for (uint32_t mask : {0xF00Fu, 0x07E0u, 0x001Fu}) PutU32(masks, mask);
    ExpectFailure(
        WithFileHeader(
            InfoHeader({.width = 2, .height = 1, .bitCount = 16, .compression = BI_BITFIELDS}),
            masks, Bytes{0, 0, 0, 0}),
        kConversionError);
}

TEST_F(ReaderDirectColour, ThirtyTwoBitIgnoresTheFourthByte) {
    Bytes pixels{1, 2, 3, 0xFF, 4, 5, 6, 0x00, 7, 8, 9, 0x80};
    ImageRecord* image =
        Read(WithFileHeader(InfoHeader({.width = 3, .height = 1, .bitCount = 32}), {}, pixels));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Take(image), (Bytes{3, 2, 1, 6, 5, 4, 9, 8, 7}));
}

using ReaderRunLength = BmpFileTest;

TEST_F(ReaderRunLength, Rle8RunsEscapesAndLeftOutPixels) {
    // 6 x 3: row 0 "run of 2 x index 5, absolute 3 (padded), end of line";
    // row 1 "delta right 2 up 1" from (0,1) lands on (2,2) leaving row 1 black;
    // row 2 "run of 1 x index 9", then end of picture: the rest is black.
    Bytes stream{2, 5, 0, 3, 7, 8, 9, 0, 0, 0, 0, 2, 2, 1, 1, 9, 0, 1};
    ImageRecord* image = Read(
        WithFileHeader(InfoHeader({.width = 6, .height = 3, .bitCount = 8, .compression = BI_RLE8}),
                       ColourTable(256), stream));
    ASSERT_NE(image, nullptr);
    Bytes black{0, 0, 0}, expected;
    for (int i : {5, 5, 7, 8, 9}) Append(expected, RgbOfEntry(i));
    Append(expected, black);                              // row 0 after end of line
    for (int i = 0; i < 6; ++i) Append(expected, black);  // row 1 skipped by the delta
    Append(expected, black);
    Append(expected, black);
    Append(expected, RgbOfEntry(9));
    for (int i = 0; i < 3; ++i) Append(expected, black);  // after end of picture
    EXPECT_EQ(Take(image), expected);
}

TEST_F(ReaderRunLength, Rle4AlternatesNibblesAndPadsAbsoluteRuns) {
    // 7 x 1: run of 3 of 0x12 -> 1 2 1; absolute 3 pixels 0xAB 0xC_ (2 bytes, even);
    // then 1 pixel of 0xF0; end of picture.
    Bytes stream{3, 0x12, 0, 3, 0xAB, 0xC0, 1, 0xF0, 0, 1};
    ImageRecord* image = Read(
        WithFileHeader(InfoHeader({.width = 7, .height = 1, .bitCount = 4, .compression = BI_RLE4}),
                       ColourTable(16), stream));
    ASSERT_NE(image, nullptr);
    Bytes expected;
    for (int i : {1, 2, 1, 10, 11, 12, 15}) Append(expected, RgbOfEntry(i));
    EXPECT_EQ(Take(image), expected);
    // An absolute run of 5 takes 3 bytes and one pad byte.
    stream = {0, 5, 0x12, 0x34, 0x50, 0x00, 0, 1};
    image = Read(
        WithFileHeader(InfoHeader({.width = 5, .height = 1, .bitCount = 4, .compression = BI_RLE4}),
                       ColourTable(16), stream));
    ASSERT_NE(image, nullptr);
    expected.clear();
    for (int i : {1, 2, 3, 4, 5}) Append(expected, RgbOfEntry(i));
    EXPECT_EQ(Take(image), expected);
}

TEST_F(ReaderRunLength, StreamThatFillsThePictureNeedsNoEndMark) {
    ImageRecord* image = Read(
        WithFileHeader(InfoHeader({.width = 2, .height = 2, .bitCount = 8, .compression = BI_RLE8}),
                       ColourTable(256), Bytes{2, 4, 0, 0, 2, 6, 0, 0}));
    ASSERT_NE(image, nullptr);
    Bytes expected;
    for (int i : {4, 4, 6, 6}) Append(expected, RgbOfEntry(i));
    EXPECT_EQ(Take(image), expected);
}

TEST_F(ReaderRunLength, RunsPastTheRowEndAreClippedNotWrapped) {
    // Writers such as ImageMagick's encode the row padding as pixels too.
    // 3 x 2: row 0 "run of 4 x index 1" then "run of 2 x index 9" (all past
    // the end), end of line; row 1 "absolute 5", end of picture.
    Bytes stream{4, 1, 2, 9, 0, 0, 0, 5, 2, 3, 4, 5, 6, 0, 0, 1};
    ImageRecord* image = Read(
        WithFileHeader(InfoHeader({.width = 3, .height = 2, .bitCount = 8, .compression = BI_RLE8}),
                       ColourTable(256), stream));
    ASSERT_NE(image, nullptr);
    Bytes expected;
    for (int i : {1, 1, 1, 2, 3, 4}) Append(expected, RgbOfEntry(i));
    EXPECT_EQ(Take(image), expected);
    // RLE4 counts pixels, not bytes: 5 pixels of 0x12 in a row of 4.
    image = Read(
        WithFileHeader(InfoHeader({.width = 4, .height = 1, .bitCount = 4, .compression = BI_RLE4}),
                       ColourTable(16), Bytes{5, 0x12, 0, 1}));
    ASSERT_NE(image, nullptr);
    expected.clear();
    for (int i : {1, 2, 1, 2}) Append(expected, RgbOfEntry(i));
    EXPECT_EQ(Take(image), expected);
}

using ReaderFailures = BmpFileTest;

TEST_F(ReaderFailures, NewerHeadersTextAndBitCountTwoAreRefusedWithTheirTexts) {
    for (uint32_t size : {108u, 124u}) {
        ExpectFailure(WithFileHeader(InfoHeader({.width = 1, .height = 1, .headerSize = size}), {},
                                     Bytes{1, 2, 3, 0}),
                      kUnknownFormat);
    }
    const char text[] = "Dear reader, this is not a picture at all.\n";
    ExpectFailure(Bytes(text, text + strlen(text)), kUnknownFormat);
    ExpectFailure(WithFileHeader(InfoHeader({.width = 4, .height = 1, .bitCount = 2}),
                                 ColourTable(4), Bytes{0, 0, 0, 0}),
                  kConversionError);
}

TEST_F(ReaderFailures, CompressionMustBelongToItsBitCount) {
    struct Case {
        uint16_t bits;
        uint32_t compression;
    };
    for (Case c : {Case{4, BI_RLE8}, Case{8, BI_RLE4}, Case{24, BI_RLE8}, Case{24, BI_BITFIELDS},
                   Case{8, BI_BITFIELDS}, Case{24, 4}, Case{24, 5}, Case{0, 4}, Case{3, BI_RGB}}) {
        ExpectFailure(
            WithFileHeader(
                InfoHeader(
                    {.width = 1, .height = 1, .bitCount = c.bits, .compression = c.compression}),
                ColourTable(16), Bytes(64, 0)),
            kConversionError);
    }
}

TEST_F(ReaderFailures, PicturesWithoutPixelsAreRefused) {
    for (InfoFields f : {InfoFields{.width = 0, .height = 4}, InfoFields{.width = 4, .height = 0},
                         InfoFields{.width = -4, .height = 4}}) {
        ExpectFailure(WithFileHeader(InfoHeader(f), {}, Bytes(64, 0)), kConversionError);
    }
}

TEST_F(ReaderFailures, MissingAndEmptyFilesGiveTheOpenTextAfterTheRelease) {
    std::string missing = PathOf("no such picture.bmp");
    fake::Reset();
    EXPECT_EQ(ReadBmpImage(missing.c_str()), nullptr);
    ASSERT_EQ(fake::Boxes().size(), 1u);
    EXPECT_EQ(fake::Boxes()[0].text, "Failed to open DIB file " + missing + ".\n");
    EXPECT_EQ(fake::Boxes()[0].caption, "Error");
    EXPECT_EQ(fake::Calls(), (std::vector<std::string>{"OpenFile " + missing, "MessageBox Error"}));

    std::string empty = Write({}, "empty.bmp");
    fake::Reset();
    EXPECT_EQ(ReadBmpImage(empty.c_str()), nullptr);
    ASSERT_EQ(fake::Boxes().size(), 1u);
    EXPECT_EQ(fake::Boxes()[0].text, "Failed to open DIB file " + empty + ".\n");
    EXPECT_EQ(fake::Calls(), (std::vector<std::string>{"OpenFile " + empty, "CreateFileMapping",
                                                       "CloseFile", "MessageBox Error"}));
}

TEST_F(ReaderFailures, EachFailedFileStepReleasesWhatWasOpenedThenShowsOneBox) {
    std::string path = Write(WithFileHeader(InfoHeader({}), {}, Bytes{1, 2, 3, 0}));
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases{
        {"OpenFile", {"OpenFile " + path, "MessageBox Error"}},
        {"CreateFileMapping",
         {"OpenFile " + path, "CreateFileMapping", "CloseFile", "MessageBox Error"}},
        {"MapViewOfFile",
         {"OpenFile " + path, "CreateFileMapping", "MapViewOfFile", "CloseFileMapping", "CloseFile",
          "MessageBox Error"}},
    };
    for (const auto& [step, expected] : cases) {
        fake::Reset();
        fake::FailCall(step);
        EXPECT_EQ(ReadBmpImage(path.c_str()), nullptr) << step;
        EXPECT_EQ(fake::Calls(), expected) << step;
        ASSERT_EQ(fake::Boxes().size(), 1u) << step;
        EXPECT_EQ(fake::Boxes()[0].text, "Failed to open DIB file " + path + ".\n");
    }
}

// Another program changes the picture while it is mapped: each change is
// refused with one box, and the view is released as usual. A read past a new
// end must not end the process; a cut inside the last page raises no fault; a
// file cut and grown back, or rewritten in place, is as long as before.
TEST_F(ReaderFailures, PictureChangedWhileMappedIsRefused) {
    std::vector<Bytes> rows(64, Bytes(3 * 256, 7));
    const Bytes picture =
        WithFileHeader(InfoHeader({.width = 256, .height = 64}), {}, PaddedRows(rows));
    Bytes other = picture;
    std::fill(other.begin() + 54, other.end(), 9);
    Bytes longer = other;
    longer.resize(picture.size() + 5000, 9);
    const auto rewrite = [](const std::string& path, const Bytes& bytes) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    };
    const size_t size = picture.size();  // 13 pages, 54 bytes in the last
    const std::vector<
        std::pair<std::string, std::function<void(const std::string&, const unsigned char*)>>>
        changes{
            {"cut short", [](auto& path, auto) { std::filesystem::resize_file(path, 100); }},
            {"cut inside the last page",
             [size](auto& path, auto) { std::filesystem::resize_file(path, size - 20); }},
            {"cut, read and grown back",
             [size](auto& path, const unsigned char* view) {
                 std::filesystem::resize_file(path, 100);
                 const volatile unsigned char* last = view + size - 1;
                 EXPECT_EQ(*last, 0);  // a bus error, read as zeros
                 std::filesystem::resize_file(path, size);
             }},
            {"rewritten at its length", [&](auto& path, auto) { rewrite(path, other); }},
            {"rewritten at its length, its modification time put back",
             [&](auto& path, auto) {
                 const auto written = std::filesystem::last_write_time(path);
                 // Past the clock tick that stamped the change time when mapped.
                 std::this_thread::sleep_for(std::chrono::milliseconds(20));
                 rewrite(path, other);
                 std::filesystem::last_write_time(path, written);
             }},
            {"rewritten longer", [&](auto& path, auto) { rewrite(path, longer); }},
        };
    for (const auto& [change, apply] : changes) {
        std::string path = Write(picture);
        // Written long ago, so that a change within the clock's tick shows.
        std::filesystem::last_write_time(
            path, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
        FileHandle file = PlatOpenFileForReading(path.c_str());
        FileMappingHandle mapping = PlatCreateFileMapping(file);
        size_t length = 0;
        const unsigned char* view = PlatMapViewOfFile(mapping, &length);
        ASSERT_NE(view, nullptr) << change;
        EXPECT_TRUE(PlatMappedViewIntact(view, length)) << change;
        apply(path, view);
        fake::Reset();
        EXPECT_EQ(DecodeMappedBmp(view, length), nullptr) << change;
        std::vector<std::string> texts;
        for (const auto& box : fake::Boxes()) texts.push_back(box.text);
        EXPECT_EQ(texts, std::vector<std::string>{"Image file conversion error."}) << change;
        EXPECT_TRUE(PlatUnmapViewOfFile(view, length));
        EXPECT_TRUE(PlatCloseFileMapping(mapping));
        EXPECT_TRUE(PlatCloseFile(file));
    }
}

// A SIGBUS that is not a fault inside a view goes on to the action there
// before, whatever its flags: one sent to a process that has a view mapped
// still ends it under SIG_DFL and is dropped under SIG_IGN, with SA_SIGINFO
// set or not (the kernel leaves SIG_DFL with it once an SA_RESETHAND handler
// has fired); it reaches a handler of the program's own, after which the
// guard still catches a cut; an SA_RESETHAND handler is called once only.
TEST_F(ReaderFailures, BusErrorsNotOfAViewGoOnToTheActionBefore) {
    const size_t size = 54 + 64 * 768;
    std::string path = Write(WithFileHeader(InfoHeader({.width = 256, .height = 64}), {},
                                            PaddedRows(std::vector<Bytes>(64, Bytes(768, 7)))));
    const auto mapView = [&path] {
        size_t length = 0;
        return PlatMapViewOfFile(PlatCreateFileMapping(PlatOpenFileForReading(path.c_str())),
                                 &length);
    };
    // The action before as the program set it (a sanitizer's own handler,
    // which would exit instead, is replaced too), then one SIGBUS sent, by
    // raise or by kill (whose si_code is 0).
    const auto send = [&mapView](void (*handler)(int), int flags, bool byKill = false) {
        struct sigaction action = {};
        action.sa_handler = handler;
        action.sa_flags = flags;
        sigaction(SIGBUS, &action, nullptr);
        mapView();
        if (byKill)
            kill(getpid(), SIGBUS);
        else
            std::raise(SIGBUS);
        std::_Exit(0);
    };
    for (int flags : {0, SA_SIGINFO}) {
        EXPECT_EXIT(send(SIG_DFL, flags), testing::KilledBySignal(SIGBUS), "") << flags;
        EXPECT_EXIT(send(SIG_IGN, flags), testing::ExitedWithCode(0), "") << flags;
        EXPECT_EXIT(send(SIG_IGN, flags, true), testing::ExitedWithCode(0), "") << flags;
    }

    static volatile std::sig_atomic_t calls = 0;
    EXPECT_EXIT(
        {
            // Called once, for the signal sent; a second call is a fault that
            // was the guard's, which would come back for ever.
            std::signal(SIGBUS, [](int) {
                calls = calls + 1;
                if (calls > 1) std::_Exit(3);
            });
            const unsigned char* view = mapView();
            std::raise(SIGBUS);
            std::filesystem::resize_file(path, 100);
            const volatile unsigned char* last = view + size - 1;
            const bool zeros = *last == 0;
            std::_Exit(calls == 1 && zeros && !PlatMappedViewIntact(view, size) ? 0 : 4);
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EXIT(
        {
            struct sigaction action = {};
            action.sa_sigaction = [](int, siginfo_t*, void*) {
                calls = calls + 1;
                if (calls > 1) std::_Exit(3);
            };
            action.sa_flags = SA_SIGINFO | SA_RESETHAND;
            sigaction(SIGBUS, &action, nullptr);
            mapView();
            std::raise(SIGBUS);
            std::raise(SIGBUS);  // the default action now
        },
        testing::KilledBySignal(SIGBUS), "");
}

TEST_F(ReaderFailures, OpenTextOfAVeryLongPathStaysInItsBufferAndKeepsTheFileName) {
    std::string path = "/nowhere/" + std::string(300, 'd') + "/\xC3\xA9toile-Sun.bmp";
    fake::Reset();
    EXPECT_EQ(ReadBmpImage(path.c_str()), nullptr);
    ASSERT_EQ(fake::Boxes().size(), 1u);
    const std::string& text = fake::Boxes()[0].text;
    EXPECT_LE(text.size(), 255u);
    EXPECT_EQ(text.rfind("Failed to open DIB file ...", 0), 0u);
    EXPECT_EQ(text.substr(text.size() - 17), "\xC3\xA9toile-Sun.bmp.\n");
    // A path that just fits is shown whole.
    std::string fits = "/" + std::string(228, 'f');
    fake::Reset();
    EXPECT_EQ(ReadBmpImage(fits.c_str()), nullptr);
    EXPECT_EQ(fake::Boxes()[0].text, "Failed to open DIB file " + fits + ".\n");
    EXPECT_EQ(fake::Boxes()[0].text.size(), 255u);
}

using ReaderDescription = BmpFileTest;

TEST_F(ReaderDescription, CountColourEntriesFollowsHeaderSizeColoursUsedAndBitCount) {
    Bytes core = CoreHeader(1, 1, 4);
    EXPECT_EQ(CountColourEntries(core.data(), core.size()), 16);
    EXPECT_EQ(CountColourEntries(core.data(), 11), 0);  // the bit count is cut off
    Bytes info = InfoHeader({.bitCount = 8});
    EXPECT_EQ(CountColourEntries(info.data(), info.size()), 256);
    EXPECT_EQ(CountColourEntries(InfoHeader({.bitCount = 1}).data(), 40), 2);
    EXPECT_EQ(CountColourEntries(InfoHeader({.bitCount = 24}).data(), 40), 0);
    EXPECT_EQ(CountColourEntries(InfoHeader({.bitCount = 24, .clrUsed = 7}).data(), 40), 7);
    // the low 16 bits of a large colours-used field; any size but 12 reads the 40-byte layout
    EXPECT_EQ(CountColourEntries(InfoHeader({.bitCount = 8, .clrUsed = 0x10010}).data(), 40), 16);
    EXPECT_EQ(CountColourEntries(InfoHeader({.bitCount = 8, .headerSize = 124}).data(), 124), 256);
    EXPECT_EQ(CountColourEntries(info.data(), 35), 0);
    EXPECT_EQ(CountColourEntries(info.data(), 0), 0);
}

}  // namespace
