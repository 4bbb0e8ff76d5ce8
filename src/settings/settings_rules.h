// The stored form of the settings in set.ini, the folders they live in, and
// the rules that turn a stored text into a number or a flag. Window-free.
#pragma once
#include <cstdint>
#include <string>
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

constexpr const char* kVendorFolder = "brenko";
constexpr const char* kAppName = "Quilvo";

// An application's settings folder in the vendor folder (which ends in a
// backslash): vendorFolder, appName, "\set\".
std::string appSettingsFolder(std::string_view vendorFolder, std::string_view appName);
// This program's settings folder: the Documents path (which ends in a
// backslash) followed by "\brenko\Quilvo\set\".
std::string settingsFolder(std::string_view documents);
// The vendor folder that holds the skin library: Documents, "brenko\".
std::string skinBaseFolder(std::string_view documents);

}  // namespace settings

// Decimal reading after folding full-width forms; saturates at the 32-bit limits.
int32_t textToInt(std::string_view text);

// Only the empty text and "假" (spaces ignored) are false.
bool textToBool(std::string_view text);
