// Gradient noise (Perlin's construction, the seed shifting the lattice), its
// fractal sums and Worley cells, all in float.
#include "tools/pictures/noise.h"

uint32_t Hash3(int32_t x, int32_t y, int32_t z, uint32_t seed) {
    uint32_t h = seed * 0x9E3779B1u ^ static_cast<uint32_t>(x) * 0x85EBCA77u ^
                 static_cast<uint32_t>(y) * 0xC2B2AE3Du ^ static_cast<uint32_t>(z) * 0x27D4EB2Fu;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

namespace {

// A fixed shuffle of 0 to 255, twice over, made at compile time from a
// constant seed: the lattice's corners pick their gradients through it.
struct Shuffle {
    uint8_t at[512];
};

constexpr Shuffle MakeShuffle() {
    Shuffle table{};
    for (int i = 0; i < 256; ++i) table.at[i] = static_cast<uint8_t>(i);
    uint32_t state = 0x2545F491u;
    for (int i = 255; i > 0; --i) {
        state = state * 1664525u + 1013904223u;
        int j = static_cast<int>((state >> 8) % static_cast<uint32_t>(i + 1));
        uint8_t swap = table.at[i];
        table.at[i] = table.at[j];
        table.at[j] = swap;
    }
    for (int i = 0; i < 256; ++i) table.at[256 + i] = table.at[i];
    return table;
}

constexpr Shuffle kShuffle = MakeShuffle();

// The twelve edge directions of a cube, four of them twice: a corner's
// gradient, picked by its shuffled index.
constexpr float kGradients[16][3] = {
    {1, 1, 0}, {-1, 1, 0}, {1, -1, 0}, {-1, -1, 0}, {1, 0, 1}, {-1, 0, 1}, {1, 0, -1}, {-1, 0, -1},
    {0, 1, 1}, {0, -1, 1}, {0, 1, -1}, {0, -1, -1}, {1, 1, 0}, {0, -1, 1}, {-1, 1, 0}, {0, -1, -1}};

inline float Gradient(int h, float x, float y, float z) {
    const float* g = kGradients[h & 15];
    return g[0] * x + g[1] * y + g[2] * z;
}

float Fade(float t) { return t * t * t * (t * (t * 6 - 15) + 10); }
float Lerp(float a, float b, float t) { return a + (b - a) * t; }
int32_t Floor(float t) {
    int32_t i = static_cast<int32_t>(t);
    return i - (t < static_cast<float>(i));
}

}  // namespace

float GradientNoise(Vec3 p, uint32_t seed) {
    int32_t xi = Floor(p.x), yi = Floor(p.y), zi = Floor(p.z);
    float dx = p.x - xi, dy = p.y - yi, dz = p.z - zi;
    // The seed moves the lattice through the shuffle: another seed, another field.
    int X = (xi + static_cast<int32_t>(seed * 0x9Du)) & 255;
    int Y = (yi + static_cast<int32_t>(seed * 0x3Bu >> 2)) & 255;
    int Z = (zi + static_cast<int32_t>(seed * 0xC5u >> 4)) & 255;
    const uint8_t* s = kShuffle.at;
    int A = s[X] + Y, B = s[X + 1] + Y;
    int AA = s[A] + Z, AB = s[A + 1] + Z, BA = s[B] + Z, BB = s[B + 1] + Z;
    float u = Fade(dx), v = Fade(dy), w = Fade(dz);
    float x00 = Lerp(Gradient(s[AA], dx, dy, dz), Gradient(s[BA], dx - 1, dy, dz), u);
    float x10 = Lerp(Gradient(s[AB], dx, dy - 1, dz), Gradient(s[BB], dx - 1, dy - 1, dz), u);
    float x01 =
        Lerp(Gradient(s[AA + 1], dx, dy, dz - 1), Gradient(s[BA + 1], dx - 1, dy, dz - 1), u);
    float x11 = Lerp(Gradient(s[AB + 1], dx, dy - 1, dz - 1),
                     Gradient(s[BB + 1], dx - 1, dy - 1, dz - 1), u);
    return Lerp(Lerp(x00, x10, v), Lerp(x01, x11, v), w);
}

float Fbm(Vec3 p, int octaves, uint32_t seed, float gain) {
    float sum = 0, amplitude = 1, total = 0;
    for (int octave = 0; octave < octaves; ++octave) {
        sum += amplitude * GradientNoise(p, seed + 101u * octave);
        total += amplitude;
        amplitude *= gain;
        // Twice the frequency, shifted off the lattice so octaves do not line up.
        p = Vec3{p.x * 2.0f + 0.37f, p.y * 2.0f + 0.71f, p.z * 2.0f + 0.13f};
    }
    return 1.4f * sum / total;
}

Vec3 Warp(Vec3 p, float amount, int octaves, uint32_t seed) {
    return p +
           Vec3{Fbm(p, octaves, seed + 1), Fbm(p, octaves, seed + 2), Fbm(p, octaves, seed + 3)} *
               amount;
}

float WorleyNearest(Vec3 p, uint32_t seed) {
    int32_t x0 = Floor(p.x), y0 = Floor(p.y), z0 = Floor(p.z);
    float fx = static_cast<float>(x0), fy = static_cast<float>(y0), fz = static_cast<float>(z0);
    float best = 9;
    for (int i = -1; i <= 1; ++i) {
        for (int j = -1; j <= 1; ++j) {
            for (int k = -1; k <= 1; ++k) {
                uint32_t h = Hash3(x0 + i, y0 + j, z0 + k, seed);
                Vec3 feature{fx + i + (h & 1023) / 1024.0f, fy + j + ((h >> 10) & 1023) / 1024.0f,
                             fz + k + ((h >> 20) & 1023) / 1024.0f};
                Vec3 d = feature - p;
                best = std::fmin(best, Dot(d, d));
            }
        }
    }
    return std::sqrt(best);
}
