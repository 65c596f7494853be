// generate: a plausible 512 x 256 map for a body, made from value noise with
// fixed seeds so the same body always gives the same file: banded clouds for
// the giant planets, speckled rock for the small bodies (with seas on the
// Earth), a bright mottled surface for the Sun.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "tools/pictures/pictures.h"

namespace {

constexpr int32_t kMapWidth = 512;
constexpr int32_t kMapHeight = 256;
constexpr int kOctaves = 5;

enum class Look { Sun, Rock, Earth, Bands };

struct BodyStyle {
    const char* name;
    Look look;
    uint32_t seed;
    float dark[3];   // colour at noise 0
    float light[3];  // colour at noise 1
};

constexpr BodyStyle kStyles[] = {
    {"sun", Look::Sun, 11, {230, 120, 20}, {255, 240, 150}},
    {"mercury", Look::Rock, 12, {90, 85, 80}, {185, 175, 165}},
    {"venus", Look::Rock, 13, {180, 140, 80}, {240, 215, 160}},
    {"earth", Look::Earth, 14, {20, 50, 130}, {60, 130, 60}},
    {"moon", Look::Rock, 15, {95, 95, 95}, {200, 200, 195}},
    {"mars", Look::Rock, 16, {120, 50, 25}, {215, 120, 70}},
    {"jupiter", Look::Bands, 17, {150, 100, 70}, {235, 220, 195}},
    {"saturn", Look::Bands, 18, {180, 150, 100}, {240, 225, 180}},
    {"uranus", Look::Bands, 19, {120, 190, 205}, {185, 235, 240}},
    {"neptune", Look::Bands, 20, {40, 70, 170}, {110, 150, 235}},
    {"pluto", Look::Rock, 21, {120, 95, 75}, {225, 205, 180}},
};

uint32_t Hash(uint32_t x, uint32_t y, uint32_t seed) {
    uint32_t h = x * 0x8DA6B343u ^ y * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return h;
}

float Lattice(int32_t x, int32_t y, int32_t period, uint32_t seed) {
    x = ((x % period) + period) % period;  // wraps round the globe east-west
    return static_cast<float>(Hash(static_cast<uint32_t>(x), static_cast<uint32_t>(y), seed) &
                              0xFFFF) / 65535.0f;
}

float Smooth(float t) { return t * t * (3 - 2 * t); }

// Value noise in [0, 1] that joins up at the map's left and right edges.
float Noise(float u, float v, int32_t cells, uint32_t seed) {
    float x = u * cells, y = v * cells;
    int32_t x0 = static_cast<int32_t>(std::floor(x)), y0 = static_cast<int32_t>(std::floor(y));
    float fx = Smooth(x - x0), fy = Smooth(y - y0);
    float a = Lattice(x0, y0, cells, seed), b = Lattice(x0 + 1, y0, cells, seed);
    float c = Lattice(x0, y0 + 1, cells, seed), d = Lattice(x0 + 1, y0 + 1, cells, seed);
    return (a + (b - a) * fx) * (1 - fy) + (c + (d - c) * fx) * fy;
}

float Fractal(float u, float v, uint32_t seed) {
    float sum = 0, weight = 0.5f, total = 0;
    for (int octave = 0; octave < kOctaves; ++octave) {
        sum += weight * Noise(u, v, 4 << octave, seed + octave);
        total += weight;
        weight *= 0.5f;
    }
    return sum / total;
}

float Tone(const BodyStyle& style, float u, float v) {
    switch (style.look) {
        case Look::Bands: {
            float wobble = Fractal(u, v, style.seed) - 0.5f;
            float band = std::sin((v + 0.08f * wobble) * 3.14159265f * 14.0f);
            return std::clamp(0.5f + 0.4f * band + 0.3f * wobble, 0.0f, 1.0f);
        }
        case Look::Sun:
            return std::clamp(Fractal(u, v, style.seed) * 1.3f - 0.1f, 0.0f, 1.0f);
        case Look::Rock:
        case Look::Earth: {
            float speckle = static_cast<float>(Hash(static_cast<uint32_t>(u * kMapWidth),
                                                    static_cast<uint32_t>(v * kMapHeight),
                                                    style.seed) & 0xFF) / 255.0f;
            return std::clamp(0.85f * Fractal(u, v, style.seed) + 0.15f * speckle, 0.0f, 1.0f);
        }
    }
    return 0;
}

void Colour(const BodyStyle& style, float u, float v, uint8_t* out) {
    float t = Tone(style, u, v);
    if (style.look == Look::Earth) {
        // Seas below the threshold, land above, ice near the poles.
        float polar = std::fabs(v - 0.5f) * 2;
        if (polar > 0.88f) t = 2;
        else t = t < 0.5f ? 0.2f * t : 0.6f + 0.8f * (t - 0.5f);
        if (t > 1.5f) {
            out[0] = out[1] = out[2] = 240;
            return;
        }
    }
    for (int c = 0; c < 3; ++c) {
        out[c] = static_cast<uint8_t>(std::lround(style.dark[c] + (style.light[c] - style.dark[c]) * t));
    }
}

const BodyStyle* FindStyle(std::string body) {
    for (char& ch : body) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    for (const BodyStyle& style : kStyles) {
        if (body == style.name) return &style;
    }
    return nullptr;
}

}  // namespace

int GenerateCommand(const std::string& body, const std::string& bmpPath) {
    const BodyStyle* style = FindStyle(body);
    if (style == nullptr) {
        fprintf(stderr,
                "Unknown body %s: use Sun, Mercury, Venus, Earth, Moon, Mars, Jupiter, Saturn, "
                "Uranus, Neptune or Pluto.\n",
                body.c_str());
        return kExitUsage;
    }
    RgbPicture picture;
    picture.width = kMapWidth;
    picture.height = kMapHeight;
    picture.pixels.resize(3 * static_cast<size_t>(kMapWidth) * kMapHeight);
    for (int32_t y = 0; y < kMapHeight; ++y) {
        for (int32_t x = 0; x < kMapWidth; ++x) {
            Colour(*style, (x + 0.5f) / kMapWidth, (y + 0.5f) / kMapHeight,
                   picture.pixels.data() + 3 * (static_cast<size_t>(y) * kMapWidth + x));
        }
    }
    return WriteBmp24(bmpPath, picture) ? kExitSuccess : kExitFailure;
}
