// The maps `generate` draws: 1024 x 512 for each body, from noise sampled at
// every pixel's point on the sphere, so the map joins at its east-west edge
// and its pole rows are one colour. Fixed seeds: the same body always gives
// the same map. Each body is one function below; contrast is kept low, as
// real bodies look at a distance.
#include <cctype>
#include <cmath>
#include <string>

#include "tools/pictures/maps.h"

namespace {

// Every map has one size: in the GLU sphere mode the viewer uploads each
// picture in turn into the same texture object on every frame, and a change
// of size there costs a new texture store each time (maps of two sizes made
// that mode slower than eleven large ones).
constexpr int32_t kMapWidth = 1024;
constexpr int32_t kMapHeight = 512;
// The warp grids take every kWarpStep-th column and wrap at the map's edge.
static_assert(kMapWidth % kWarpStep == 0, "the warp grid needs a width it divides");

float Degrees(float radians) { return radians / kDegree; }

// Longitude difference a - b folded into [-pi, pi).
float LonDelta(float a, float b) {
    float d = std::fmod(a - b + 3 * kPi, 2 * kPi);
    return d - kPi;
}

// A warp grid of the place's point times `scale`.
WarpGrid ScaledWarp(const MapGrid& grid, float scale, float amount, int octaves, uint32_t seed) {
    return MakeWarpGrid(
        grid, [scale](const Place& at) { return at.p * scale; }, amount, octaves, seed);
}

Rgb Shaded(Rgb colour, float shade) { return Scale(colour, std::clamp(1 + shade, 0.4f, 1.6f)); }

// ---- The Sun ---------------------------------------------------------------

void DrawSun(RgbPicture& map) {
    struct Spot {
        Vec3 centre;
        float radius;
    };
    std::vector<Spot> spots;
    Random random{0x5017};
    for (int group = 0; group < 6; ++group) {  // groups in two belts either side of the equator
        float lat = random.Range(9, 28) * kDegree * (group % 2 ? -1 : 1);
        float lon = random.Range(0, 2 * kPi);
        int members = 1 + static_cast<int>(random.Uniform() * 3);
        for (int m = 0; m < members; ++m) {
            spots.push_back({SpherePoint(lat + random.Range(-2, 2) * kDegree,
                                         lon + (m * 5 + random.Range(-1, 1)) * kDegree),
                             random.Range(1.0f, 2.6f) * kDegree * (m == 0 ? 1.4f : 0.8f)});
        }
    }
    MapGrid grid = MakeGrid(map.width, map.height);
    Paint(map, grid, [&](const Place& at) {
        float cells = WorleyNearest(at.p * 26, 51);
        float mottle = Fbm(at.p * 6, 4, 52);
        float tone = 0.62f + 0.2f * (1 - SmoothStep(0.15f, 0.75f, cells)) + 0.55f * mottle;
        float umbra = 0, penumbra = 0, faculae = 0;
        for (const Spot& spot : spots) {
            float r = Length(at.p - spot.centre) / spot.radius;
            if (r > 8) continue;
            float ragged = r * (1 + 0.15f * Fbm(at.p * 40, 2, 53));
            umbra = std::max(umbra, 1 - SmoothStep(0.45f, 0.6f, ragged));
            penumbra = std::max(penumbra, 1 - SmoothStep(1.0f, 1.2f, ragged));
            faculae = std::max(faculae, 1 - SmoothStep(2.0f, 7.0f, r));
        }
        if (faculae > 0) tone += 0.35f * faculae * SmoothStep(0.0f, 0.4f, Fbm(at.p * 30, 3, 54));
        Rgb colour = Mix(Rgb{228, 200, 70}, Rgb{255, 255, 190}, Clamp01(tone));
        colour = Mix(colour, Rgb{200, 150, 80}, 0.75f * penumbra);
        return Mix(colour, Rgb{90, 55, 20}, 0.9f * umbra);
    });
}

// ---- Cratered bodies ------------------------------------------------------------

struct CraterLight {
    const CraterField* field;
    int32_t width;
    float Shade(const Place& at) const {
        return field->shade[static_cast<size_t>(at.y) * width + at.x];
    }
    float Bright(const Place& at) const {
        return field->bright[static_cast<size_t>(at.y) * width + at.x];
    }
};

void DrawMercury(RgbPicture& map) {
    CraterField field =
        SplatCraters(ScatterCraters({9000, 0.25f * kDegree, 14 * kDegree, 0.8f, 12}, 0x3E7C),
                     map.width, map.height);
    CraterLight craters{&field, map.width};
    MapGrid grid = MakeGrid(map.width, map.height);
    WarpGrid warp = ScaledWarp(grid, 1.5f, 0.5f, 2, 61);
    Paint(map, grid, [&](const Place& at) {
        float plains = SmoothStep(0.05f, 0.3f, Fbm(at.p * 1.5f + WarpAt(warp, grid, at), 4, 62));
        float tone = 0.5f + 0.3f * Fbm(at.p * 4, 5, 63);
        Rgb colour = Mix(Rgb{80, 78, 75}, Rgb{150, 145, 138}, Clamp01(tone));
        colour = Mix(colour, Rgb{112, 108, 102}, 0.5f * plains);
        colour = Shaded(colour, craters.Shade(at) * (1 - 0.6f * plains));
        return Mix(colour, Rgb{205, 202, 195}, Clamp01(craters.Bright(at)));
    });
}

void DrawMoon(RgbPicture& map) {
    // The large dark basins, mostly on the hemisphere about longitude 180.
    struct Basin {
        float lat, lon, radius;  // degrees
    };
    constexpr Basin kBasins[] = {{35, 160, 17}, {28, 195, 11}, {16, 218, 9},  {-8, 212, 12},
                                 {5, 128, 22},  {-22, 160, 8}, {-2, 185, 8},  {42, 190, 6},
                                 {20, 105, 7},  {-20, 245, 6}, {-35, 300, 5}, {25, 40, 4}};
    std::vector<Vec3> centres;
    for (const Basin& basin : kBasins)
        centres.push_back(SpherePoint(basin.lat * kDegree, basin.lon * kDegree));
    CraterField field =
        SplatCraters(ScatterCraters({6000, 0.3f * kDegree, 14 * kDegree, 0.6f, 6}, 0x300),
                     map.width, map.height);
    CraterLight craters{&field, map.width};
    MapGrid grid = MakeGrid(map.width, map.height);
    WarpGrid warp = ScaledWarp(grid, 2, 0.35f, 2, 71);
    Paint(map, grid, [&](const Place& at) {
        Vec3 q = at.p * 2 + WarpAt(warp, grid, at);
        float ragged = 0.12f * Fbm(q * 2, 4, 72);
        float mare = 0;
        for (size_t i = 0; i < centres.size(); ++i) {
            float d = Length(at.p - centres[i]) / (kBasins[i].radius * kDegree);
            mare = std::max(mare, 1 - SmoothStep(0.65f, 1.25f, d * 0.9f + ragged * 3.5f));
        }
        // A broad lowland west of the basins joins them, as on the near side.
        float lowland = Fbm(q * 1.5f, 4, 73) +
                        0.6f * Dot(at.p, SpherePoint(10 * kDegree, 120 * kDegree)) - 0.75f;
        mare = std::max(mare, 0.9f * SmoothStep(0.0f, 0.15f, lowland));
        float tone = 0.5f + 0.25f * Fbm(at.p * 5, 5, 74);
        Rgb highland = Mix(Rgb{92, 91, 89}, Rgb{140, 139, 136}, Clamp01(tone));
        Rgb sea = Mix(Rgb{52, 52, 53}, Rgb{76, 75, 74}, Clamp01(tone + 0.6f * ragged));
        Rgb colour = Mix(highland, sea, mare);
        colour = Shaded(colour, craters.Shade(at) * (1 - 0.5f * mare));
        return Mix(colour, Rgb{200, 200, 196}, Clamp01(craters.Bright(at)));
    });
}

void DrawMars(RgbPicture& map) {
    std::vector<Crater> list =
        ScatterCraters({2600, 0.3f * kDegree, 8 * kDegree, 0.35f, 0}, 0x3A25);
    // The southern uplands are old and cratered; the northern plains are not.
    std::erase_if(list, [](const Crater& c) { return c.centre.y > -0.1f && (c.seed & 7) != 0; });
    CraterField field = SplatCraters(list, map.width, map.height);
    CraterLight craters{&field, map.width};
    struct Shield {
        float lat, lon, radius;  // degrees
    };
    constexpr Shield kShields[] = {
        {18, 226, 9}, {-9, 239, 4.5f}, {1, 247, 4.5f}, {11, 255, 4.5f}, {25, 147, 3.5f}};
    std::vector<Vec3> summits;
    for (const Shield& shield : kShields)
        summits.push_back(SpherePoint(shield.lat * kDegree, shield.lon * kDegree));
    const Vec3 northCap = SpherePoint(87 * kDegree, 40 * kDegree),
               southCap = SpherePoint(-87.5f * kDegree, 310 * kDegree);
    const Vec3 capEast = Cross(Vec3{0, 1, 0}, northCap) * (1 / std::cos(87 * kDegree)),
               capNorth = Cross(northCap, capEast);
    MapGrid grid = MakeGrid(map.width, map.height);
    WarpGrid warp = ScaledWarp(grid, 1.6f, 0.5f, 2, 81);
    Paint(map, grid, [&](const Place& at) {
        float lat = Degrees(at.lat);
        Vec3 q = at.p * 1.6f + WarpAt(warp, grid, at);
        float dark =
            SmoothStep(0.15f, 0.45f, Fbm(q, 5, 82) + 0.25f * std::sin(at.lat * 2.2f + 0.3f));
        float tone = 0.5f + 0.3f * Fbm(at.p * 5, 5, 83);
        Rgb colour = Mix(Rgb{125, 72, 50}, Rgb{172, 110, 82}, Clamp01(tone));
        colour = Mix(colour, Rgb{72, 48, 38}, 0.7f * dark);
        float shade = craters.Shade(at);
        // The canyon: a deep trough along latitude -8 from longitude 255 to 330.
        float lon = Degrees(at.lon);
        float along = SmoothStep(250, 262, lon) * (1 - SmoothStep(318, 332, lon));
        float wobble = along > 0 ? 1.8f * Fbm(at.p * 8, 3, 84) : 0;
        float across = (lat + 8 + 2.5f * std::sin(lon * 0.09f) + wobble) / (0.9f + 0.8f * along);
        float trough = along * std::exp(-across * across);
        colour = Mix(colour, Rgb{90, 55, 40}, 0.75f * trough);
        shade +=
            0.5f * along * across * std::exp(-across * across);  // south wall lit, north wall dark
        for (size_t i = 0; i < summits.size(); ++i) {
            Vec3 offset = at.p - summits[i];
            float r = Length(offset) / (kShields[i].radius * kDegree);
            if (r >= 1.3f) continue;
            float slope =
                r < 0.12f ? 4.0f : -1.2f * SmoothStep(1.3f, 0.9f, r);  // caldera, then flank
            shade += 0.35f * ShadeRadial(at, offset, slope);
            colour = Mix(colour, Rgb{150, 98, 72}, 0.4f * (1 - SmoothStep(0.6f, 1.2f, r)));
        }
        colour = Shaded(colour, shade);
        if (std::fabs(lat) < 70) return colour;
        // The polar caps, each off the pole, with a ragged edge fading out
        // over a degree or two: the northern reaches about 10 degrees from its
        // centre, the southern about 6.
        bool north = lat > 0;
        float away = Length(at.p - (north ? northCap : southCap)) / kDegree;
        float edge = (north ? 10.0f : 6.0f) + (north ? 4.0f : 2.5f) * Fbm(at.p * 14, 4, 85);
        float ice = SmoothStep(edge + 2, edge - 2, away);
        // Dark troughs spiral out from the northern cap's centre.
        if (north && ice > 0) {
            Vec3 offset = at.p - northCap;
            float turn = std::atan2(Dot(offset, capEast), Dot(offset, capNorth)) + away * 0.3f +
                         0.8f * Fbm(at.p * 20, 2, 86);
            ice *= 1 - 0.3f * SmoothStep(0.4f, 0.9f, std::sin(3 * turn)) * SmoothStep(3, 6, away);
        }
        return Mix(colour, Rgb{225, 222, 215}, ice);
    });
}

void DrawPluto(RgbPicture& map) {
    CraterField field = SplatCraters(
        ScatterCraters({500, 0.4f * kDegree, 4 * kDegree, 0.3f, 0}, 0x9106), map.width, map.height);
    CraterLight craters{&field, map.width};
    MapGrid grid = MakeGrid(map.width, map.height);
    WarpGrid warp = ScaledWarp(grid, 2, 0.4f, 2, 91);
    Paint(map, grid, [&](const Place& at) {
        float lat = Degrees(at.lat), lon = Degrees(LonDelta(at.lon, kPi));  // lon 0 at the heart
        float tone = 0.5f + 0.55f * Fbm(at.p * 2 + WarpAt(warp, grid, at), 5, 92);
        Rgb colour = Mix(Rgb{80, 62, 50}, Rgb{192, 166, 138}, Clamp01(tone));
        // The dark reddish-brown belt west of the heart, along the equator,
        // broken into patches.
        float ragged = 12 * Fbm(at.p * 4, 4, 93);
        float along = (lon + 100 + ragged) / 80;  // -1 to 1 from its western to its eastern end
        float beltLat =
            1 -
            SmoothStep(0.4f, 1.0f, std::fabs(lat + 4 + ragged) / (8 + 16 * (1 - along * along)));
        float beltLon = 1 - SmoothStep(0.8f, 1.0f, std::fabs(along));
        float patches = SmoothStep(-0.6f, 0.4f, Fbm(at.p * 3.5f, 2, 99) + 0.15f);
        float belt =
            SmoothStep(0.0f, 0.9f, beltLon * beltLat * patches + 0.08f * Fbm(at.p * 10, 3, 94));
        colour = Mix(colour, Mix(Rgb{48, 26, 20}, Rgb{84, 46, 32}, Clamp01(tone)), 0.9f * belt);
        // The heart: a bright plain of two lobes, the western one with cells.
        float plain = 0;
        if (std::fabs(lon) < 45 && lat > -30 && lat < 60) {
            float u = (lon + 2.5f * Fbm(at.p * 6, 3, 95)) / 28,
                  v = (lat - 16 + 2.5f * Fbm(at.p * 6, 3, 96)) / 28;
            v = -v * 1.1f + 0.15f;
            float f =
                std::pow(u * u + v * v - 1, 3.0f) + u * u * v * v * v;  // heart, point to the south
            // A soft rim, and the highlands darker just outside it.
            plain = 1 - SmoothStep(-0.12f, 0.04f, f);
            float rim = SmoothStep(0.0f, 0.1f, f) * (1 - SmoothStep(0.2f, 0.8f, f));
            colour = Scale(colour, 1 - 0.15f * rim);
            float cells =
                plain > 0 && u < 0 ? SmoothStep(0.3f, 0.6f, WorleyNearest(at.p * 30, 97)) : 0.3f;
            colour = Mix(colour, Mix(Rgb{240, 230, 208}, Rgb{222, 210, 188}, cells), plain);
        }
        colour = Shaded(colour, craters.Shade(at) * (1 - plain));
        float north = lat > 30 ? SmoothStep(40, 70, lat + 5 * Fbm(at.p * 4, 2, 98)) : 0;
        return Mix(colour, Rgb{200, 182, 155}, 0.7f * north);
    });
}

// ---- Clouded bodies -------------------------------------------------------------

void DrawVenus(RgbPicture& map) {
    auto stretch = [](const Place& at) { return Vec3{at.p.x * 2, at.p.y * 9, at.p.z * 2}; };
    MapGrid grid = MakeGrid(map.width, map.height);
    WarpGrid warp = MakeWarpGrid(grid, stretch, 0.5f, 2, 21);
    Paint(map, grid, [&](const Place& at) {
        float streaks = Fbm(stretch(at) + WarpAt(warp, grid, at), 5, 22);
        // Bands that lean towards the poles away from the equator: a V lying east-west.
        float phase =
            std::fabs(at.lat) * 2.4f + 0.45f * std::cos(at.lat) * std::cos(at.lon) + 0.5f * streaks;
        float bands = std::sin(phase * 2 * kPi);
        float tone = 0.5f + 0.35f * bands + 0.3f * streaks;
        return Mix(Rgb{205, 160, 96}, Rgb{245, 215, 158}, Clamp01(tone));
    });
}

void DrawEarth(RgbPicture& map) {
    // Elevation first, to set the sea level at the height that leaves 70 % of
    // the map under water; a high south polar plateau with a ragged edge
    // makes a continent round the pole, with bays and capes.
    std::vector<float> height(static_cast<size_t>(map.width) * map.height);
    MapGrid grid = MakeGrid(map.width, map.height);
    WarpGrid landWarp = ScaledWarp(grid, 1.4f, 0.6f, 3, 31);
    WarpGrid cloudWarp = ScaledWarp(grid, 2.2f, 0.9f, 2, 35);
    ForEachRow(map.height, [&](int32_t y) {
        for (int32_t x = 0; x < map.width; ++x) {
            Place at = PlaceOf(grid, x, y);
            float h = Fbm(at.p * 1.4f + WarpAt(landWarp, grid, at), 6, 32);
            float coast = Degrees(at.lat) + 22 * Fbm(at.p * 1.8f, 4, 37);
            height[static_cast<size_t>(y) * map.width + x] = h + 1.5f * SmoothStep(-62, -72, coast);
        }
    });
    std::vector<float> sorted = height;
    auto level = sorted.begin() + static_cast<std::ptrdiff_t>(0.70 * sorted.size());
    std::nth_element(sorted.begin(), level, sorted.end());
    float sea = *level;
    Paint(map, grid, [&](const Place& at) {
        float h = height[static_cast<size_t>(at.y) * map.width + at.x] - sea;
        float lat = std::fabs(Degrees(at.lat));
        if (h >= 0 || lat > 70)
            lat += 7 * Fbm(at.p * 5, 3, 33);  // ragged edges of climates and ice
        Rgb colour;
        if (h < 0) {
            colour = Mix(Rgb{30, 92, 108}, Rgb{13, 38, 64}, SmoothStep(0, 0.12f, -h));
        } else {
            float wet = Fbm(at.p * 3, 4, 34);
            Rgb forest = Mix(Rgb{38, 92, 36}, Rgb{95, 115, 55}, SmoothStep(-0.1f, -0.4f, wet));
            Rgb desert = Mix(Rgb{205, 175, 120}, Rgb{180, 130, 75}, SmoothStep(-0.2f, 0.3f, wet));
            Rgb temperate = Mix(Rgb{52, 88, 44}, Rgb{115, 100, 68}, SmoothStep(-0.1f, 0.3f, wet));
            Rgb boreal = Mix(Rgb{40, 68, 42}, Rgb{120, 115, 98}, SmoothStep(55, 68, lat));
            float dry = SmoothStep(11, 17, lat) * (1 - SmoothStep(30, 38, lat)) *
                        SmoothStep(-0.35f, 0.0f, -wet);
            colour = Mix(forest, temperate, SmoothStep(22, 38, lat));
            colour = Mix(colour, desert, dry);
            colour = Mix(colour, boreal, SmoothStep(48, 56, lat));
            colour = Mix(colour, Rgb{125, 110, 95}, SmoothStep(0.25f, 0.5f, h));  // mountains
        }
        // Ice: the land's far north and south, and pack ice on the polar seas.
        float ice = h > 0 ? SmoothStep(at.lat > 0 ? 64 : 56, at.lat > 0 ? 70 : 62, lat)
                          : SmoothStep(79, 85, lat);
        colour = Mix(colour, h > 0 ? Rgb{236, 240, 244} : Rgb{214, 224, 232}, ice);
        // Clouds: swirled, most in the storm belts of the middle latitudes.
        Vec3 q = at.p * 2.2f + WarpAt(cloudWarp, grid, at);
        float belts = 0.15f * std::cos(at.lat * 5.5f);
        float cloud = SmoothStep(0.25f, 0.75f, Fbm(q, 4, 36) - belts);
        return Mix(colour, Rgb{245, 245, 245}, 0.6f * cloud);
    });
}

// ---- Banded giants --------------------------------------------------------------

struct Band {
    float top;  // latitude in degrees where the band starts, going south
    Rgb colour;
};

struct Storm {
    float lat, lon;       // degrees
    float width, height;  // half-axes in degrees
    float swirl;          // radians of turn at the centre
    Rgb colour;
    float opacity;
};

struct GiantStyle {
    const Band* bands;
    int bandCount;
    float blend;       // degrees over which one band fades into the next
    float turbulence;  // degrees the band edges wander
    float stretch;     // how much longer than wide the eddies are
    float streaks;     // contrast of the fine streaks within bands
    float warp;        // how turbulent (marbled) the flow is
    float polar;       // latitude (degrees) beyond which bands give way to mottled cloud
    uint32_t seed;
    float eddies = 0;  // degrees the band edges curl in small swirling eddies
};

Rgb BandColour(const GiantStyle& style, float lat) {
    for (int i = 1; i < style.bandCount; ++i) {
        if (lat > style.bands[i].top) {
            const Band& above = style.bands[i - 1];
            const Band& below = style.bands[i];
            float t = SmoothStep(below.top + style.blend, below.top - style.blend, lat);
            return Mix(above.colour, below.colour, t);
        }
    }
    return style.bands[style.bandCount - 1].colour;
}

// The point turned about each storm's centre by an angle that falls off away
// from it: the bands curl round the storm.
// `nearest` is the storm whose oval p is deepest in, `depth` how far out from
// its centre p lies, in units of its half-axes.
Vec3 Swirl(Vec3 p, const std::vector<Storm>& storms, const Storm** nearest, float* depth) {
    *nearest = nullptr;
    *depth = 3;
    float lat = std::asin(std::clamp(p.y, -1.0f, 1.0f)), lon = std::atan2(p.z, p.x);
    for (const Storm& storm : storms) {
        float dy = (Degrees(lat) - storm.lat) / storm.height;
        if (std::fabs(dy) > 3) continue;
        float dx = Degrees(LonDelta(lon, storm.lon * kDegree)) * std::cos(lat) / storm.width;
        float e = std::sqrt(dx * dx + dy * dy);
        if (e >= 3) continue;
        Vec3 c = SpherePoint(storm.lat * kDegree, storm.lon * kDegree);
        float angle = storm.swirl * std::exp(-e * e * 1.5f);
        float s = std::sin(angle), co = std::cos(angle);
        p = p * co + Cross(c, p) * s + c * (Dot(c, p) * (1 - co));  // Rodrigues
        if (e < *depth) {
            *depth = e;
            *nearest = &storm;
        }
    }
    return p;
}

void DrawGiant(RgbPicture& map, const GiantStyle& style, const std::vector<Storm>& storms) {
    auto stretch = [&style](Vec3 p) { return Vec3{p.x * 3, p.y * 3 * style.stretch, p.z * 3}; };
    MapGrid grid = MakeGrid(map.width, map.height);
    WarpGrid warp = MakeWarpGrid(
        grid, [&](const Place& at) { return stretch(at.p); }, style.warp, 2, style.seed);
    // The eddies' own, finer and more strongly turned flow.
    auto eddying = [&](Vec3 p) { return stretch(p) * 3.5f; };
    WarpGrid eddyWarp;
    if (style.eddies > 0)
        eddyWarp = MakeWarpGrid(
            grid, [&](const Place& at) { return eddying(at.p); }, 1.2f, 2, style.seed + 50);
    Paint(map, grid, [&](const Place& at) {
        const Storm* storm = nullptr;
        float e = 3;
        Vec3 p = Swirl(at.p, storms, &storm, &e);
        // Near a storm the flow is turned, and the grid's warp no longer fits.
        Vec3 q = storm != nullptr ? Warp(stretch(p), style.warp, 2, style.seed)
                                  : stretch(p) + WarpAt(warp, grid, at);
        float wander = Fbm(q, 4, style.seed + 10);
        float lat = Degrees(std::asin(std::clamp(p.y, -1.0f, 1.0f))) + style.turbulence * wander;
        // Within a band the colour is even: the eddies show along its edges.
        if (style.eddies > 0)
            lat += style.eddies * Fbm(eddying(p) + WarpAt(eddyWarp, grid, at), 4, style.seed + 51);
        Rgb colour = BandColour(style, lat);
        float fine = Fbm(Vec3{q.x * 3, q.y * 2, q.z * 3}, 3, style.seed + 20);
        colour = Scale(colour, 1 + style.streaks * fine);
        // Round the poles the flow breaks into eddies: mottled, not ringed.
        float polar = SmoothStep(style.polar - 8, style.polar + 6, std::fabs(lat));
        if (polar > 0) {
            Rgb mottled = BandColour(style, lat > 0 ? 90.0f : -90.0f);
            mottled = Scale(mottled,
                            1 + 1.5f * style.streaks *
                                    Fbm(Warp(p * 9, 0.3f, 2, style.seed + 40), 4, style.seed + 41));
            colour = Mix(colour, mottled, polar);
        }
        if (storm != nullptr) {
            // A darker core curling within a lighter rim, and a pale collar outside.
            float curl = Fbm(p * 18, 3, style.seed + 30);
            Rgb oval =
                Scale(storm->colour, 0.9f + 0.18f * SmoothStep(0.2f, 0.9f, e) + 0.07f * curl);
            float collar = (e - 1.2f) / 0.2f;
            colour =
                Mix(colour, Rgb{236, 228, 210}, 0.4f * storm->opacity * std::exp(-collar * collar));
            colour = Mix(colour, oval, storm->opacity * (1 - SmoothStep(0.85f, 1.05f, e)));
        }
        return colour;
    });
}

void DrawJupiter(RgbPicture& map) {
    const Rgb zone{206, 198, 182}, belt{158, 128, 104}, darkBelt{140, 112, 92}, pale{188, 180, 165},
        polar{150, 144, 134};
    const Band kBands[] = {{90, polar},    {58, pale},           {50, polar}, {43, pale},
                           {36, belt},     {31, zone},           {24, belt},  {20, zone},
                           {16, darkBelt}, {8, {198, 186, 166}}, {0, zone},   {-7, darkBelt},
                           {-19, zone},    {-28, belt},          {-33, zone}, {-40, pale},
                           {-45, polar},   {-52, pale},          {-60, polar}};
    std::vector<Storm> storms = {{-22, 200, 12, 6.5f, 1.6f, {186, 112, 84}, 0.85f},
                                 {-33, 250, 3.5f, 2.5f, 1.5f, {245, 240, 230}, 0.9f},
                                 {-34, 290, 3, 2.2f, 1.5f, {245, 240, 230}, 0.9f},
                                 {-41, 120, 3, 2, 1.5f, {240, 236, 226}, 0.85f},
                                 {-33, 40, 3, 2, 1.5f, {244, 240, 230}, 0.85f},
                                 {41, 320, 2.5f, 1.8f, 1.2f, {238, 232, 220}, 0.8f}};
    DrawGiant(map, {kBands, std::size(kBands), 1.2f, 3.5f, 5, 0.12f, 0.8f, 55, 41, 3.5f}, storms);
    // Festoons: dark blue-grey plumes rooted in the southern edge of the north
    // equatorial belt, trailing south and west into the zone; and small light
    // ovals along the edges of the belts.
    Random random{0x7A9};
    std::vector<float> festoons;  // longitudes of their roots, degrees
    for (int i = 0; i < 13; ++i) festoons.push_back(i * 360.0f / 13 + random.Range(-9, 9));
    struct Oval {
        float lat, lon, width, height;  // degrees
    };
    std::vector<Oval> ovals;
    for (float edge : {-41.0f, -38.0f, -29.0f, -19.5f, 19.5f, 24.5f, 31.0f, 36.5f}) {
        for (int i = 0; i < 4; ++i) {
            float width = random.Range(1.3f, 2.6f);
            float lon = random.Range(0, 360);
            if (std::fabs(lon - 200) < 25 && edge > -30 && edge < -15)
                lon += 60;  // not on the red storm
            ovals.push_back(
                {edge + random.Range(-1, 1), lon, width, width * random.Range(0.6f, 0.8f)});
        }
    }
    MapGrid grid = MakeGrid(map.width, map.height);
    Overlay(map, grid, [&](const Place& at, float* weight) {
        float lat = Degrees(at.lat);
        if (lat > 0 && lat < 11) {
            float t = (11 - lat) / 10;  // 0 in the belt, 1 at the plumes' tips
            float wiggle = 2.5f * Fbm(at.p * 14, 3, 46);
            float dark = 0;
            for (float root : festoons) {
                float off = Degrees(LonDelta(at.lon, (root - 20 * t * t) * kDegree)) + wiggle;
                float width = 3.2f * (1 - 0.5f * t);
                dark += std::exp(-off * off / (width * width));
            }
            *weight = 0.7f * Clamp01(dark) * SmoothStep(0, 0.2f, t) * (1 - SmoothStep(0.65f, 1, t));
            return Rgb{110, 110, 118};
        }
        for (const Oval& oval : ovals) {
            float dy = (lat - oval.lat) / oval.height;
            if (std::fabs(dy) > 1.6f) continue;
            float dx =
                Degrees(LonDelta(at.lon, oval.lon * kDegree)) * std::cos(at.lat) / oval.width;
            float e = std::sqrt(dx * dx + dy * dy);
            if (e > 1.6f) continue;
            *weight = 0.85f * (1 - SmoothStep(0.7f, 1.05f, e));
            return Rgb{238, 234, 224};
        }
        return Rgb{};
    });
}

void DrawSaturn(RgbPicture& map) {
    const Rgb gold{225, 203, 166}, butterscotch{216, 192, 156}, cream{233, 216, 186},
        polar{196, 180, 152};
    const Band kBands[] = {
        {90, polar},        {70, butterscotch},  {55, gold},  {42, butterscotch},  {33, cream},
        {22, butterscotch}, {12, cream},         {-10, gold}, {-20, butterscotch}, {-30, cream},
        {-42, gold},        {-55, butterscotch}, {-70, polar}};
    DrawGiant(map, {kBands, std::size(kBands), 2.5f, 1.5f, 8, 0.03f, 0.3f, 68, 42}, {});
}

void DrawUranus(RgbPicture& map) {
    const Rgb cyan{122, 157, 168};
    const Band kBands[] = {{90, {132, 166, 176}}, {60, {127, 162, 172}}, {35, cyan},
                           {10, {118, 154, 166}}, {-15, cyan},           {-40, {118, 154, 166}}};
    DrawGiant(map, {kBands, std::size(kBands), 8.0f, 1.0f, 8, 0.012f, 0.2f, 90, 43}, {});
}

void DrawNeptune(RgbPicture& map) {
    const Rgb azure{64, 88, 152}, deep{52, 74, 138}, light{78, 102, 164};
    const Band kBands[] = {{90, light}, {60, azure},  {40, deep},  {22, azure},
                           {-5, light}, {-18, azure}, {-45, deep}, {-60, azure}};
    std::vector<Storm> storms = {{-20, 200, 14, 7, 1.0f, {24, 34, 80}, 0.85f},
                                 {-27, 207, 5, 1.3f, 0.5f, {235, 240, 250}, 0.8f},
                                 {-14, 195, 4, 1.0f, 0.5f, {225, 232, 248}, 0.6f},
                                 {-55, 80, 3, 2, 1.2f, {38, 54, 110}, 0.6f}};
    DrawGiant(map, {kBands, std::size(kBands), 3.0f, 2.0f, 6, 0.05f, 0.4f, 70, 44}, storms);
    // Thin white streaks of high cloud, drawn out east-west along a few latitudes.
    struct Streak {
        float lat, lon, length, width;  // degrees
    };
    std::vector<Streak> streaks;
    Random random{0x4E9};
    for (float belt : {-42.0f, -38.0f, 27.0f, -68.0f, 32.0f}) {
        for (int i = 0; i < 6; ++i) {
            streaks.push_back({belt + random.Range(-4, 4), random.Range(0, 360),
                               random.Range(8, 30), random.Range(0.25f, 0.6f)});
        }
    }
    MapGrid grid = MakeGrid(map.width, map.height);
    float pixel = 180.0f / map.height;  // degrees
    Overlay(map, grid, [&](const Place& at, float* weight) {
        float lat = Degrees(at.lat), white = 0;
        for (const Streak& streak : streaks) {
            if (std::fabs(lat - streak.lat) > 4) continue;
            float along = Degrees(LonDelta(at.lon, streak.lon * kDegree)) / streak.length;
            if (std::fabs(along) > 1) continue;
            float across =
                (lat - streak.lat - 1.5f * along * along) / std::max(streak.width, pixel);
            white += std::exp(-across * across) * (1 - SmoothStep(0.4f, 1.0f, std::fabs(along)));
        }
        if (white >= 0.01f) *weight = Clamp01(white * (0.6f + 0.6f * Fbm(at.p * 20, 2, 45)));
        return Rgb{240, 240, 240};
    });
}

}  // namespace

bool DrawMap(const std::string& name, RgbPicture* map) {
    std::string body = name;
    for (char& ch : body) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    map->width = kMapWidth;
    map->height = kMapHeight;
    if (body == "sun")
        DrawSun(*map);
    else if (body == "mercury")
        DrawMercury(*map);
    else if (body == "venus")
        DrawVenus(*map);
    else if (body == "earth")
        DrawEarth(*map);
    else if (body == "moon")
        DrawMoon(*map);
    else if (body == "mars")
        DrawMars(*map);
    else if (body == "jupiter")
        DrawJupiter(*map);
    else if (body == "saturn")
        DrawSaturn(*map);
    else if (body == "uranus")
        DrawUranus(*map);
    else if (body == "neptune")
        DrawNeptune(*map);
    else if (body == "pluto")
        DrawPluto(*map);
    else
        return false;
    return true;
}
