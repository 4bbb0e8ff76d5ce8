#include "settings/settings_rules.h"

#include <limits>
#include <string>

#include "base/gbk_text.h"

int32_t textToInt(std::string_view text) {
    const std::string folded = gbk::foldFullWidth(text);
    size_t i = 0;
    auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (i < folded.size() && isSpace(folded[i])) ++i;
    bool negative = false;
    if (i < folded.size() && (folded[i] == '+' || folded[i] == '-')) negative = folded[i++] == '-';

    // Accumulate as a negative number so that INT32_MIN is reachable without overflow.
    constexpr int64_t kMin = std::numeric_limits<int32_t>::min();
    constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
    int64_t value = 0;
    for (; i < folded.size() && folded[i] >= '0' && folded[i] <= '9'; ++i) {
        value = value * 10 - (folded[i] - '0');
        if (value < kMin - 1) value = kMin - 1;  // stays saturated, never overflows
    }
    if (!negative) value = -value;
    if (value < kMin) return static_cast<int32_t>(kMin);
    if (value > kMax) return static_cast<int32_t>(kMax);
    return static_cast<int32_t>(value);
}

bool textToBool(std::string_view text) {
    if (text.empty()) return false;
    return gbk::removeSpaces(text) != settings::kFalse;
}

namespace settings {

std::string appSettingsFolder(std::string_view vendorFolder, std::string_view appName) {
    return std::string(vendorFolder) + std::string(appName) + "\\set\\";
}

std::string settingsFolder(std::string_view documents) {
    return appSettingsFolder(std::string(documents) + "\\" + kVendorFolder + "\\", kAppName);
}

std::string skinBaseFolder(std::string_view documents) { return std::string(documents) + kVendorFolder + "\\"; }

}  // namespace settings
