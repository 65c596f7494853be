// The BMP reader: one Windows bitmap file into an RGB picture.
#pragma once

#include <cstddef>
#include <cstdint>

struct ImageRecord {
    int32_t width;
    int32_t height;
    unsigned char* pixels;  // 3 * width * height bytes, red, green, blue, rows unpadded
};

// Reads a BMP file. On success the caller owns the record and its pixels and
// releases both with free, pixels first. On failure one "Error" box has been
// shown and null is returned; nothing stays allocated or open.
ImageRecord* ReadBmpImage(const char* path);
// The decoding half of ReadBmpImage, on a view from PlatMapViewOfFile: the
// picture, or null after one "Error" box. A view whose file was cut short
// meanwhile gives "Image file conversion error.". The view stays mapped.
ImageRecord* DecodeMappedBmp(const unsigned char* view, size_t length);

// Colour-table entries of an information header of either size (12 or 40
// bytes); `available` is how many bytes of the header can be read.
uint16_t CountColourEntries(const unsigned char* header, size_t available);
