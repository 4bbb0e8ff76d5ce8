#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "items/segments.h"

namespace {
std::vector<std::string> split(const std::string& text, const std::string& sep) {
    std::vector<std::string> out;
    for (auto v : splitSegments(text, sep)) out.emplace_back(v);
    return out;
}
using Rows = std::vector<std::string>;
}  // namespace

TEST(SplitSegments, Table) {
    const struct {
        const char* name;
        std::string text, sep;
        Rows want;
    } cases[] = {
        {"crlf", "a\r\nb\r\nc", "\r\n", {"a", "b", "c"}},
        {"bare lf is not crlf", "a\nb\n", "\r\n", {"a\nb\n"}},
        {"no empty rows", "\r\n\r\na\r\n\r\nb\r\n", "\r\n", {"a", "b"}},
        {"spaces stay", "a\r\n   \r\nb", "\r\n", {"a", "   ", "b"}},
        {"two-byte separator", "xabyab", "ab", {"x", "y"}},
        {"empty separator cuts at commas", "a,b\r\nc,,d", "", {"a", "b\r\nc", "d"}},
        {"empty text", "", "\r\n", {}},
        {"only separators", "\r\n\r\n", "\r\n", {}},
        {"no separator", "abc", ",", {"abc"}},
        {"separator longer than text", "ab", "abc", {"ab"}},
        // 'A' (0x41) after a lead byte 0x81 is its second byte: not cut.
        {"trail byte is not a separator", "x\x81" "Ay" "A" "z", "A", {"x\x81" "Ay", "z"}},
        {"gbk text", "你好\r\n世界", "\r\n", {"你好", "世界"}},
        {"gbk separator", "一、二、三", "、", {"一", "二", "三"}},
        // "好" is BA C3; the separator C3 BA must not match across characters.
        {"no match across characters", "好好", "\xC3\xBA", {"好好"}},
        {"lead byte at the end", "a,\x81", ",", {"a", "\x81"}},
        // A separator that is a first byte alone never cuts a character in two.
        {"separator ending inside a character", "\xFF\xFF\xFF\x0A", "\xFF", {"\xFF\xFF\xFF\x0A"}},
        {"separator spans end", "a\r", "\r\n", {"a\r"}},
        {"line breaks inside", "l1\nl2|l3", "|", {"l1\nl2", "l3"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(split(c.text, c.sep), c.want);
        // The list's index holds the same rows, as offsets into the text.
        SegmentIndex index;
        ASSERT_TRUE(index.build(c.text, c.sep));
        Rows rows;
        for (size_t i = 0; i < index.size(); ++i) rows.emplace_back(index.segment(i));
        EXPECT_EQ(rows, c.want);
        EXPECT_EQ(index.segment(index.size()), "");  // a row that does not exist
    }
}

TEST(SegmentIndex, RowsAreViewsIntoTheText) {
    const std::string text = "one,two";
    SegmentIndex index;
    ASSERT_TRUE(index.build(text, ","));
    EXPECT_EQ(index.segment(1).data(), text.data() + 4);
    index.clear();
    EXPECT_EQ(index.size(), 0u);
    EXPECT_EQ(index.segment(0), "");
}

TEST(SplitSegments, ViewsPointIntoText) {
    const std::string text = "one,two";
    auto pieces = splitSegments(text, ",");
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[1].data(), text.data() + 4);
}
