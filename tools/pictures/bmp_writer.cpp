// Writes 24-bit BMP files: 14-byte file header, 40-byte information header,
// rows bottom first and padded to 4 bytes, pixels blue-green-red.
#include <cstdio>
#include <string>

#include "platform/platform.h"
#include "tools/pictures/pictures.h"

namespace {

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint16_t kBitCount = 24;
constexpr int32_t kPixelsPerMetre = 2835;  // 72 dots per inch

void PutU16(std::vector<uint8_t>& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

// Why a picture was not written: a refusal in our words, any other failure
// in the system's.
const char* Reason(ReplaceResult result, const std::string& why) {
    switch (result) {
        case ReplaceResult::kFolder:
            return "it is a folder";
        case ReplaceResult::kLinkLoop:
            return "a loop of symbolic links";
        case ReplaceResult::kNotRegularFile:
            return "it is not a regular file (a device, a pipe or a socket)";
        case ReplaceResult::kReadOnly:
            return "it is read-only, and a read-only file is never replaced";
        case ReplaceResult::kReplaced:
        case ReplaceResult::kFailed:
            break;
    }
    return why.c_str();
}

}  // namespace

bool WriteBmp24(const std::string& path, const RgbPicture& picture) {
    uint32_t stride = (3u * static_cast<uint32_t>(picture.width) + 3u) & ~3u;
    uint32_t imageBytes = stride * static_cast<uint32_t>(picture.height);
    std::vector<uint8_t> file;
    file.reserve(kFileHeaderBytes + kInfoHeaderBytes + imageBytes);
    file.push_back('B');
    file.push_back('M');
    PutU32(file, kFileHeaderBytes + kInfoHeaderBytes + imageBytes);
    PutU32(file, 0);  // two reserved fields
    PutU32(file, kFileHeaderBytes + kInfoHeaderBytes);
    PutU32(file, kInfoHeaderBytes);
    PutU32(file, static_cast<uint32_t>(picture.width));
    PutU32(file, static_cast<uint32_t>(picture.height));
    PutU16(file, 1);  // planes
    PutU16(file, kBitCount);
    PutU32(file, 0);  // BI_RGB
    PutU32(file, imageBytes);
    PutU32(file, kPixelsPerMetre);
    PutU32(file, kPixelsPerMetre);
    PutU32(file, 0);  // colours used
    PutU32(file, 0);  // colours important
    for (int32_t row = picture.height - 1; row >= 0; --row) {
        const uint8_t* pixel = picture.pixels.data() + 3 * static_cast<size_t>(row) * picture.width;
        for (int32_t x = 0; x < picture.width; ++x, pixel += 3) {
            file.push_back(pixel[2]);
            file.push_back(pixel[1]);
            file.push_back(pixel[0]);
        }
        for (uint32_t pad = 3u * static_cast<uint32_t>(picture.width); pad < stride; ++pad) {
            file.push_back(0);
        }
    }
    // Written beside the target and renamed over it, never rewritten in place:
    // a viewer that has the old picture mapped keeps reading it whole, and one
    // that opens it meanwhile finds the old picture or the new one.
    std::string why;
    const ReplaceResult result = PlatReplaceFile(path.c_str(), file.data(), file.size(), &why);
    if (result == ReplaceResult::kReplaced) return true;
    fprintf(stderr, "Cannot write %s: %s. Nothing was changed.\n", path.c_str(),
            Reason(result, why));
    return false;
}
