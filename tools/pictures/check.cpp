// check: for each of the eleven body pictures, says whether the viewer will
// load it (with its size and format) or why not and what to do about it.
// Each file is read with the viewer's own reader; the headers are read again
// only to describe the file and to choose the advice.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "imaging/bmp_decode.h"
#include "platform/console_platform.h"
#include "tools/pictures/pictures.h"

namespace {

namespace fs = std::filesystem;

// Names are UTF-8 on every system; on Windows a path holds them as UTF-16.
std::string Utf8(const fs::path& path) {
    std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

fs::path PathOf(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

constexpr const char* kBodyPictures[] = {
    "Sun.bmp",     "Mercury.bmp", "Venus.bmp",  "earth.bmp",   "Moon.bmp",  "Mars.bmp",
    "Jupiter.bmp", "Saturn.bmp",  "Uranus.bmp", "Neptune.bmp", "pluto.bmp",
};
constexpr size_t kSniffBytes = 64;
constexpr uint32_t kVersion4HeaderSize = 108;
constexpr uint32_t kVersion5HeaderSize = 124;

constexpr char kResaveAdvice[] =
    "Save it again as a plain 24-bit BMP with a 40-byte header, e.g. "
    "`convert in.png BMP3:%s`, or `heliora-pictures import in.png %s`.";
constexpr char kNewerHeaderAdvice[] =
    "This header comes from a newer BMP writer. Save it again with a 40-byte header: "
    "`convert in.png BMP3:%s`, or in GIMP's BMP export tick \"Do not write colour space "
    "information\", or `heliora-pictures import in.png %s`.";

std::vector<unsigned char> ReadWholeFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

bool StartsWith(const std::vector<unsigned char>& bytes, const char* signature, size_t length) {
    return bytes.size() >= length &&
           std::equal(bytes.begin(), bytes.begin() + static_cast<long>(length), signature,
                      [](unsigned char a, char b) { return a == static_cast<unsigned char>(b); });
}

uint32_t HeaderSize(const std::vector<unsigned char>& bytes) {
    size_t start = StartsWith(bytes, "BM", 2) ? kFileHeaderSize : 0;
    ByteCursor cursor = CursorOver(bytes.data(), bytes.size());
    uint32_t size = 0;
    if (!CursorSeek(&cursor, start) || !CursorReadU32(&cursor, &size)) return 0;
    return size;
}

const char* CompressionName(uint32_t compression) {
    switch (compression) {
        case BI_RGB:
            return "uncompressed";
        case BI_RLE8:
            return "RLE8";
        case BI_RLE4:
            return "RLE4";
        case BI_BITFIELDS:
            return "bit fields";
        default:
            return "unknown compression";
    }
}

void DescribeLoaded(const char* name, const std::vector<unsigned char>& bytes) {
    DibSource source;
    BmpFailure failure;
    const char* detail;
    NormalisedDibInfo* info = NormaliseDib(bytes.data(), bytes.size(), &source, &failure, &detail);
    if (info == nullptr) {  // changed since the viewer's reader read it
        printf("%s: loads\n", name);
        return;
    }
    const DibInfoHeader& h = info->header;
    printf("%s: loads: %d x %d, %u-bit %s, %u-byte header%s%s\n", name, h.width,
           h.height < 0 ? -h.height : h.height, h.bitCount, CompressionName(h.compression),
           source.sourceHeaderSize, source.pixelOffsetKnown ? "" : ", no file header",
           h.height < 0 ? ", stored top row first" : "");
    FreeNormalisedDibInfo(info);
}

void Advise(const char* advice, const char* name) {
    printf("    ");
    printf(advice, name, name);
    printf("\n");
}

void ExplainFailure(const char* name, const std::vector<unsigned char>& bytes) {
    printf("%s: will not load: \"%s\"\n", name, ConsoleLastMessage());
    if (StartsWith(bytes, "\x89PNG", 4) || StartsWith(bytes, "\xFF\xD8\xFF", 3)) {
        printf("    It is a %s picture with a .bmp name.\n", bytes[0] == 0x89 ? "PNG" : "JPEG");
        printf("    Convert it: `heliora-pictures import %s %s`.\n", name, name);
        return;
    }
    BmpDecodeResult result = DecodeBmpBytes(bytes.data(), bytes.size(), kMaxOutputBytes);
    if (result.image != nullptr) {  // changed since the viewer's reader read it
        free(result.image->pixels);
        free(result.image);
        return;
    }
    printf("    Why: %s.\n", result.detail);
    uint32_t headerSize = HeaderSize(bytes);
    if (headerSize == kVersion4HeaderSize || headerSize == kVersion5HeaderSize) {
        Advise(kNewerHeaderAdvice, name);
    } else if (result.failure == kBmpOutOfMemory) {
        printf("    Close other programs or use a smaller picture.\n");
    } else {
        Advise(kResaveAdvice, name);
    }
}

// A file whose name differs only in case, which the viewer will not find.
std::string CaseVariant(const fs::path& folder, const std::string& name) {
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        std::string other = Utf8(entry.path().filename());
        if (other.size() == name.size() &&
            std::equal(other.begin(), other.end(), name.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) ==
                       std::tolower(static_cast<unsigned char>(b));
            })) {
            return other;
        }
    }
    return "";
}

void ExplainMissing(const fs::path& folder, const char* name) {
    std::string variant = CaseVariant(folder, name);
    if (!variant.empty()) {
        printf(
            "%s: missing, but %s is there: the viewer looks for %s with exactly that "
            "case. Rename it.\n",
            name, variant.c_str(), name);
        return;
    }
    std::string body(name, strlen(name) - 4);
    printf(
        "%s: missing. Put a BMP picture named exactly %s there, e.g. "
        "`heliora-pictures import picture.png %s` or `heliora-pictures generate %s %s`.\n",
        name, name, Utf8(folder / name).c_str(), body.c_str(), Utf8(folder / name).c_str());
}

bool CheckOne(const fs::path& folder, const char* name) {
    fs::path path = folder / name;
    std::error_code error;
    if (!fs::exists(path, error)) {
        ExplainMissing(folder, name);
        return false;
    }
    ConsoleClearMessage();
    ImageRecord* image = ReadBmpImage(Utf8(path).c_str());
    std::vector<unsigned char> bytes = ReadWholeFile(path);
    if (image != nullptr) {
        free(image->pixels);
        free(image);
        DescribeLoaded(name, bytes);
        return true;
    }
    if (bytes.empty()) {
        printf(
            "%s: will not load: it is empty or cannot be read. Replace it with a BMP "
            "picture.\n",
            name);
        return false;
    }
    ExplainFailure(name, bytes);
    return false;
}

}  // namespace

int CheckCommand(const std::string& folderName) {
    fs::path folder = PathOf(folderName);
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        fprintf(stderr, "%s is not a folder.\n", folderName.c_str());
        return kExitFailure;
    }
    int loaded = 0;
    for (const char* name : kBodyPictures) {
        if (CheckOne(folder, name)) ++loaded;
    }
    int total = static_cast<int>(std::size(kBodyPictures));
    if (loaded == total) {
        printf("All %d pictures load.\n", total);
        return kExitSuccess;
    }
    printf("%d of %d pictures load; the viewer needs all eleven to put pictures on its bodies.\n",
           loaded, total);
    return kExitFailure;
}
