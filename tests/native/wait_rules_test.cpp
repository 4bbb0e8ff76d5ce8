#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "paste/wait_rules.h"

TEST(WaitDueTime, UnitsAndLimits) {
    const struct {
        int32_t amount, unit;
        int64_t want;
    } cases[] = {
        {50, 0, -500000},
        {0, 0, 0},
        {-5, 0, 50000},  // positive: an absolute time long past, due at once
        {2, 1, -20000000},
        {1, 2, -600000000},
        {1, 3, -36000000000},
        {3, 7, -210000},  // any other unit code is the multiplier itself
        {INT32_MAX, 0, -21474836470000},
        {INT32_MAX, 3, std::numeric_limits<int64_t>::min()},  // clamped
        {INT32_MIN, 3, std::numeric_limits<int64_t>::max()},
        {INT32_MAX, INT32_MAX, std::numeric_limits<int64_t>::min()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.amount << " unit " << c.unit);
        EXPECT_EQ(waitDueTime(c.amount, static_cast<WaitUnit>(c.unit)), c.want);
    }
}
