// Noise on the unit sphere for the generated maps: gradient noise and Worley
// cells in three dimensions from a fixed shuffle and an integer hash, fractal
// sums of them, and a small random-number generator for scattering features.
// Everything is a pure function of its arguments: no global state, no clock.
#pragma once

#include <cmath>
#include <cstdint>

struct Vec3 {
    float x = 0, y = 0, z = 0;
};

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, float k) { return {a.x * k, a.y * k, a.z * k}; }
inline float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float Length(Vec3 a) { return std::sqrt(Dot(a, a)); }

// The point of the unit sphere at a latitude and longitude (radians): y points
// to the north pole, longitude 0 lies on +x and grows towards +z.
inline Vec3 SpherePoint(float lat, float lon) {
    return {std::cos(lat) * std::cos(lon), std::sin(lat), std::cos(lat) * std::sin(lon)};
}

inline float Clamp01(float t) { return t < 0 ? 0 : (t > 1 ? 1 : t); }
inline float SmoothStep(float edge0, float edge1, float t) {
    t = Clamp01((t - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

uint32_t Hash3(int32_t x, int32_t y, int32_t z, uint32_t seed);

// Gradient noise at p, about -1 to 1, zero at every lattice point.
float GradientNoise(Vec3 p, uint32_t seed);

// Fractal sum: `octaves` layers of gradient noise, each at twice the frequency
// and `gain` times the amplitude of the one before; about -1 to 1.
float Fbm(Vec3 p, int octaves, uint32_t seed, float gain = 0.5f);

// The point moved by a fractal vector field of strength `amount` (domain
// warping): shapes sampled at the result come out swirled and organic.
Vec3 Warp(Vec3 p, float amount, int octaves, uint32_t seed);

// Distance from p to the nearest of one random feature point per lattice cell.
float WorleyNearest(Vec3 p, uint32_t seed);

// A small deterministic generator (SplitMix64) for scattering craters, spots
// and storms: each map owns one, seeded by a constant.
struct Random {
    uint64_t state;
    uint64_t Next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    float Uniform() { return static_cast<float>(Next() >> 40) / 16777216.0f; }  // [0, 1)
    float Range(float lo, float hi) { return lo + (hi - lo) * Uniform(); }
};
