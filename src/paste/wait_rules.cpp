#include "paste/wait_rules.h"

#include <cmath>
#include <limits>

int64_t waitDueTime(int32_t amount, WaitUnit unit) {
    double multiplier;
    switch (unit) {
        case WaitUnit::Milliseconds: multiplier = 1; break;
        case WaitUnit::Seconds: multiplier = 1000; break;
        case WaitUnit::Minutes: multiplier = 60000; break;
        case WaitUnit::Hours: multiplier = 3600000; break;
        default: multiplier = static_cast<int32_t>(unit); break;
    }
    const double due = static_cast<double>(amount) * multiplier * -10000.0;
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    constexpr double kLimit = 9223372036854775808.0;
    if (due >= kLimit) return std::numeric_limits<int64_t>::max();
    if (due < -kLimit) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(due);  // cuts towards zero
}
