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

constexpr Key kHotkeyCode{"\xC8\xC8\xBC\xFC\xB4\xFA\xC2\xEB", "9"};  // "热键代码"
constexpr Key kInfiniteLoop{"\xCE\xDE\xCF\xDE\xD1\xAD\xBB\xB7", "\xD5\xE6"};  // "无限循环" "真"
constexpr Key kLoopOrder{"\xD1\xAD\xBB\xB7\xB7\xBD\xCA\xBD", "0"};  // "循环方式"
constexpr Key kSeparator{"\xB7\xD6\xB6\xCE\xB7\xFB", "\r\n"};  // "分段符"
constexpr Key kDelay{"\xD1\xD3\xCA\xB1", "50"};  // "延时"
constexpr Key kHotkeyMode{"\xC8\xC8\xBC\xFC\xB7\xBD\xCA\xBD", "0"};  // "热键方式"

constexpr const char* kTrue = "\xD5\xE6";  // "真"
constexpr const char* kFalse = "\xBC\xD9";  // "假"

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
