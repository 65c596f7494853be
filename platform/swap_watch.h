// Whether a granted swap interval really waits for the display. A run of
// swaps that each come back sooner than three quarters of a refresh after the
// one before shows that it does not (Wine on a virtual X server, a driver whose
// settings force vertical sync off); a real vertical sync never makes such a
// run, since drivers queue at most three or four frames ahead. Both backends
// watch their swaps with it and pace them once it says so.
#pragma once

#include <cstdint>

constexpr int kFastSwapsThatStartPacing = 8;

struct SwapWatch {
    int64_t lastSwap = 0;  // when the last swap came back, 0 before the first
    int fastSwaps = 0;     // swaps in a row that came sooner than a refresh
};

// Notes a swap that came back at `now`, on any clock whose refresh is
// `refresh` long; true once the run shows that the swaps do not wait.
inline bool SwapsDoNotWait(SwapWatch& watch, int64_t now, int64_t refresh) {
    bool fast = watch.lastSwap != 0 && now - watch.lastSwap < refresh * 3 / 4;
    watch.fastSwaps = fast ? watch.fastSwaps + 1 : 0;
    watch.lastSwap = now;
    return watch.fastSwaps >= kFastSwapsThatStartPacing;
}
