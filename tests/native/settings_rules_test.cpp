#include <gtest/gtest.h>

#include "settings/settings_rules.h"

TEST(TextToInt, ReadsStoredNumbers) {
    const struct {
        const char* text;
        int32_t want;
    } cases[] = {
        {"9", 9},
        {"65", 65},
        {"", 0},
        {"F1", 0},
        {"50ms", 50},
        {"  +12", 12},
        {"\t-7x", -7},
        {"１２０", 120},  // full-width digits
        {"－５", -5},     // full-width minus
        {"\xA1\xA1" "42", 42},  // ideographic space before the digits
        {"- 5", 0},
        {"2147483647", 2147483647},
        {"2147483648", 2147483647},  // saturates
        {"99999999999999999999999", 2147483647},
        {"-2147483648", INT32_MIN},
        {"-2147483649", INT32_MIN},
        {"-99999999999999999999999", INT32_MIN},
        {"\xB0\xA3" "5", 0},  // a GBK character that is not a full-width form
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(textToInt(c.text), c.want);
    }
}

TEST(TextToInt, FoldsOnlyWholeCharacters) {
    // A3 here is the second byte of B0 A3, so "B0 A3 B5" is not a full-width 5.
    EXPECT_EQ(textToInt("7\xB0\xA3\xB5"), 7);
}

TEST(TextToBool, OnlyFalseWordAndEmptyAreFalse) {
    const struct {
        const char* text;
        bool want;
    } cases[] = {
        {"真", true}, {"假", false}, {"", false}, {" 假 ", false}, {"\xA1\xA1假\xA1\xA1", false},
        {"0", true},  {"1", true},   {"false", true}, {"否", true}, {"假假", true},
        {" ", true},  // spaces alone are not the empty text
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(textToBool(c.text), c.want);
    }
}
