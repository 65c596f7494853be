// The BMP reader against two independent decoders, stb_image and SDL2's
// SDL_LoadBMP (its surface converted to RGB24), on 2048 x 1024 pictures at
// 24 bits, 8 bits and RLE8 read from files in the page cache; and a plain
// memcpy of the 24-bit picture's bytes as the floor. Each decoder's output is
// checked against the reader's before timing. The heap is watched through
// malloc so each decoder's peak allocation during one decode is reported.
//
// Run (release flags): cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release
//   cmake --build build-release --target bench_bmp
//   build-release/bench/bench_bmp --benchmark_repetitions=10
//     --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
#include <stb_image.h>
#pragma GCC diagnostic pop

#include "imaging/bmp_decode.h"
#include "imaging/bmp_reader.h"
#include "platform/fake_platform.h"

// ---- Heap watch -----------------------------------------------------------------
// Every malloc, calloc, realloc and free of the process passes through here.
extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);
extern "C" void __libc_free(void*);

namespace {
std::atomic<long long> heapNow{0};
std::atomic<long long> heapPeak{0};

void Count(long long delta) {
    long long now = heapNow.fetch_add(delta) + delta;
    long long peak = heapPeak.load();
    while (now > peak && !heapPeak.compare_exchange_weak(peak, now)) {
    }
}
}  // namespace

extern "C" void* malloc(size_t size) {
    void* p = __libc_malloc(size);
    if (p != nullptr) Count(static_cast<long long>(malloc_usable_size(p)));
    return p;
}
extern "C" void* calloc(size_t count, size_t size) {
    void* p = __libc_calloc(count, size);
    if (p != nullptr) Count(static_cast<long long>(malloc_usable_size(p)));
    return p;
}
extern "C" void* realloc(void* old, size_t size) {
    long long before = old != nullptr ? static_cast<long long>(malloc_usable_size(old)) : 0;
    void* p = __libc_realloc(old, size);
    if (p != nullptr)
        Count(static_cast<long long>(malloc_usable_size(p)) - before);
    else if (size == 0)
        Count(-before);
    return p;
}
extern "C" void free(void* p) {
    if (p == nullptr) return;
    Count(-static_cast<long long>(malloc_usable_size(p)));
    __libc_free(p);
}

namespace {

constexpr int kWidth = 2048;
constexpr int kHeight = 1024;
constexpr size_t kOutputBytes = size_t{3} * kWidth * kHeight;

enum Format { kRgb24 = 0, kIndexed8 = 1, kRle8 = 2 };
const char* kPaths[] = {"/tmp/heliora_bench_24.bmp", "/tmp/heliora_bench_8.bmp",
                        "/tmp/heliora_bench_rle8.bmp"};

// ---- Pictures ---------------------------------------------------------------------
void PutU16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int s = 0; s < 32; s += 8) out.push_back(static_cast<uint8_t>(v >> s));
}

std::vector<uint8_t> Headers(uint16_t bits, uint32_t compression, uint32_t pixelBytes) {
    uint32_t table = bits == 8 ? 1024 : 0;
    std::vector<uint8_t> out{'B', 'M'};
    PutU32(out, 54 + table + pixelBytes);
    PutU32(out, 0);
    PutU32(out, 54 + table);
    PutU32(out, 40);
    PutU32(out, kWidth);
    PutU32(out, kHeight);
    PutU16(out, 1);
    PutU16(out, bits);
    PutU32(out, compression);
    PutU32(out, pixelBytes);
    PutU32(out, 2835);
    PutU32(out, 2835);
    PutU32(out, 0);
    PutU32(out, 0);
    for (uint32_t i = 0; i < table / 4; ++i) {  // blue, green, red, 0
        out.insert(out.end(), {static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 3),
                               static_cast<uint8_t>(i), 0});
    }
    return out;
}

uint32_t Noise(uint32_t x, uint32_t y) {
    uint32_t h = x * 0x9E3779B1u ^ y * 0x85EBCA77u;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    return h ^ (h >> 12);
}

// A map-like picture: broad bands with noisy patches, as colour indices.
uint8_t IndexAt(int x, int y) {
    bool patch = ((x / 128) + (y / 64)) % 5 == 0;
    if (patch) return static_cast<uint8_t>(Noise(x, y));
    return static_cast<uint8_t>(y / 6 + x / 40);
}

void WriteFile(const char* path, const std::vector<uint8_t>& bytes) {
    FILE* f = fopen(path, "wb");
    if (f == nullptr || fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) {
        fprintf(stderr, "cannot write %s\n", path);
        exit(1);
    }
    fclose(f);
}

void MakeRgb24() {
    std::vector<uint8_t> pixels;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            uint32_t n = Noise(x, y);
            pixels.insert(pixels.end(), {static_cast<uint8_t>(x + (n & 15)),
                                         static_cast<uint8_t>(y + (n >> 8 & 15)),
                                         static_cast<uint8_t>((x ^ y) + (n >> 16 & 15))});
        }
    }
    std::vector<uint8_t> file = Headers(24, 0, static_cast<uint32_t>(pixels.size()));
    file.insert(file.end(), pixels.begin(), pixels.end());
    WriteFile(kPaths[kRgb24], file);
}

