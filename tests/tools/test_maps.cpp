// The maps the picture tool draws: every body's map has the viewer's size, is
// the same on every run, joins at its east-west edge, has one colour along
// each pole row, and is coloured as that body is.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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
            s.blueShare += (p[2] > p[0] + 20 && p[2] > p[1] + 10) / n;
            s.brightShare += (lo > 200) / n;
            double brightness = (p[0] + p[1] + p[2]) / 3.0;
            sum += brightness / n;
            squares += brightness * brightness / n;
        }
    }
    double rowMean = rowSum / map.height;
    s.bandContrast = std::sqrt(std::max(0.0, rowSquares / map.height - rowMean * rowMean));
    s.contrast = std::sqrt(std::max(0.0, squares - sum * sum));
    return s;
}

// Hue of the mean colour in degrees (0 red, 60 yellow, 120 green, 240 blue).
double Hue(Colour c) {
    double hue = std::atan2(std::sqrt(3.0) * (c.g - c.b), 2 * c.r - c.g - c.b) * 180 / M_PI;
    return hue < 0 ? hue + 360 : hue;
}

TEST(Maps, EveryBodyIsSeamlessSteadyAndInItsOwnColours) {
    double jupiterBands = 0;
    for (std::string body : {"Sun", "Mercury", "Venus", "Earth", "Moon", "Mars", "Jupiter",
                             "Saturn", "Uranus", "Neptune", "Pluto"}) {
        SCOPED_TRACE(body);
        RgbPicture map, again;
        ASSERT_TRUE(DrawMap(body, &map));
        ASSERT_EQ(map.width, 1024);
        ASSERT_EQ(map.height, 512);
        ASSERT_EQ(map.pixels.size(), 3u * 1024 * 512);
        ASSERT_TRUE(DrawMap(body, &again));
        EXPECT_TRUE(map.pixels == again.pixels) << "not deterministic";

        double neighbours = 0;
        for (int x = 0; x + 1 < map.width; ++x) neighbours += ColumnDifference(map, x, x + 1);
        neighbours /= map.width - 1;
        EXPECT_LE(ColumnDifference(map, 0, map.width - 1), 2 * neighbours + 0.5)
            << "east-west seam";
        EXPECT_LE(RowSpread(map, 0), 8) << "north pole row";
        EXPECT_LE(RowSpread(map, map.height - 1), 8) << "south pole row";

        Survey s = Measure(map);
        Colour north = RowMean(map, 0), south = RowMean(map, map.height - 1);
        if (body == "Sun") {
            EXPECT_GT(s.mean.r, 220);
            EXPECT_TRUE(s.mean.r > s.mean.g && s.mean.g > s.mean.b + 60) << "orange-yellow";
        } else if (body == "Mercury") {
            EXPECT_LT(s.saturation, 0.2);
            EXPECT_GT(s.mean.r, s.mean.b) << "grey-brown";
        } else if (body == "Venus") {
            EXPECT_GT(s.mean.b, 140) << "pale";
            EXPECT_GT(s.mean.r, s.mean.b + 25) << "cream";
            EXPECT_LT(s.contrast, 12) << "low contrast";
        } else if (body == "Earth") {
            EXPECT_GT(s.blueShare, 0.60);
            EXPECT_LT(s.blueShare, 0.80);
            EXPECT_TRUE(White(north) && White(south)) << "ice at both poles";
        } else if (body == "Moon") {
            EXPECT_LT(s.saturation, 0.06) << "grey";
        } else if (body == "Mars") {
            EXPECT_GT(Hue(s.mean), 5);
            EXPECT_LT(Hue(s.mean), 35) << "rust";
            EXPECT_TRUE(White(north) && White(south)) << "polar caps";
        } else if (body == "Jupiter") {
            jupiterBands = s.bandContrast;
            double darkest = 255, lightest = 0;  // between latitudes 35 south and north
            for (int y = map.height * 55 / 180; y < map.height * 125 / 180; ++y) {
                Colour row = RowMean(map, y);
                darkest = std::min(darkest, (row.r + row.g + row.b) / 3);
                lightest = std::max(lightest, (row.r + row.g + row.b) / 3);
            }
            EXPECT_GT(lightest - darkest, 50) << "dark belts between light zones";
            EXPECT_GT(Hue(s.mean), 15);
            EXPECT_LT(Hue(s.mean), 45);
        } else if (body == "Saturn") {
            EXPECT_LT(s.bandContrast, 0.6 * jupiterBands) << "softer than Jupiter's bands";
            EXPECT_GT(Hue(s.mean), 30);
            EXPECT_LT(Hue(s.mean), 50) << "gold";
        } else if (body == "Uranus") {
            EXPECT_GT(Hue(s.mean), 175);
            EXPECT_LT(Hue(s.mean), 200) << "pale cyan";
            EXPECT_LT(s.contrast, 7) << "almost featureless";
        } else if (body == "Neptune") {
            EXPECT_GT(Hue(s.mean), 215);
            EXPECT_LT(Hue(s.mean), 235) << "azure";
            EXPECT_GT(s.mean.b, 150);
        } else if (body == "Pluto") {
            EXPECT_GT(Hue(s.mean), 15);
            EXPECT_LT(Hue(s.mean), 40) << "beige to reddish brown";
            EXPECT_GT(s.brightShare, 0.01) << "the bright heart";
            EXPECT_LT(s.brightShare, 0.08);
        }
    }
    RgbPicture none;
    EXPECT_FALSE(DrawMap("Vulcan", &none));
    // A crater whose circle reaches past the pole is drawn, over whole rows.
    Crater high{SpherePoint(80.6f * kDegree, 1), 2.6f * kDegree, 0.5f, 0, 1};
    CraterField field = SplatCraters({high}, 1024, 512);
    EXPECT_GT(*std::max_element(field.shade.begin(), field.shade.end()), 0.1f);
    // Rays, which reach far, leave the rows next to the poles alone.
    field = SplatCraters(ScatterCraters({2000, 2 * kDegree, 4 * kDegree, 0.5f, 250}, 7), 1024, 512);
    EXPECT_EQ(*std::max_element(field.bright.begin(), field.bright.begin() + 3 * 1024), 0);
    EXPECT_EQ(*std::max_element(field.bright.end() - 3 * 1024, field.bright.end()), 0);
}

}  // namespace
