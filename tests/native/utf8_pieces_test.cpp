#include <gtest/gtest.h>

#include <string>

#include "items/utf8_pieces.h"

TEST(Utf8Pieces, PieceEndNeverCutsACharacter) {
    // "a" 中 (E4 B8 AD) "b" 😀 (F0 9F 98 80)
    const std::string text = "a\xE4\xB8\xAD" "b\xF0\x9F\x98\x80";
    const struct {
        size_t limit, want;
    } cases[] = {
        {0, 0}, {1, 1}, {2, 1}, {3, 1}, {4, 4}, {5, 5}, {6, 5}, {7, 5}, {8, 5}, {9, 9}, {100, 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.limit);
        EXPECT_EQ(utf8PieceEnd(text, c.limit), c.want);
    }
    // Continuation bytes only: no character to wait for, cut at the limit.
    EXPECT_EQ(utf8PieceEnd(std::string(10, '\x80'), 6), 6u);
    // Cutting a whole text piece by piece gives back every byte once.
    std::string whole;
    for (int i = 0; i < 300; ++i) whole += "x\xE4\xB8\xAD\xF0\x9F\x98\x80\xC3\xA9";
    std::string joined;
    for (std::string_view rest = whole; !rest.empty();) {
        const size_t end = utf8PieceEnd(rest, 7);
        ASSERT_GT(end, 0u);
        EXPECT_NE(static_cast<unsigned char>(rest[end == rest.size() ? 0 : end]) & 0xC0, 0x80);
        joined.append(rest.substr(0, end));
        rest.remove_prefix(end);
    }
    EXPECT_EQ(joined, whole);
}

TEST(Utf8Pieces, IsAscii) {
    EXPECT_TRUE(isAscii(""));
    EXPECT_TRUE(isAscii("plain text, 0123456789\r\n"));
    for (size_t at : {0u, 7u, 8u, 15u, 16u, 20u}) {
        std::string text(21, 'a');
        text[at] = '\x80';
        EXPECT_FALSE(isAscii(text)) << at;
    }
}
