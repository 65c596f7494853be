// Run-length BMP pixels (BI_RLE8 and BI_RLE4): encoded runs, absolute runs and
// the end-of-line, end-of-picture and delta escapes, written straight into the
// red-green-blue output. The stream can only move forward, so the pixels it
// leaves out are painted black as the position passes them, the colour they
// keep in a freshly made 24-bit picture. Pixels of a run past the end of its
// row are dropped: writers encode the row padding too. A delta or pixel past
// the picture, or a stream that stops before the picture is complete, refuses
// the file.
#include "imaging/bmp_decode.h"

namespace {

constexpr uint8_t kEscape = 0;
constexpr uint8_t kEndOfLine = 0;
constexpr uint8_t kEndOfPicture = 1;
constexpr uint8_t kDelta = 2;
constexpr size_t kPixelBytes = 3;

struct RunLengthState {
    unsigned char* output;
    const IndexPalette* palette;
    int bitCount;  // 8 or 4
    uint32_t width;
    uint32_t height;
    uint32_t x;  // 0..width
    uint32_t y;  // 0..height
    const char** detail;
};

uint64_t LinearPosition(const RunLengthState* state, uint32_t x, uint32_t y) {
    return static_cast<uint64_t>(y) * state->width + x;
}

// Paints black every pixel from the current position up to (x, y) and moves there.
void SkipTo(RunLengthState* state, uint32_t x, uint32_t y) {
    uint64_t from = LinearPosition(state, state->x, state->y);
    uint64_t to = LinearPosition(state, x, y);
    memset(state->output + from * kPixelBytes, 0, static_cast<size_t>((to - from) * kPixelBytes));
    state->x = x;
    state->y = y;
}

bool Fail(RunLengthState* state, const char* why) {
    *state->detail = why;
    return false;
}

// How many of `count` pixels at the current position land inside the row;
// false for pixels above the last row.
bool RunStart(RunLengthState* state, uint32_t count, uint32_t* inside) {
    if (state->y >= state->height)
        return Fail(state, "its run-length data has pixels past the last row");
    uint32_t room = state->width - state->x;
    *inside = count < room ? count : room;
    return true;
}

unsigned char* Here(const RunLengthState* state) {
    return state->output + LinearPosition(state, state->x, state->y) * kPixelBytes;
}

// Writes the first `inside` pixels of a run of `count`; `index(i)` gives the
// colour index of the i-th pixel. The position stops at the end of the row.
template <typename IndexOf>
void WriteRun(RunLengthState* state, uint32_t inside, IndexOf index) {
    if (inside == 0) return;
    unsigned char* out = Here(state);
    uint32_t i = 0;
    for (; i + 1 < inside; ++i, out += kPixelBytes) memcpy(out, state->palette->rgb[index(i)], 4);
    memcpy(out, state->palette->rgb[index(i)], 3);
    state->x += inside;
}

bool EncodedRun(RunLengthState* state, uint8_t count, uint8_t value) {
    uint32_t inside;
    if (!RunStart(state, count, &inside)) return false;
    if (state->bitCount == 8) {
        WriteRun(state, inside, [value](uint32_t) { return value; });
    } else {
        uint8_t even = value >> 4, odd = value & 0x0F;
        WriteRun(state, inside, [even, odd](uint32_t i) { return (i & 1) ? odd : even; });
    }
    return true;
}

bool AbsoluteRun(RunLengthState* state, ByteCursor* stream, uint8_t count) {
    uint32_t inside;
    if (!RunStart(state, count, &inside)) return false;
    size_t bytes = state->bitCount == 8 ? count : (count + 1u) / 2;
    const unsigned char* data = CursorTake(stream, bytes);
    if (data == nullptr) return Fail(state, "the file ends inside a run-length absolute run");
    if (state->bitCount == 8) {
        WriteRun(state, inside, [data](uint32_t i) { return data[i]; });
    } else {
        WriteRun(state, inside, [data](uint32_t i) {
            return (i & 1) ? (data[i >> 1] & 0x0F) : (data[i >> 1] >> 4);
        });
    }
    // Absolute runs are padded to a 16-bit boundary; a missing final pad byte
    // at the very end of the file is let pass.
    if ((bytes & 1) != 0) CursorTake(stream, CursorRemaining(stream) > 0 ? 1 : 0);
    return true;
}

bool Delta(RunLengthState* state, ByteCursor* stream) {
    uint8_t right, up;
    if (!CursorReadU8(stream, &right) || !CursorReadU8(stream, &up)) {
        return Fail(state, "the file ends inside a run-length delta");
    }
    uint64_t x = static_cast<uint64_t>(state->x) + right;
    uint64_t y = static_cast<uint64_t>(state->y) + up;
    if (x > state->width || y > state->height || (y == state->height && x > 0)) {
        return Fail(state, "a run-length delta moves past the picture");
    }
    SkipTo(state, static_cast<uint32_t>(x), static_cast<uint32_t>(y));
    return true;
}

void EndOfLine(RunLengthState* state) {
    // Further end-of-line marks after the last row change nothing.
    if (state->y < state->height) SkipTo(state, 0, state->y + 1);
}

bool PictureComplete(const RunLengthState* state) {
    return LinearPosition(state, state->x, state->y) ==
           static_cast<uint64_t>(state->width) * state->height;
}

}  // namespace

BmpFailure ConvertRunLength(const NormalisedDibInfo* info, const DibSource* source,
                            ByteCursor* file, unsigned char* output, const char** detail) {
    IndexPalette palette;
    BuildIndexPalette(info, &palette);
    RunLengthState state{output,
                         &palette,
                         info->header.bitCount,
                         static_cast<uint32_t>(info->header.width),
                         static_cast<uint32_t>(info->header.height),
                         0,
                         0,
                         detail};
    if (!CursorSeek(file, source->pixelOffset)) {
        *detail = "its pixel data would start past the end of the file";
        return kBmpConversionError;
    }
    // The stream runs to its end-of-picture mark or to the end of the file.
    uint8_t first, second;
    while (CursorReadU8(file, &first) && CursorReadU8(file, &second)) {
        bool ok = true;
        if (first != kEscape) {
            ok = EncodedRun(&state, first, second);
        } else if (second == kEndOfLine) {
            EndOfLine(&state);
        } else if (second == kEndOfPicture) {
            SkipTo(&state, 0, state.height);
            return kBmpSuccess;
        } else if (second == kDelta) {
            ok = Delta(&state, file);
        } else {
            ok = AbsoluteRun(&state, file, second);
        }
        if (!ok) return kBmpConversionError;
    }
    if (!PictureComplete(&state)) {
        *detail = "the file ends before its run-length data reaches the end of the picture";
        return kBmpConversionError;
    }
    return kBmpSuccess;
}
