// What the map generator's files share: the map's form, painting every pixel
// from its point on the sphere on all cores, colours, and crater fields.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "tools/pictures/noise.h"
#include "tools/pictures/pictures.h"

constexpr float kPi = 3.14159265f;
constexpr float kDegree = kPi / 180;

struct Rgb {
    float r = 0, g = 0, b = 0;
};
inline Rgb Mix(Rgb a, Rgb b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
inline Rgb Scale(Rgb a, float k) { return {a.r * k, a.g * k, a.b * k}; }

// A pixel's place: its point on the unit sphere, latitude and longitude in
// radians, and the directions east and north there (for shading by a light).
struct Place {
    Vec3 p;
    float lat, lon;
    Vec3 east, north;
    int32_t x, y;
};

// The sines and cosines of every row's latitude and every column's longitude
// of a width x height equirectangular map (top row north), worked out once.
struct MapGrid {
    int32_t width, height;
    std::vector<float> sinLat, cosLat, sinLon, cosLon;
};
MapGrid MakeGrid(int32_t width, int32_t height);

inline Place PlaceOf(const MapGrid& grid, int32_t x, int32_t y) {
    float sinLat = grid.sinLat[y], cosLat = grid.cosLat[y];
    float sinLon = grid.sinLon[x], cosLon = grid.cosLon[x];
    Place at;
    at.lat = kPi / 2 - kPi * (y + 0.5f) / grid.height;
    at.lon = 2 * kPi * (x + 0.5f) / grid.width;
    at.p = {cosLat * cosLon, sinLat, cosLat * sinLon};
    at.east = {-sinLon, 0, cosLon};
    at.north = {-sinLat * cosLon, cosLat, -sinLat * sinLon};
    at.x = x;
    at.y = y;
    return at;
}

// How many threads draw a map: 0 for one per core (at most 8).
inline unsigned mapThreads = 0;

// Calls row(y) once for every y in [0, rows), spread over mapThreads threads.
// Rows are independent, so the result does not depend on the split.
template <typename RowFunction>
void ForEachRow(int32_t rows, RowFunction&& row) {
    std::atomic<int32_t> next{0};
    auto work = [&] {
        for (int32_t y = next++; y < rows; y = next++) row(y);
    };
    unsigned cores =
        mapThreads > 0 ? mapThreads : std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
    std::vector<std::thread> helpers;
    for (unsigned i = 1; i < cores; ++i) helpers.emplace_back(work);
    work();
    for (std::thread& helper : helpers) helper.join();
}

// The displacement Warp adds, worked out at every fourth row and column and
// interpolated between: the field is smooth, and this is a sixteenth of the
// work. point(place) is where the warp is sampled (the place's point scaled).
// The map's width must be a multiple of kWarpStep (the columns wrap).
struct WarpGrid {
    int32_t columns = 0, rows = 0;
    std::vector<Vec3> offsets;
};
constexpr int32_t kWarpStep = 4;

template <typename PointFunction>
WarpGrid MakeWarpGrid(const MapGrid& grid, PointFunction&& point, float amount, int octaves,
                      uint32_t seed) {
    WarpGrid warp;
    warp.columns = grid.width / kWarpStep + 1;  // the last repeats the first: the map wraps
    warp.rows = (grid.height - 2) / kWarpStep + 2;
    warp.offsets.resize(static_cast<size_t>(warp.columns) * warp.rows);
    ForEachRow(warp.rows, [&](int32_t j) {
        int32_t y = std::min(j * kWarpStep, grid.height - 1);
        for (int32_t i = 0; i < warp.columns; ++i) {
            Vec3 p = point(PlaceOf(grid, (i * kWarpStep) % grid.width, y));
            warp.offsets[static_cast<size_t>(j) * warp.columns + i] =
                Warp(p, amount, octaves, seed) - p;
        }
    });
    return warp;
}

inline Vec3 WarpAt(const WarpGrid& warp, const MapGrid& grid, const Place& at) {
    int32_t x = at.x, y = at.y;
    int32_t i = x / kWarpStep, j = std::min(y / kWarpStep, warp.rows - 2);
    int32_t top = j * kWarpStep, bottom = std::min((j + 1) * kWarpStep, grid.height - 1);
    float u = static_cast<float>(x - i * kWarpStep) / kWarpStep;
    float v = static_cast<float>(y - top) / static_cast<float>(bottom - top);
    const Vec3* row = warp.offsets.data() + static_cast<size_t>(j) * warp.columns;
    Vec3 upper = row[i] * (1 - u) + row[i + 1] * u;
    Vec3 lower = row[i + warp.columns] * (1 - u) + row[i + warp.columns + 1] * u;
    return upper * (1 - v) + lower * v;
}

// Fills a picture with colour(place) for every pixel; `grid` is the picture's.
template <typename ColourFunction>
void Paint(RgbPicture& picture, const MapGrid& grid, ColourFunction&& colour) {
    picture.pixels.assign(3 * static_cast<size_t>(picture.width) * picture.height, 0);
    ForEachRow(picture.height, [&](int32_t y) {
        uint8_t* out = picture.pixels.data() + 3 * static_cast<size_t>(y) * picture.width;
        for (int32_t x = 0; x < picture.width; ++x, out += 3) {
            Rgb c = colour(PlaceOf(grid, x, y));
            out[0] = static_cast<uint8_t>(std::lround(std::clamp(c.r, 0.0f, 255.0f)));
            out[1] = static_cast<uint8_t>(std::lround(std::clamp(c.g, 0.0f, 255.0f)));
            out[2] = static_cast<uint8_t>(std::lround(std::clamp(c.b, 0.0f, 255.0f)));
        }
    });
}

// Blends over a picture, at every pixel, the colour cover(place, &weight)
// gives, by the weight it sets (0, or not set, leaves the pixel as it is).
template <typename CoverFunction>
void Overlay(RgbPicture& picture, const MapGrid& grid, CoverFunction&& cover) {
    ForEachRow(picture.height, [&](int32_t y) {
        uint8_t* out = picture.pixels.data() + 3 * static_cast<size_t>(y) * picture.width;
        for (int32_t x = 0; x < picture.width; ++x, out += 3) {
            float weight = 0;
            Rgb c = cover(PlaceOf(grid, x, y), &weight);
            if (weight <= 0) continue;
            out[0] = static_cast<uint8_t>(std::lround(out[0] + (c.r - out[0]) * weight));
            out[1] = static_cast<uint8_t>(std::lround(out[1] + (c.g - out[1]) * weight));
            out[2] = static_cast<uint8_t>(std::lround(out[2] + (c.b - out[2]) * weight));
        }
    });
}

// The fixed light the relief is shaded against: from the west-north-west,
// along the ground, as a tangent direction at the place.
inline Vec3 LightAlong(const Place& at) { return at.east * -0.8f + at.north * 0.6f; }

struct Crater {
    Vec3 centre;
    float radius;   // radians of arc
    float relief;   // how strongly rims and walls are shaded
    float rays;     // 0 for none; else the brightness of its ray system
    uint32_t seed;  // for the rays' pattern
};

struct CraterScatter {
    int count;
    float smallest, largest;  // radii in radians
    float relief;             // shading of a small crater; large ones are shallower
    int rayed;                // how many of the largest few get bright rays
};

// Craters scattered uniformly over the sphere, sizes by a power law (many
// small, few large), none reaching the pole rows.
std::vector<Crater> ScatterCraters(const CraterScatter& scatter, uint64_t seed);

// Per pixel of a width x height map: `shade` (relief against the light, 0 on
// flat ground, about -1 to 1) and `bright` (fresh ejecta and rays, 0 to 1).
struct CraterField {
    std::vector<float> shade, bright;
};
CraterField SplatCraters(const std::vector<Crater>& craters, int32_t width, int32_t height);

// Shading of a round relief feature at `at`: offset is the place minus the
// feature's centre, slope how the height changes outwards there.
inline float ShadeRadial(const Place& at, Vec3 offset, float slope) {
    float along = Dot(offset, at.p);
    float tangent = std::sqrt(std::max(Dot(offset, offset) - along * along, 1e-12f));
    return -slope * Dot(offset, LightAlong(at)) / tangent;
}

// A colour in CIE L*a*b* (D65 white): lightness 0 to 100, then green-red and
// blue-yellow.
struct Lab {
    double l = 0, a = 0, b = 0;
};
Lab LabOf(double r, double g, double b);  // from sRGB, 0 to 255 each
uint32_t HexOf(Lab lab);                  // back to sRGB as 0xRRGGBB

// A map measured at half size: its mean in L*a*b*, the spread (standard
// deviation) of its lightness, its mean chroma C* and its turbulence: the mean
// change of grey level (0 to 255, luma weights) from one column to the next.
struct MapFigures {
    Lab mean;
    double spread = 0, chroma = 0, turbulence = 0;
};
MapFigures MeasureMap(const RgbPicture& map);
