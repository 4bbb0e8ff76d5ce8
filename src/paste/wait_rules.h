// Arithmetic behind the paste wait and the busy-clipboard retry.
#pragma once
#include <cstdint>

// Due time for SetWaitableTimer in 100 ns units, negative meaning relative:
// amount x multiplier x -10000, where unit 0..3 is ms, s, min, h and any other
// unit code is itself the multiplier. Values that do not fit are clamped.
int64_t waitDueTime(int32_t amount, int32_t unit);

// Calls tryOnce until it succeeds or budgetMs have passed on the clock now()
// (a wrapping millisecond tick count), sleeping intervalMs between tries.
template <typename TryOnce, typename Now, typename Sleep>
bool retryWithin(TryOnce tryOnce, Now now, Sleep sleep, uint32_t budgetMs, uint32_t intervalMs) {
    const uint32_t start = now();
    for (;;) {
        if (tryOnce()) return true;
        // Unsigned difference survives the tick count wrapping around.
        if (static_cast<uint32_t>(now() - start) >= budgetMs) return false;
        sleep(intervalMs);
    }
}
