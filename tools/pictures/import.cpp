// import: reads a PNG or JPEG (any picture stb_image reads), scales it down
// with a box filter to at most 1024 x 512 keeping its proportions, and saves
// it as a 24-bit BMP the viewer reads.
#include <algorithm>
#include <cmath>
#include <cstdio>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_HDR
#define STBI_NO_LINEAR
#include <stb_image.h>

#include "tools/pictures/pictures.h"

namespace {

constexpr int32_t kMaxWidth = 1024;
constexpr int32_t kMaxHeight = 512;
constexpr int kRgbChannels = 3;

void FitWithin(int32_t width, int32_t height, int32_t* fitWidth, int32_t* fitHeight) {
    double scale = std::min(
        {1.0, static_cast<double>(kMaxWidth) / width, static_cast<double>(kMaxHeight) / height});
    *fitWidth = std::max<int32_t>(1, static_cast<int32_t>(std::lround(width * scale)));
    *fitHeight = std::max<int32_t>(1, static_cast<int32_t>(std::lround(height * scale)));
    *fitWidth = std::min(*fitWidth, kMaxWidth);
    *fitHeight = std::min(*fitHeight, kMaxHeight);
}

// Each output pixel is the area-weighted mean of the source pixels it covers.
RgbPicture BoxScale(const uint8_t* source, int32_t width, int32_t height, int32_t outWidth,
                    int32_t outHeight) {
    RgbPicture out;
    out.width = outWidth;
    out.height = outHeight;
    out.pixels.resize(3 * static_cast<size_t>(outWidth) * outHeight);
    double xStep = static_cast<double>(width) / outWidth;
    double yStep = static_cast<double>(height) / outHeight;
    for (int32_t oy = 0; oy < outHeight; ++oy) {
        double y0 = oy * yStep, y1 = y0 + yStep;
        for (int32_t ox = 0; ox < outWidth; ++ox) {
            double x0 = ox * xStep, x1 = x0 + xStep;
            double sum[3] = {0, 0, 0}, area = 0;
            for (int32_t sy = static_cast<int32_t>(y0); sy < height && sy < y1; ++sy) {
                double wy = std::min<double>(sy + 1, y1) - std::max<double>(sy, y0);
                for (int32_t sx = static_cast<int32_t>(x0); sx < width && sx < x1; ++sx) {
                    double w = wy * (std::min<double>(sx + 1, x1) - std::max<double>(sx, x0));
                    const uint8_t* p = source + 3 * (static_cast<size_t>(sy) * width + sx);
                    for (int c = 0; c < 3; ++c) sum[c] += w * p[c];
                    area += w;
                }
            }
            uint8_t* o = out.pixels.data() + 3 * (static_cast<size_t>(oy) * outWidth + ox);
            for (int c = 0; c < 3; ++c) {
                o[c] = static_cast<uint8_t>(std::clamp(std::lround(sum[c] / area), 0L, 255L));
            }
        }
    }
    return out;
}

}  // namespace

int ImportCommand(const std::string& source, const std::string& bmpPath) {
    int width = 0, height = 0, channels = 0;
    uint8_t* pixels = stbi_load(source.c_str(), &width, &height, &channels, kRgbChannels);
    if (pixels == nullptr) {
        fprintf(stderr, "Cannot read %s as a picture: %s.\n", source.c_str(),
                stbi_failure_reason());
        return kExitFailure;
    }
    int32_t outWidth, outHeight;
    FitWithin(width, height, &outWidth, &outHeight);
    RgbPicture picture = BoxScale(pixels, width, height, outWidth, outHeight);
    stbi_image_free(pixels);
    if (!WriteBmp24(bmpPath, picture)) return kExitFailure;
    printf("%s: %d x %d -> %s: %d x %d, 24-bit BMP\n", source.c_str(), width, height,
           bmpPath.c_str(), outWidth, outHeight);
    return kExitSuccess;
}
