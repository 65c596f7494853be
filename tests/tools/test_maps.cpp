// The maps the picture tool draws: every body's map has the viewer's size, is
// the same on every run, joins at its east-west edge, has one colour along
// each pole row, and is coloured as that body is.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>

#include "tools/pictures/maps.h"

namespace {

struct Colour {
    double r = 0, g = 0, b = 0;
};

const uint8_t* Pixel(const RgbPicture& map, int x, int y) {
    return map.pixels.data() + 3 * (static_cast<size_t>(y) * map.width + x);
}

// Mean absolute difference, per channel, between columns a and b.
double ColumnDifference(const RgbPicture& map, int a, int b) {
    double sum = 0;
    for (int y = 0; y < map.height; ++y) {
        for (int c = 0; c < 3; ++c) sum += std::abs(Pixel(map, a, y)[c] - Pixel(map, b, y)[c]);
    }
    return sum / (3.0 * map.height);
}

// The largest spread of one channel along a row.
int RowSpread(const RgbPicture& map, int y) {
    int spread = 0;
    for (int c = 0; c < 3; ++c) {
        int lo = 255, hi = 0;
        for (int x = 0; x < map.width; ++x) {
            lo = std::min<int>(lo, Pixel(map, x, y)[c]);
            hi = std::max<int>(hi, Pixel(map, x, y)[c]);
        }
        spread = std::max(spread, hi - lo);
    }
    return spread;
}

Colour RowMean(const RgbPicture& map, int y) {
    Colour mean;
    for (int x = 0; x < map.width; ++x) {
        mean.r += Pixel(map, x, y)[0] / double(map.width);
        mean.g += Pixel(map, x, y)[1] / double(map.width);
        mean.b += Pixel(map, x, y)[2] / double(map.width);
    }
    return mean;
}

bool White(Colour c) { return std::min({c.r, c.g, c.b}) > 200; }

struct Survey {
    Colour mean;
    double saturation = 0;    // mean of (max - min) / max over the pixels
    double blueShare = 0;     // pixels whose blue is clearly the strongest channel
    double brightShare = 0;   // pixels brighter than 200 in every channel
    double bandContrast = 0;  // standard deviation of the rows' mean brightness
    double contrast = 0;      // standard deviation of the pixels' brightness
    double seaLight = 0;      // mean brightness of the blueShare pixels
};

Survey Measure(const RgbPicture& map) {
    Survey s;
    double n = double(map.width) * map.height, rowSum = 0, rowSquares = 0, sum = 0, squares = 0;
    for (int y = 0; y < map.height; ++y) {
        Colour row = RowMean(map, y);
        double light = (row.r + row.g + row.b) / 3;
        rowSum += light;
        rowSquares += light * light;
        for (int x = 0; x < map.width; ++x) {
            const uint8_t* p = Pixel(map, x, y);
            int hi = std::max({p[0], p[1], p[2]}), lo = std::min({p[0], p[1], p[2]});
            s.mean.r += p[0] / n;
            s.mean.g += p[1] / n;
            s.mean.b += p[2] / n;
            s.saturation += (hi > 0 ? double(hi - lo) / hi : 0) / n;
            bool blue = p[2] > p[0] + 20 && p[2] > p[1] + 10;
            s.blueShare += blue / n;
            s.seaLight += blue * (p[0] + p[1] + p[2]) / 3.0;
            s.brightShare += (lo > 200) / n;
            double brightness = (p[0] + p[1] + p[2]) / 3.0;
            sum += brightness / n;
            squares += brightness * brightness / n;
        }
    }
    s.seaLight /= std::max(1.0, s.blueShare * n);
    double rowMean = rowSum / map.height;
    s.bandContrast = std::sqrt(std::max(0.0, rowSquares / map.height - rowMean * rowMean));
    s.contrast = std::sqrt(std::max(0.0, squares - sum * sum));
    return s;
}

// Photographic maps of each body measured at 512 x 256: mean colour, spread of
// the lightness, mean chroma. A map is near them when its mean lies within 10
// (CIE76), its chroma within a third (4 for the grey ones), its spread within
// 0.6 to 1.6 times.
struct Photographs {
    uint32_t mean;
    double spread, chroma;
};
const std::map<std::string, Photographs> kPhotographs = {
    {"Sun", {0xfef7a9, 4.4, 39.7}},     {"Mercury", {0x7c7772, 8.4, 3.7}},
    {"Venus", {0xe5be80, 5.4, 36.9}},   {"Earth", {0x385963, 24.8, 17.5}},
    {"Moon", {0x6c6a68, 9.8, 1.5}},     {"Mars", {0x8e5741, 12.6, 30.6}},
    {"Jupiter", {0x9a9790, 10.4, 6.6}}, {"Saturn", {0xdec8a7, 4.6, 19.5}},
    {"Uranus", {0x7b9da8, 2.0, 13.3}},  {"Neptune", {0x415796, 5.5, 39.0}},
    {"Pluto", {0x896f57, 17.6, 18.4}}};

// Mean of a box of (2 * half + 1) pixels square centred at (x, y).
Colour BoxMean(const RgbPicture& map, int x, int y, int half) {
    Colour mean;
    double n = (2.0 * half + 1) * (2.0 * half + 1);
    for (int j = y - half; j <= y + half; ++j) {
        for (int i = x - half; i <= x + half; ++i) {
            const uint8_t* p = Pixel(map, (i + map.width) % map.width, j);
            mean = {mean.r + p[0] / n, mean.g + p[1] / n, mean.b + p[2] / n};
        }
    }
    return mean;
}

TEST(Maps, EveryBodyIsSeamlessSteadyAndInItsOwnColours) {
    double jupiterBands = 0;
    for (std::string body : {"Sun", "Mercury", "Venus", "Earth", "Moon", "Mars", "Jupiter",
                             "Saturn", "Uranus", "Neptune", "Pluto"}) {
        SCOPED_TRACE(body);
        RgbPicture map, again;
        mapThreads = 1;
        ASSERT_TRUE(DrawMap(body, &map));
        ASSERT_EQ(map.width, 1024);
        ASSERT_EQ(map.height, 512);
        ASSERT_EQ(map.pixels.size(), 3u * 1024 * 512);
        mapThreads = 3;
        ASSERT_TRUE(DrawMap(body, &again));
        mapThreads = 0;
        EXPECT_TRUE(map.pixels == again.pixels) << "one thread and three draw different maps";

        double neighbours = 0;
        for (int x = 0; x + 1 < map.width; ++x) neighbours += ColumnDifference(map, x, x + 1);
        neighbours /= map.width - 1;
        EXPECT_LE(ColumnDifference(map, 0, map.width - 1), 2 * neighbours + 0.5)
            << "east-west seam";
        EXPECT_LE(RowSpread(map, 0), 8) << "north pole row";
        EXPECT_LE(RowSpread(map, map.height - 1), 8) << "south pole row";

        MapFigures f = MeasureMap(map);
        const Photographs& photo = kPhotographs.at(body);
        Lab aim = LabOf(photo.mean >> 16, photo.mean >> 8 & 255, photo.mean & 255);
        EXPECT_LE(std::hypot(f.mean.l - aim.l, f.mean.a - aim.a, f.mean.b - aim.b), 10)
            << "mean colour #" << std::hex << HexOf(f.mean);
        EXPECT_NEAR(f.chroma, photo.chroma, photo.chroma < 8 ? 4 : photo.chroma / 3);
        EXPECT_TRUE(f.spread > 0.6 * photo.spread && f.spread < 1.6 * photo.spread)
            << "lightness spread " << f.spread;

        Survey s = Measure(map);
        Colour north = RowMean(map, 0), south = RowMean(map, map.height - 1);
        // A storm at 200 degrees east, 20 or 22 south, and the same latitude 180 degrees away.
        Colour storm = BoxMean(map, 569, body == "Jupiter" ? 318 : 313, 6),
               opposite = BoxMean(map, 57, body == "Jupiter" ? 318 : 313, 6);
        if (body == "Earth") {
            EXPECT_GT(s.blueShare, 0.60);
            EXPECT_LT(s.blueShare, 0.80);
            EXPECT_LT(s.seaLight, 60) << "the open sea deep navy";
            EXPECT_TRUE(White(north) && White(south)) << "ice at both poles";
        } else if (body == "Mars") {
            EXPECT_TRUE(White(north) && White(south)) << "polar caps";
            for (int y : {16, map.height - 9})
                EXPECT_GT(RowSpread(map, y), 40) << "a cap all round";
        } else if (body == "Jupiter") {
            jupiterBands = s.bandContrast;
            double darkest = 255, lightest = 0;  // between latitudes 35 south and north
            for (int y = map.height * 55 / 180; y < map.height * 125 / 180; ++y) {
                Colour row = RowMean(map, y);
                darkest = std::min(darkest, (row.r + row.g + row.b) / 3);
                lightest = std::max(lightest, (row.r + row.g + row.b) / 3);
            }
            EXPECT_GT(lightest - darkest, 40) << "dark belts between light zones";
            EXPECT_GT(storm.r - storm.b, opposite.r - opposite.b + 40) << "the red storm";
            EXPECT_GE(f.turbulence, 2.5) << "turbulent belts";
        } else if (body == "Saturn") {
            EXPECT_LT(s.bandContrast, 0.6 * jupiterBands) << "softer than Jupiter's bands";
        } else if (body == "Uranus") {
            EXPECT_LT(s.contrast, 7) << "almost featureless";
        } else if (body == "Neptune") {
            EXPECT_LT(storm.r + storm.g + storm.b, 0.6 * (opposite.r + opposite.g + opposite.b))
                << "the dark spot";
        } else if (body == "Pluto") {
            EXPECT_GT(s.brightShare, 0.01) << "the bright heart";
            EXPECT_LT(s.brightShare, 0.08);
        }
    }
    RgbPicture none;
    EXPECT_FALSE(DrawMap("Vulcan", &none));
    // A map too small to halve measures as nothing, not as 0 / 0.
    EXPECT_EQ(MeasureMap({1, 1, {255, 255, 255}}).mean.l, 0);
    // A crater whose circle reaches past the pole is drawn, over whole rows.
    Crater high{SpherePoint(80.6f * kDegree, 1), 2.6f * kDegree, 0.5f, 0, 1};
    CraterField field = SplatCraters({high}, 1024, 512);
    EXPECT_GT(*std::max_element(field.shade.begin(), field.shade.end()), 0.1f);
    // One over the pole shades every column of the pole row.
    field = SplatCraters({{SpherePoint(87 * kDegree, 1), 3 * kDegree, 0.5f, 0, 1}}, 1024, 512);
    EXPECT_EQ(std::count(field.shade.begin(), field.shade.begin() + 1024, 0.0f), 0);
    // Rays, which reach far, leave the rows next to the poles alone.
    field = SplatCraters(ScatterCraters({2000, 2 * kDegree, 4 * kDegree, 0.5f, 250}, 7), 1024, 512);
    EXPECT_EQ(*std::max_element(field.bright.begin(), field.bright.begin() + 3 * 1024), 0);
    EXPECT_EQ(*std::max_element(field.bright.end() - 3 * 1024, field.bright.end()), 0);
}

}  // namespace
