#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "paste/stepping.h"

namespace {

constexpr int32_t kId = 33001;

// A list of rows and a paster that records what each paste would put on the
// clipboard ("" for a row outside the list).
struct FakeHost : PasteHost {
    AppState& app;
    std::vector<std::string> rows;
    std::vector<std::string> pasted;
    std::vector<std::string> titles;
    int32_t selected = -1;
    std::function<void(int)> duringPaste;  // runs inside the n-th paste's wait
    bool open = true;

    FakeHost(AppState& a, std::vector<std::string> r) : app(a), rows(std::move(r)) {}
    int32_t rowCount() override { return static_cast<int32_t>(rows.size()); }
    int32_t selectedRow() override { return selected; }
    void pasteRow(int32_t row) override {
        pasted.push_back(row >= 0 && row < rowCount() ? rows[row] : "");
        if (duringPaste) duringPaste(static_cast<int>(pasted.size()));
    }
    void setTitle(const std::string& t) override { titles.push_back(t); }
    bool windowOpen() override { return open; }
    void press(int times = 1) {
        for (int i = 0; i < times; ++i) onHotkeyEvent(app, *this, kId, 0);
    }
};

struct Stepping : ::testing::Test {
    AppState app;
    FakeHost host{app, {"r1", "r2", "r3"}};
    void SetUp() override {
        app.hotkeyId = kId;
        app.infiniteLoop = true;
    }
};

using Texts = std::vector<std::string>;
std::string F(int n) { return forwardTitle(n); }
std::string P(int n) { return positionTitle(n); }

}  // namespace

