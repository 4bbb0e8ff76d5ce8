// The settings file's texts: textToInt and textToBool, as any bytes a
// settings file may hold. Input: the text.
#include "base/gbk_text.h"
#include "settings/settings_rules.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const int32_t n = textToInt(text);
    // A number reads back as itself, and reading is stable.
    FUZZ_CHECK(textToInt(gbk::decimal(n)) == n);
    FUZZ_CHECK(textToInt(std::string(text)) == n);
    // Only the empty text and "假" (spaces aside) are false; spaces alone are true.
    FUZZ_CHECK(textToBool(text) == !(text.empty() || gbk::removeSpaces(text) == settings::kFalse));
    return 0;
}