void MakeIndexed8() {
    std::vector<uint8_t> pixels;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) pixels.push_back(IndexAt(x, y));
    }
    std::vector<uint8_t> file = Headers(8, 0, static_cast<uint32_t>(pixels.size()));
    file.insert(file.end(), pixels.begin(), pixels.end());
    WriteFile(kPaths[kIndexed8], file);
}

// RLE8 as a usual writer does it: encoded runs for repeats, absolute runs
// for stretches of differing bytes, an end of line after each row.
void EncodeRow(const std::vector<uint8_t>& row, std::vector<uint8_t>& out) {
    size_t x = 0;
    while (x < row.size()) {
        size_t run = 1;
        while (x + run < row.size() && run < 255 && row[x + run] == row[x]) ++run;
        if (run >= 2) {
            out.insert(out.end(), {static_cast<uint8_t>(run), row[x]});
            x += run;
            continue;
        }
        size_t literal = 1;
        while (x + literal < row.size() && literal < 255 &&
               (x + literal + 1 >= row.size() || row[x + literal] != row[x + literal + 1])) {
            ++literal;
        }
        if (literal < 3) {
            out.insert(out.end(), {1, row[x]});
            ++x;
            continue;
        }
        out.insert(out.end(), {0, static_cast<uint8_t>(literal)});
        out.insert(out.end(), row.begin() + static_cast<long>(x),
                   row.begin() + static_cast<long>(x + literal));
        if (literal & 1) out.push_back(0);
        x += literal;
    }
    out.insert(out.end(), {0, 0});
}

void MakeRle8() {
    std::vector<uint8_t> stream, row(kWidth);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) row[x] = IndexAt(x, y);
        EncodeRow(row, stream);
    }
    stream.insert(stream.end(), {0, 1});
    std::vector<uint8_t> file = Headers(8, 1, static_cast<uint32_t>(stream.size()));
    file.insert(file.end(), stream.begin(), stream.end());
    WriteFile(kPaths[kRle8], file);
}

// ---- Decoders -----------------------------------------------------------------------
// Each gives the picture as RGB rows, top row first, or nothing.
std::vector<uint8_t> OursTopFirst(const char* path) {
    ImageRecord* image = ReadBmpImage(path);
    if (image == nullptr) return {};
    size_t rowBytes = 3 * size_t(image->width);
    std::vector<uint8_t> out;
    for (int y = image->height - 1; y >= 0; --y) {
        out.insert(out.end(), image->pixels + rowBytes * y, image->pixels + rowBytes * (y + 1));
    }
    free(image->pixels);
    free(image);
    return out;
}

std::vector<uint8_t> StbTopFirst(const char* path) {
    int w, h, n;
    uint8_t* p = stbi_load(path, &w, &h, &n, 3);
    if (p == nullptr) return {};
    std::vector<uint8_t> out(p, p + size_t(3) * w * h);
    stbi_image_free(p);
    return out;
}

SDL_Surface* SdlRgb24(const char* path) {
    SDL_Surface* loaded = SDL_LoadBMP(path);
    if (loaded == nullptr) return nullptr;
    SDL_Surface* rgb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB24, 0);
    SDL_FreeSurface(loaded);
    return rgb;
}

std::vector<uint8_t> SdlTopFirst(const char* path) {
    SDL_Surface* rgb = SdlRgb24(path);
    if (rgb == nullptr) return {};
    std::vector<uint8_t> out;
    for (int y = 0; y < rgb->h; ++y) {
        const uint8_t* row = static_cast<const uint8_t*>(rgb->pixels) + size_t(rgb->pitch) * y;
        out.insert(out.end(), row, row + 3 * size_t(rgb->w));
    }
    SDL_FreeSurface(rgb);
    return out;
}

// Which peers decode each format to exactly the reader's output.
bool stbAgrees[3], sdlAgrees[3];

void Prepare() {
    static bool prepared = false;
    if (prepared) return;
    prepared = true;
    MakeRgb24();
    MakeIndexed8();
    MakeRle8();
    for (int f = 0; f < 3; ++f) {
        std::vector<uint8_t> ours = OursTopFirst(kPaths[f]);
        if (ours.size() != kOutputBytes) {
            fprintf(stderr, "the reader refused %s\n", kPaths[f]);
            exit(1);
        }
        stbAgrees[f] = StbTopFirst(kPaths[f]) == ours;
        sdlAgrees[f] = SdlTopFirst(kPaths[f]) == ours;
        fprintf(stderr, "%s: stb_image %s, SDL_LoadBMP %s\n", kPaths[f],
                stbAgrees[f] ? "agrees" : "cannot decode it or differs",
                sdlAgrees[f] ? "agrees" : "cannot decode it or differs");
    }
    fake::Reset();
}