TEST_F(Stepping, OrdersOnePerPress) {
    const struct {
        const char* name;
        int32_t order;
        bool wrap;
        int32_t cursor;
        int presses;
        Texts pasted;
        Texts titles;
    } cases[] = {
        {"forward wraps", 0, true, 0, 5, {"r1", "r2", "r3", "r1", "r2"}, {F(1), F(2), F(3), F(1), F(2)}},
        {"forward runs off the end", 0, false, 0, 5, {"r1", "r2", "r3", "", ""}, {F(1), F(2), F(3), F(4), F(5)}},
        {"reverse wraps from start", 1, true, 0, 5, {"r1", "r3", "r2", "r1", "r3"}, {P(1), P(3), P(2), P(1), P(3)}},
        {"reverse runs below zero", 1, false, 2, 5, {"r3", "r2", "r1", "", ""}, {P(3), P(2), P(1), P(0), P(-1)}},
        {"repeat keeps cursor and title", 2, true, 1, 3, {"r2", "r2", "r2"}, {}},
        {"unknown order does nothing", 7, true, 0, 2, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AppState a;
        a.hotkeyId = kId;
        a.loopOrder = c.order;
        a.infiniteLoop = c.wrap;
        a.cursor = c.cursor;
        FakeHost h(a, {"r1", "r2", "r3"});
        h.press(c.presses);
        EXPECT_EQ(h.pasted, c.pasted);
        EXPECT_EQ(h.titles, c.titles);
    }
}

TEST_F(Stepping, ForeignHotkeyIdIsIgnoredInOnePerPressMode) {
    onHotkeyEvent(app, host, kId + 1, 0);
    EXPECT_TRUE(host.pasted.empty());
    app.hotkeyMode = 1;  // all-remaining mode does not look at the id
    onHotkeyEvent(app, host, kId + 1, 0);
    EXPECT_EQ(host.pasted, (Texts{"r1", "r2", "r3"}));
}

TEST_F(Stepping, AllRemainingForwardThenNothingLeft) {
    app.hotkeyMode = 1;
    host.press();
    EXPECT_EQ(host.pasted, (Texts{"r1", "r2", "r3"}));
    EXPECT_EQ(app.cursor, 3);
    host.press();  // nothing remains, wrap-around or not
    EXPECT_EQ(host.pasted.size(), 3u);
}

TEST_F(Stepping, AllRemainingReverseFromStartPastesFirstRowOnly) {
    app.hotkeyMode = 1;
    app.loopOrder = 1;
    host.press();
    EXPECT_EQ(host.pasted, (Texts{"r1"}));
    EXPECT_EQ(app.cursor, -1);
    host.press();
    EXPECT_EQ(host.pasted.size(), 1u);
}

TEST_F(Stepping, AllRemainingWithRepeatOrderDoesNothing) {
    app.hotkeyMode = 1;
    app.loopOrder = 2;
    host.press();
    EXPECT_TRUE(host.pasted.empty());
}

TEST_F(Stepping, ClickSetsPosition) {
    host.selected = 1;
    selectFromList(app, host);
    host.press();
    EXPECT_EQ(host.pasted, (Texts{"r2"}));
    EXPECT_EQ(host.titles, (Texts{P(2), F(2)}));

    host.selected = -1;  // a click on empty space
    selectFromList(app, host);
    host.press(2);
    EXPECT_EQ(host.titles.back(), F(1));
    EXPECT_EQ(host.pasted, (Texts{"r2", "", "r1"}));
    EXPECT_EQ(host.titles[2], P(0));
}

TEST_F(Stepping, EmptyListForwardPastesEmptyText) {
    host.rows.clear();
    host.press();
    EXPECT_EQ(host.pasted, (Texts{""}));
    EXPECT_EQ(host.titles, (Texts{F(1)}));
}

TEST_F(Stepping, NewListKeepsCursor) {
    app.cursor = 2;
    host.rows = {"n1", "n2", "n3", "n4"};
    host.press();
    EXPECT_EQ(host.pasted, (Texts{"n3"}));
}

TEST_F(Stepping, PressNestedInsideAllRemainingSequence) {
    // Five rows, all remaining forward: the count (5) is fixed at the outer
    // press. A press during the second paste's wait runs its own steps to the
    // end; the outer sequence then goes on from where the cursor is.
    host.rows = {"a", "b", "c", "d", "e"};
    app.hotkeyMode = 1;
    bool nested = false;
    host.duringPaste = [&](int n) {
        if (n == 2 && !nested) {
            nested = true;
            host.press();  // b is taken already, cursor 2: 3 steps (c..e)
        }
    };
    host.press();
    // outer: a, b | nested: c, d, e | outer continues with 3 more steps
    // from cursor 5 (= row count, so it wraps to 0): a, b, c.
    EXPECT_EQ(host.pasted, (Texts{"a", "b", "c", "d", "e", "a", "b", "c"}));
    EXPECT_EQ(app.cursor, 3);
}

TEST_F(Stepping, PressesDuringAPasteTakeTheNextRows) {
    // Presses that arrive while a paste waits for its target, each inside the
    // one before: every row once, in order, and the title of the last one.
    const struct {
        const char* name;
        int32_t order;
        int32_t cursor;
        Texts pasted;
        std::string title;
    } cases[] = {
        {"forward", 0, 0, {"r1", "r2", "r3", "r1"}, F(1)},
        {"reverse", 1, 2, {"r3", "r2", "r1", "r3"}, P(3)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        app.loopOrder = c.order;
        app.cursor = c.cursor;
        host.pasted.clear();
        host.titles.clear();
        host.duringPaste = [&](int n) {
            if (n < 4) host.press();
        };
        host.press();
        EXPECT_EQ(host.pasted, c.pasted);
        ASSERT_FALSE(host.titles.empty());
        EXPECT_EQ(host.titles.back(), c.title);  // the outer steps leave the newer title
    }
}

TEST_F(Stepping, ClickDuringAPasteDecidesTheNextRow) {
    host.duringPaste = [&](int n) {
        if (n == 1) {
            host.selected = 2;
            selectFromList(app, host);
        }
    };
    host.press();
    EXPECT_EQ(host.titles, (Texts{P(3)}));  // the click's title stays
    host.press();
    EXPECT_EQ(host.pasted, (Texts{"r1", "r3"}));
    EXPECT_EQ(host.titles.back(), F(3));
}

TEST_F(Stepping, AllRemainingKeepsTheDirectionOfThePress) {
    host.rows = {"a", "b", "c", "d"};
    app.hotkeyMode = 1;
    for (int32_t changedTo : {1, 2}) {
        SCOPED_TRACE(changedTo);
        app.loopOrder = 0;
        app.cursor = 0;
        host.pasted.clear();
        host.duringPaste = [&](int n) {
            if (n == 2) app.loopOrder = changedTo;  // the settings window during the sequence
        };
        host.press();
        EXPECT_EQ(host.pasted, (Texts{"a", "b", "c", "d"}));
        EXPECT_EQ(app.cursor, 4);
    }
}

TEST_F(Stepping, AllRemainingStopsWhenTheWindowCloses) {
    app.hotkeyMode = 1;
    host.duringPaste = [&](int n) { host.open = n < 2; };
    host.press();
    EXPECT_EQ(host.pasted, (Texts{"r1", "r2"}));
}

TEST_F(Stepping, CursorArithmeticDoesNotOverflow) {
    app.infiniteLoop = false;
    app.cursor = INT32_MAX;
    host.press();
    EXPECT_EQ(app.cursor, INT32_MIN);
    EXPECT_EQ(host.titles.back(), F(INT32_MIN));
    app.hotkeyMode = 1;
    app.loopOrder = 1;
    app.cursor = INT32_MIN;  // n = cursor + 1 is negative: nothing runs
    host.press();
    EXPECT_EQ(host.pasted.size(), 1u);
}
