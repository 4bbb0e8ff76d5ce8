// Retrying an attempt until a deadline on a wrapping millisecond clock.
// Window-free.
#pragma once
#include <cstdint>

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
