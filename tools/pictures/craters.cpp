// Craters: scattered over the sphere, then drawn into the map one by one over
// the pixels each can reach, as relief shaded against the fixed light (bowl,
// raised rim, fading ejecta) and, for a few young ones, bright rays.
#include <cmath>

#include "tools/pictures/maps.h"

namespace {

constexpr float kReach = 2.2f;     // how far the rim and ejecta reach, in radii
constexpr float kRayReach = 9.0f;  // and the rays
constexpr int kRaySpokes = 40;

// Height across a crater at x radii from its centre: a parabolic bowl 1 deep,
// a rim raised a quarter of that, ejecta falling away outside.
float Profile(float x) {
    float bowl = x < 1 ? x * x - 1 : 0;
    float rim = (x - 1) / (x < 1 ? 0.18f : 0.45f);
    return bowl + 0.28f * std::exp(-rim * rim);
}

float Slope(float x) { return (Profile(x + 0.02f) - Profile(x - 0.02f)) / 0.04f; }

// Thin bright streaks from the centre: a few dozen spokes of random strength
// and length, sharp across and fading along.
float Rays(const Crater& crater, Vec3 offset, float x) {
    Vec3 side = Cross(crater.centre, Vec3{0, 1, 0});
    side = side * (1 / Length(side));
    Vec3 up = Cross(side, crater.centre);
    float turn = std::atan2(Dot(offset, up), Dot(offset, side)) / (2 * kPi) + 0.5f;
    float at = turn * kRaySpokes;
    int32_t spoke = static_cast<int32_t>(at);
    float across = at - spoke;
    uint32_t h = Hash3(spoke % kRaySpokes, 0, 0, crater.seed);
    float strength = (h & 255) / 255.0f;
    float length = 2.5f + 6.5f * ((h >> 8) & 255) / 255.0f;
    float offCentre = 0.5f + 0.35f * (((h >> 16) & 255) / 255.0f - 0.5f);
    float width = 0.1f + 0.15f * ((h >> 24) & 255) / 255.0f;
    float d = (across - offCentre) / width;
    return 1.5f * strength * std::exp(-d * d) * std::exp(-(x - 1) / length * 1.5f);
}

}  // namespace

MapGrid MakeGrid(int32_t width, int32_t height) {
    MapGrid grid{width, height, {}, {}, {}, {}};
    for (int32_t y = 0; y < height; ++y) {
        float lat = kPi / 2 - kPi * (y + 0.5f) / height;
        grid.sinLat.push_back(std::sin(lat));
        grid.cosLat.push_back(std::cos(lat));
    }
    for (int32_t x = 0; x < width; ++x) {
        float lon = 2 * kPi * (x + 0.5f) / width;
        grid.sinLon.push_back(std::sin(lon));
        grid.cosLon.push_back(std::cos(lon));
    }
    return grid;
}

std::vector<Crater> ScatterCraters(const CraterScatter& scatter, uint64_t seed) {
    Random random{seed};
    std::vector<Crater> craters;
    float ratio = scatter.largest / scatter.smallest;
    while (static_cast<int>(craters.size()) < scatter.count) {
        // Cumulative count above radius r falls as 1 / r^2.
        float r = scatter.smallest / std::sqrt(1 - random.Uniform() * (1 - 1 / (ratio * ratio)));
        float y = random.Range(-1, 1), lon = random.Range(0, 2 * kPi);
        float lat = std::asin(y);
        Crater crater{SpherePoint(lat, lon), r, 0, 0, static_cast<uint32_t>(random.Next())};
        if (kPi / 2 - std::fabs(lat) < kReach * r + 2 * kDegree) continue;  // keeps pole rows clean
        // Large craters are shallower for their size.
        crater.relief = scatter.relief /
                        (1 + 3 * (r - scatter.smallest) / (scatter.largest - scatter.smallest));
        craters.push_back(crater);
    }
    std::sort(craters.begin(), craters.end(),
              [](const Crater& a, const Crater& b) { return a.radius > b.radius; });
    // A few young ones of middle size get rays, which reach far: only those
    // whose rays stay off the pole rows.
    size_t young = static_cast<size_t>(scatter.count / 30);
    for (int i = 0; i < scatter.rayed; ++i, young += 7) {
        while (young < craters.size() && kPi / 2 - std::fabs(std::asin(craters[young].centre.y)) <
                                             kRayReach * craters[young].radius + 2 * kDegree)
            ++young;
        if (young < craters.size()) craters[young].rays = 0.9f;
    }
    return craters;
}

CraterField SplatCraters(const std::vector<Crater>& craters, int32_t width, int32_t height) {
    CraterField field;
    size_t pixels = static_cast<size_t>(width) * height;
    field.shade.assign(pixels, 0);
    field.bright.assign(pixels, 0);
    // Each crater's rows and columns, so a row visits only what reaches it.
    struct Span {
        int32_t top, bottom, left, columns;
    };
    std::vector<Span> spans;
    MapGrid grid = MakeGrid(width, height);
    for (const Crater& crater : craters) {
        float reach = crater.radius * (crater.rays > 0 ? kRayReach : kReach);
        float lat = std::asin(crater.centre.y);
        float lon = std::atan2(crater.centre.z, crater.centre.x);
        Span span;
        span.top = std::max(0, static_cast<int32_t>((kPi / 2 - lat - reach) / kPi * height));
        span.bottom =
            std::min(height - 1, static_cast<int32_t>((kPi / 2 - lat + reach) / kPi * height) + 1);
        // Half the longitudes the circle spans, taken at the latitude of its
        // edge nearest the pole (wider than at the centre); the whole row once
        // that edge comes near the pole, where the bound grows past a half turn.
        float highest = std::fabs(lat) + reach;
        float bound = highest < kPi / 2 ? std::sin(reach) / std::cos(highest) : 1;
        float halfWidth = bound < 1 ? std::asin(bound) : kPi;
        span.left = static_cast<int32_t>(std::floor((lon - halfWidth) / (2 * kPi) * width));
        span.columns = std::min(width, static_cast<int32_t>(2 * halfWidth / (2 * kPi) * width) + 3);
        spans.push_back(span);
    }
    float pixel = kPi / height;
    ForEachRow(height, [&](int32_t y) {
        for (size_t i = 0; i < craters.size(); ++i) {
            const Crater& crater = craters[i];
            const Span& span = spans[i];
            if (y < span.top || y > span.bottom || crater.radius < pixel)
                continue;  // too small to show
            float chord = 2 * std::sin(crater.radius / 2);
            for (int32_t c = 0; c < span.columns; ++c) {
                int32_t x = ((span.left + c) % width + width) % width;
                Place at = PlaceOf(grid, x, y);
                Vec3 offset = at.p - crater.centre;
                float r = Length(offset) / chord;
                size_t k = static_cast<size_t>(y) * width + x;
                if (r < kReach) {
                    field.shade[k] += crater.relief * ShadeRadial(at, offset, Slope(r));
                    if (crater.rays > 0 && r > 0.9f) {
                        field.bright[k] += crater.rays * 0.5f * std::exp(-(r - 1) * 2);
                    }
                }
                if (crater.rays > 0 && r > 0.8f && r < kRayReach) {
                    field.bright[k] += crater.rays * Rays(crater, offset, r);
                }
            }
        }
    });
    return field;
}
