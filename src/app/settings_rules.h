// The stored form of the settings in set.ini and the rules that turn a stored
// text into a number or a flag.
#pragma once
#include <cstdint>
#include <string_view>

namespace settings {

constexpr const char* kFileName = "set.ini";
constexpr const char* kSection = "start";

struct Key {
    const char* name;
    const char* fallback;  // used only when the key is absent
};

constexpr Key kHotkeyCode{"热键代码", "9"};
constexpr Key kInfiniteLoop{"无限循环", "真"};
constexpr Key kLoopOrder{"循环方式", "0"};
constexpr Key kSeparator{"分段符", "\r\n"};
constexpr Key kDelay{"延时", "50"};
constexpr Key kHotkeyMode{"热键方式", "0"};

constexpr const char* kTrue = "真";
constexpr const char* kFalse = "假";

}  // namespace settings

// Decimal reading after folding full-width forms; saturates at the 32-bit limits.
int32_t textToInt(std::string_view text);

// Only the empty text and "假" (spaces ignored) are false.
bool textToBool(std::string_view text);
