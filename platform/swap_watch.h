// Whether a granted swap interval really waits for the display. A run of
// swaps that each come back sooner than three quarters of a refresh after the
// one before shows that it does not (Wine on a virtual X server, a driver whose
// settings force vertical sync off); a real vertical sync never makes such a
// run, since drivers queue at most three or four frames ahead. Both backends
// watch their swaps with it and pace them once it says so.
#pragma once

#include <cstdint>

constexpr int kFastSwapsThatStartPacing = 8;

// Notes a swap that came back `sinceLast` after the one before (negative for
// a context's first), on any clock whose refresh is `refresh` long, in
// `fastSwaps`, the run so far; true once the run shows that swaps do not wait.
inline bool SwapsDoNotWait(int& fastSwaps, int64_t sinceLast, int64_t refresh) {
    bool fast = sinceLast >= 0 && sinceLast < refresh * 3 / 4;
    fastSwaps = fast ? fastSwaps + 1 : 0;
    return fastSwaps >= kFastSwapsThatStartPacing;
}
