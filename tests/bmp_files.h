// Crafting BMP files byte by byte for the reader's tests, and a fixture that
// writes them into a fresh temporary folder and reads them back through
// ReadBmpImage on the scripted platform.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "imaging/bmp_decode.h"
#include "imaging/bmp_reader.h"
#include "platform/fake_platform.h"

using Bytes = std::vector<uint8_t>;

inline void PutU16(Bytes& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

inline void PutU32(Bytes& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

inline void Append(Bytes& out, const Bytes& more) {
    out.insert(out.end(), more.begin(), more.end());
}

struct InfoFields {
    int32_t width = 1;
    int32_t height = 1;
    uint16_t bitCount = 24;
    uint32_t compression = 0;
    uint32_t clrUsed = 0;
    uint32_t sizeImage = 0;
    uint32_t headerSize = 40;  // 108 and 124 get zero-filled tails
    uint16_t planes = 1;
};

inline Bytes InfoHeader(const InfoFields& f) {
    Bytes out;
    PutU32(out, f.headerSize);
    PutU32(out, static_cast<uint32_t>(f.width));
    PutU32(out, static_cast<uint32_t>(f.height));
    PutU16(out, f.planes);
    PutU16(out, f.bitCount);
    PutU32(out, f.compression);
    PutU32(out, f.sizeImage);
    PutU32(out, 2835);
    PutU32(out, 2835);
    PutU32(out, f.clrUsed);
    PutU32(out, 0);
    out.resize(f.headerSize < 40 ? 40 : f.headerSize, 0);
    return out;
}

inline Bytes CoreHeader(uint16_t width, uint16_t height, uint16_t bitCount) {
    Bytes out;
    PutU32(out, 12);
    PutU16(out, width);
    PutU16(out, height);
    PutU16(out, 1);
    PutU16(out, bitCount);
    return out;
}

// A recognisable colour for each index: red i, green 255 - i, blue 3i + 1.
inline uint8_t EntryRed(int i) { return static_cast<uint8_t>(i); }
inline uint8_t EntryGreen(int i) { return static_cast<uint8_t>(255 - i); }
inline uint8_t EntryBlue(int i) { return static_cast<uint8_t>(3 * i + 1); }

// `count` colour entries, 4 bytes each (blue, green, red, 0) or 3 for a core header.
inline Bytes ColourTable(int count, size_t entrySize = 4) {
    Bytes out;
    for (int i = 0; i < count; ++i) {
        out.push_back(EntryBlue(i));
        out.push_back(EntryGreen(i));
        out.push_back(EntryRed(i));
        if (entrySize == 4) out.push_back(0);
    }
    return out;
}

inline Bytes RgbOfEntry(int i) { return Bytes{EntryRed(i), EntryGreen(i), EntryBlue(i)}; }

// "BM", file size, reserved, pixel offset: the header, table and `gap` bytes on.
inline Bytes WithFileHeader(const Bytes& header, const Bytes& table, const Bytes& pixels,
                            size_t gap = 0) {
    Bytes out{'B', 'M'};
    uint32_t offset = static_cast<uint32_t>(14 + header.size() + table.size() + gap);
    PutU32(out, static_cast<uint32_t>(offset + pixels.size()));
    PutU32(out, 0);
    PutU32(out, offset);
    Append(out, header);
    Append(out, table);
    out.resize(out.size() + gap, 0xEE);
    Append(out, pixels);
    return out;
}

inline Bytes Bare(const Bytes& header, const Bytes& table, const Bytes& pixels) {
    Bytes out = header;
    Append(out, table);
    Append(out, pixels);
    return out;
}

// Stored rows of `rowBytes` each, padded to 4 bytes.
inline Bytes PaddedRows(const std::vector<Bytes>& rows) {
    Bytes out;
    for (const Bytes& row : rows) {
        Append(out, row);
        out.resize((out.size() + 3) & ~size_t{3}, 0);
    }
    return out;
}

class BmpFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fake::Reset();
        std::random_device random;
        folder_ = std::filesystem::temp_directory_path() /
                  ("heliora-bmp-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(folder_);
    }

    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    std::string PathOf(const std::string& name) const { return (folder_ / name).string(); }

    std::string Write(const Bytes& bytes, const std::string& name = "picture.bmp") {
        std::string path = PathOf(name);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    // Reads `bytes` through a file with a fresh call log.
    ImageRecord* Read(const Bytes& bytes) {
        std::string path = Write(bytes);
        fake::Reset();
        return ReadBmpImage(path.c_str());
    }

    // The pixels of a read picture, which is then released as the viewer does.
    static Bytes Take(ImageRecord* image) {
        Bytes pixels(image->pixels,
                     image->pixels + 3 * size_t(image->width) * size_t(image->height));
        free(image->pixels);
        free(image);
        return pixels;
    }

    // Opened, mapped, read and released in order, with no box.
    static void ExpectCleanRead(const std::string& path) {
        std::vector<std::string> expected{"OpenFile " + path, "CreateFileMapping", "MapViewOfFile",
                                          "UnmapViewOfFile",  "CloseFileMapping",  "CloseFile"};
        EXPECT_EQ(fake::Calls(), expected);
        EXPECT_TRUE(fake::Boxes().empty());
    }

    // One "Error" box with `text`, shown before the release, and nothing left open.
    void ExpectFailure(const Bytes& bytes, const std::string& text) {
        ImageRecord* image = Read(bytes);
        EXPECT_EQ(image, nullptr);
        if (image != nullptr) Take(image);
        ASSERT_EQ(fake::Boxes().size(), 1u);
        EXPECT_EQ(fake::Boxes()[0].text, text);
        EXPECT_EQ(fake::Boxes()[0].caption, "Error");
        EXPECT_EQ(fake::Boxes()[0].style, MB_OK);
        std::vector<std::string> expected{"OpenFile " + PathOf("picture.bmp"),
                                          "CreateFileMapping",
                                          "MapViewOfFile",
                                          "MessageBox Error",
                                          "UnmapViewOfFile",
                                          "CloseFileMapping",
                                          "CloseFile"};
        EXPECT_EQ(fake::Calls(), expected);
    }

    std::filesystem::path folder_;
};

inline const char* kConversionError = "Image file conversion error.";
inline const char* kUnknownFormat = "Unknown DIB file format.";
