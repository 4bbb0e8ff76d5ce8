#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/gbk_text.h"
#include "base/retry.h"

TEST(GbkFind, MatchesWholeCharactersOnly) {
    const struct {
        std::string text, needle;
        size_t want;
    } cases[] = {
        {"abcabc", "ca", 2},
        {"好好", "\xC3\xBA", std::string::npos},  // BA C3 BA C3: C3 BA only across characters
        {"x\x81" "Ay" "A", "A", 4},
        {"", "a", std::string::npos},
        {"ab", "", 0},
        {"\x81\x81" "A" "\x81" "A", "A", 2},      // 81 81 is one character: the A after it stands alone
        {"\x81" "A" "\x81\x81\x81" "A", "A", std::string::npos},  // each A the second byte of a pair
        {"a\x81", "\x81", 1},                       // a lone lead byte at the end still matches itself
        {"\xB0\xA1" "ab\xB0\xA1", "\xB0\xA1", 0},
        {"ab\xB0\xA1" "c", "\xA1" "c", std::string::npos},
        // A needle ending in a first byte would end inside a character.
        {"\xFF\xFF\xFF\x0A", "\xFF", std::string::npos},
        {"\xB0\xA1\xB0", "\xB0", 2},              // only where the text ends that way too
        {"x\xB0\xA1y", "x\xB0", std::string::npos},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(gbk::find(c.text, c.needle), c.want);
    }
}

TEST(GbkFind, FromAPositionAndAlongTheText) {
    const std::string text = "\xB0\xA1" ",x,\x81," ",";  // 啊 , x , 81 2C , ,
    std::vector<size_t> found;
    for (size_t at = 0; (at = gbk::find(text, ",", at)) != std::string::npos; ++at) found.push_back(at);
    EXPECT_EQ(found, (std::vector<size_t>{2, 4, 7}));  // 81 2C is one character
}

TEST(GbkTextRules, TrimAndSplit) {
    EXPECT_EQ(gbk::trim("  a b \xA1\xA1"), "a b");
    EXPECT_EQ(gbk::trim("\ta\t"), "\ta\t");  // tabs stay
    EXPECT_EQ(gbk::trim("\xB0\xA1\xA1\xA1"), "\xB0\xA1");  // B0 A1 is a character; then one ideographic space
    EXPECT_EQ(gbk::trim("   "), "");
    using V = std::vector<std::string_view>;
    EXPECT_EQ(gbk::split("a; ; b; ", "; "), (V{"a", "", "b"}));
    EXPECT_EQ(gbk::split("", "; "), V{});
    EXPECT_EQ(gbk::split("; a", "; "), (V{"", "a"}));
}

TEST(GbkTextRules, CaseAndJoin) {
    EXPECT_EQ(gbk::toLowerAscii("Content-TYPE \xC4\xE3"), "content-type \xC4\xE3");  // other bytes stay
    EXPECT_EQ(gbk::toUpperAscii('q'), 'Q');
    EXPECT_EQ(gbk::toUpperAscii('\xE4'), '\xE4');
    EXPECT_TRUE(gbk::equalsIgnoreCase("Set-Cookie", "set-COOKIE"));
    EXPECT_FALSE(gbk::equalsIgnoreCase("Set-Cookie", "Set-Cookie2"));
    EXPECT_EQ(gbk::findIgnoreCase("x: CoOkIe", "cookie"), 3u);
    EXPECT_EQ(gbk::removeAllIgnoreCase("aXbxc", "x"), "abc");
    EXPECT_EQ(gbk::join({"a", "", "b"}, "; "), "a; ; b");
    EXPECT_EQ(gbk::join({}, "; "), "");
}

TEST(RetryWithin, StopsAtBudgetEvenAcrossTickWrap) {
    uint32_t clock = 0xFFFFFF00u;  // wraps after 256 ms
    int tries = 0;
    bool ok = retryWithin([&] { ++tries; return false; }, [&] { return clock; },
                          [&](uint32_t ms) { clock += ms; }, 500, 10);
    EXPECT_FALSE(ok);
    EXPECT_EQ(tries, 51);  // at 0, 10, ..., 500 ms
}

TEST(RetryWithin, SucceedsWhenHolderLetsGo) {
    uint32_t clock = 0;
    int tries = 0;
    bool ok = retryWithin([&] { return ++tries == 4; }, [&] { return clock; },
                          [&](uint32_t ms) { clock += ms; }, 500, 10);
    EXPECT_TRUE(ok);
    EXPECT_EQ(tries, 4);
}

TEST(GbkText, WholeCharsWithin) {
    const std::string text = "a你b好";  // a, two bytes, b, two bytes
    const struct {
        size_t room, want;
    } cases[] = {{0, 0}, {1, 1}, {2, 1}, {3, 3}, {4, 4}, {5, 4}, {6, 6}, {100, 6}};
    for (const auto& c : cases) EXPECT_EQ(gbk::wholeCharsWithin(text, c.room), c.want) << c.room;
    EXPECT_EQ(gbk::wholeCharsWithin("x\x81", 5), 2u);  // a lead byte at the end: the text, not past it
}