// Peak heap above the level before one decode, in bytes.
template <typename Decode>
long long PeakOfOneDecode(Decode decode) {
    long long base = heapNow.load();
    heapPeak.store(base);
    decode();
    return heapPeak.load() - base;
}

void Report(benchmark::State& state, long long peak) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * int64_t(kOutputBytes));
    state.counters["peak_heap_MB"] = static_cast<double>(peak) / (1 << 20);
    state.counters["peak_over_output"] = static_cast<double>(peak) / double(kOutputBytes);
}

void Heliora(benchmark::State& state) {
    Prepare();
    const char* path = kPaths[state.range(0)];
    auto decode = [path] {
        ImageRecord* image = ReadBmpImage(path);
        benchmark::DoNotOptimize(image->pixels[0]);
        free(image->pixels);
        free(image);
    };
    long long peak = PeakOfOneDecode(decode);
    int sinceReset = 0;
    for (auto _ : state) {
        decode();
        if (++sinceReset == 256) {  // the fake's call log would grow without end
            fake::Reset();
            sinceReset = 0;
        }
    }
    fake::Reset();
    Report(state, peak);
}

// The reader's decoder alone, on the file's bytes already in memory: the
// part of the time that is conversion rather than mapping the file.
void HelioraDecodeOnly(benchmark::State& state) {
    Prepare();
    FILE* f = fopen(kPaths[state.range(0)], "rb");
    std::vector<uint8_t> bytes(size_t{8} << 20);
    bytes.resize(fread(bytes.data(), 1, bytes.size(), f));
    fclose(f);
    auto decode = [&bytes] {
        BmpDecodeResult result = DecodeBmpBytes(bytes.data(), bytes.size(), kMaxOutputBytes);
        benchmark::DoNotOptimize(result.image->pixels[0]);
        free(result.image->pixels);
        free(result.image);
    };
    long long peak = PeakOfOneDecode(decode);
    for (auto _ : state) decode();
    Report(state, peak);
}

void StbImage(benchmark::State& state) {
    Prepare();
    if (!stbAgrees[state.range(0)]) {
        state.SkipWithError("stb_image cannot decode this format");
        return;
    }
    const char* path = kPaths[state.range(0)];
    auto decode = [path] {
        int w, h, n;
        uint8_t* p = stbi_load(path, &w, &h, &n, 3);
        benchmark::DoNotOptimize(p[0]);
        stbi_image_free(p);
    };
    long long peak = PeakOfOneDecode(decode);
    for (auto _ : state) decode();
    Report(state, peak);
}

void SdlLoadBmp(benchmark::State& state) {
    Prepare();
    if (!sdlAgrees[state.range(0)]) {
        state.SkipWithError("SDL_LoadBMP cannot decode this format");
        return;
    }
    const char* path = kPaths[state.range(0)];
    auto decode = [path] {
        SDL_Surface* rgb = SdlRgb24(path);
        benchmark::DoNotOptimize(static_cast<uint8_t*>(rgb->pixels)[0]);
        SDL_FreeSurface(rgb);
    };
    long long peak = PeakOfOneDecode(decode);
    for (auto _ : state) decode();
    Report(state, peak);
}

// The floor: copying the 24-bit picture's bytes from one warm buffer to another.
void MemcpyOf24BitPicture(benchmark::State& state) {
    std::vector<uint8_t> from(kOutputBytes, 7), to(kOutputBytes);
    for (auto _ : state) {
        memcpy(to.data(), from.data(), kOutputBytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * int64_t(kOutputBytes));
}

// The same copy into a fresh malloc block, as a decoder's output is.
void MallocAndMemcpyOf24BitPicture(benchmark::State& state) {
    std::vector<uint8_t> from(kOutputBytes, 7);
    for (auto _ : state) {
        uint8_t* to = static_cast<uint8_t*>(malloc(kOutputBytes));
        memcpy(to, from.data(), kOutputBytes);
        benchmark::DoNotOptimize(to[kOutputBytes - 1]);
        free(to);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * int64_t(kOutputBytes));
}

void Formats(benchmark::internal::Benchmark* b) {
    b->ArgName("format")->Arg(kRgb24)->Arg(kIndexed8)->Arg(kRle8)->Unit(benchmark::kMillisecond);
}

}  // namespace

// All in one program, so the peers run side by side in one run.
BENCHMARK(MemcpyOf24BitPicture)->Unit(benchmark::kMillisecond);
BENCHMARK(MallocAndMemcpyOf24BitPicture)->Unit(benchmark::kMillisecond);
BENCHMARK(Heliora)->Apply(Formats);
BENCHMARK(HelioraDecodeOnly)->Apply(Formats);
BENCHMARK(StbImage)->Apply(Formats);
BENCHMARK(SdlLoadBmp)->Apply(Formats);

BENCHMARK_MAIN();
