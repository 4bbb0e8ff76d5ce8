#include "paste/wait_rules.h"

#include <cmath>
#include <limits>

int64_t waitDueTime(int32_t amount, int32_t unit) {
    double multiplier;
    switch (unit) {
        case 0: multiplier = 1; break;
        case 1: multiplier = 1000; break;
        case 2: multiplier = 60000; break;
        case 3: multiplier = 3600000; break;
        default: multiplier = unit; break;
    }
    const double due = static_cast<double>(amount) * multiplier * -10000.0;
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    constexpr double kLimit = 9223372036854775808.0;
    if (due >= kLimit) return std::numeric_limits<int64_t>::max();
    if (due < -kLimit) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(due);  // cuts towards zero
}
