#include <gtest/gtest.h>

#include "paste/handover.h"

namespace {

using Outcome = HandOver::Outcome;

HandOver::Outcome finished(HandOver& h, uint64_t serial) {
    Outcome o = Outcome::Missed;
    EXPECT_TRUE(h.finish(serial, o));
    return o;
}

}  // namespace

TEST(HandOver, EndsWhenTakenReplacedOrOutOfTime) {
    const struct {
        const char* name;
        bool take, replace;
        uint32_t after;  // ms after the start
        bool waiting;
        Outcome outcome;
    } cases[] = {
        {"fresh", false, false, 0, true, Outcome::Missed},
        {"just before the bound", false, false, HandOver::kBoundMs - 1, true, Outcome::Missed},
        {"at the bound", false, false, HandOver::kBoundMs, false, Outcome::Missed},
        {"taken", true, false, 5, false, Outcome::Taken},
        {"replaced", false, true, 5, false, Outcome::Replaced},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HandOver h;
        const uint32_t start = 0xFFFFFF00u;  // the tick count wraps during the bound
        const uint64_t serial = h.begin(start);
        if (c.take) h.taken();
        if (c.replace) h.replaced();
        EXPECT_EQ(h.waiting(serial, start + c.after), c.waiting);
        EXPECT_EQ(h.remainingMs(start + c.after) > 0, c.waiting);
        EXPECT_EQ(finished(h, serial), c.outcome);
    }
}

TEST(HandOver, FinishesOnceAndOnlyTheCurrentText) {
    HandOver h;
    const uint64_t first = h.begin(100);
    Outcome o;
    EXPECT_TRUE(h.finish(first, o));
    EXPECT_FALSE(h.finish(first, o));  // the wait of a paste and the next paste's gate: one signal
    EXPECT_FALSE(h.waiting(first, 100));
    EXPECT_EQ(h.remainingMs(100), 0u);
    h.taken();  // late reads of a finished text change nothing
    const uint64_t second = h.begin(200);
    EXPECT_NE(second, first);
    EXPECT_FALSE(h.waiting(first, 200));  // a later text has taken over
    EXPECT_FALSE(h.finish(first, o));
    EXPECT_TRUE(h.waiting(second, 200));
    EXPECT_EQ(h.remainingMs(700), HandOver::kBoundMs - 500);
}

TEST(HandOver, NothingWaitsBeforeTheFirstText) {
    HandOver h;
    Outcome o;
    EXPECT_EQ(h.remainingMs(0), 0u);
    EXPECT_FALSE(h.finish(h.current(), o));
}
