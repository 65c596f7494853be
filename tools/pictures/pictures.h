// heliora-pictures: checks, converts and makes the eleven body pictures the
// viewer reads. Each command is one function returning the process exit code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// A picture in memory: red, green, blue bytes, rows unpadded, top row first.
struct RgbPicture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels;
};

// Writes a 24-bit BMP with the 14-byte file header and the 40-byte
// information header, the form every BMP reader accepts. False (with a
// message on standard error) when the file cannot be written.
bool WriteBmp24(const std::string& path, const RgbPicture& picture);

int DecodeCommand(const std::string& source, const std::string& ppmPath);
int CheckCommand(const std::string& folder);
int ImportCommand(const std::string& source, const std::string& bmpPath);
// The map `generate` draws for a body named in any case ("Earth", "earth"):
// false for a name that is no body.
bool DrawMap(const std::string& body, RgbPicture* map);

int GenerateCommand(const std::string& body, const std::string& bmpPath);
// measure: each named body's map (all eleven when none is named) measured in
// L*a*b*: mean colour, lightness and its spread, mean chroma.
int MeasureCommand(std::vector<std::string> bodies);
