// measure: how bright and how colourful each map is, in CIE L*a*b* (D65), at
// half size (512 x 256, each pixel the mean of four), so that the figures
// can be set beside those of photographic maps measured the same way.
#include <cmath>
#include <cstdio>

#include "tools/pictures/maps.h"

namespace {

double Linear(double c) {
    c /= 255;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}
double Encoded(double c) {
    c = c <= 0.0031308 ? 12.92 * c : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
    return std::clamp(c * 255, 0.0, 255.0);
}

constexpr double kWhite[3] = {0.95047, 1.0, 1.08883};
double LabF(double t) { return t > 216.0 / 24389 ? std::cbrt(t) : (24389.0 / 27 * t + 16) / 116; }
double LabFInverse(double f) {
    return f * f * f > 216.0 / 24389 ? f * f * f : (116 * f - 16) * 27 / 24389;
}

}  // namespace

Lab LabOf(double r, double g, double b) {
    double R = Linear(r), G = Linear(g), B = Linear(b);
    double x = LabF((0.4124564 * R + 0.3575761 * G + 0.1804375 * B) / kWhite[0]);
    double y = LabF((0.2126729 * R + 0.7151522 * G + 0.0721750 * B) / kWhite[1]);
    double z = LabF((0.0193339 * R + 0.1191920 * G + 0.9503041 * B) / kWhite[2]);
    return {116 * y - 16, 500 * (x - y), 200 * (y - z)};
}

uint32_t HexOf(Lab lab) {
    double fy = (lab.l + 16) / 116;
    double X = LabFInverse(fy + lab.a / 500) * kWhite[0], Y = LabFInverse(fy) * kWhite[1],
           Z = LabFInverse(fy - lab.b / 200) * kWhite[2];
    double rgb[3] = {3.2404542 * X - 1.5371385 * Y - 0.4985314 * Z,
                     -0.9692660 * X + 1.8760108 * Y + 0.0415560 * Z,
                     0.0556434 * X - 0.2040259 * Y + 1.0572252 * Z};
    uint32_t hex = 0;
    for (double c : rgb) hex = hex << 8 | static_cast<uint32_t>(std::lround(Encoded(c)));
    return hex;
}

MapFigures MeasureMap(const RgbPicture& map) {
    MapFigures figures;
    double n = 0, sum[3] = {0, 0, 0}, squares = 0;
    double steps = 0, previous = 0;
    for (int32_t y = 0; y + 1 < map.height; y += 2) {
        for (int32_t x = 0; x + 1 < map.width; x += 2) {
            double c[3] = {0, 0, 0};
            for (int32_t k = 0; k < 4; ++k) {
                const uint8_t* p = map.pixels.data() +
                                   3 * (static_cast<size_t>(y + k / 2) * map.width + x + k % 2);
                for (int i = 0; i < 3; ++i) c[i] += p[i] / 4.0;
            }
            Lab lab = LabOf(c[0], c[1], c[2]);
            sum[0] += lab.l;
            sum[1] += lab.a;
            sum[2] += lab.b;
            squares += lab.l * lab.l;
            figures.chroma += std::hypot(lab.a, lab.b);
            double grey = 0.299 * c[0] + 0.587 * c[1] + 0.114 * c[2];
            if (x > 0) {
                figures.turbulence += std::fabs(grey - previous);
                steps += 1;
            }
            previous = grey;
            n += 1;
        }
    }
    if (n == 0) return figures;  // smaller than 2 x 2: nothing to measure
    figures.turbulence /= std::max(steps, 1.0);
    figures.mean = {sum[0] / n, sum[1] / n, sum[2] / n};
    figures.spread = std::sqrt(std::max(0.0, squares / n - figures.mean.l * figures.mean.l));
    figures.chroma /= n;
    return figures;
}

int MeasureCommand(std::vector<std::string> bodies) {
    if (bodies.empty()) {
        bodies = {"Sun",     "Mercury", "Venus",  "Earth",   "Moon", "Mars",
                  "Jupiter", "Saturn",  "Uranus", "Neptune", "Pluto"};
    }
    printf("%-8s  %-7s  %5s  %6s  %5s  %10s\n", "map", "mean", "L*", "spread", "C*", "turbulence");
    for (const std::string& body : bodies) {
        RgbPicture map;
        if (!DrawMap(body, &map)) {
            fprintf(stderr, "Unknown body %s.\n", body.c_str());
            return kExitUsage;
        }
        MapFigures f = MeasureMap(map);
        printf("%-8s  #%06x  %5.1f  %6.1f  %5.1f  %10.2f\n", body.c_str(), HexOf(f.mean), f.mean.l,
               f.spread, f.chroma, f.turbulence);
    }
    return kExitSuccess;
}
