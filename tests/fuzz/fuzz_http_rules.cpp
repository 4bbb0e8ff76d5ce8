// The HTTP request's text rules: the marker search, header lines and names,
// cookies sent, collected and merged. Input: two pieces (up to 16 bytes),
// then the text.
#include <algorithm>
#include <vector>

#include "base/gbk_text.h"
#include "tests/fuzz/fuzz_check.h"
#include "update/http_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const std::string_view a = in.piece(16), b = in.piece(16), text = in.rest();

    // What lies between the markers stands in the text between them.
    const std::string between = textBetween(text, a, b);
    if (!between.empty()) FUZZ_CHECK(text.find(std::string(a) + between + std::string(b)) != std::string_view::npos);

    // Header names: normalizing twice changes nothing more.
    const std::string names = normalizeHeaderNames(text);
    FUZZ_CHECK(normalizeHeaderNames(names) == names);
    // Header lines come apart into trimmed names and values.
    for (const HeaderPair& pair : applyHeaderLines(text)) {
        FUZZ_CHECK(gbk::trim(pair.first) == pair.first);
        FUZZ_CHECK(gbk::trim(pair.second) == pair.second);
    }
    const std::string headers = completeDefaultHeaders(text, a, in.flag());
    FUZZ_CHECK(headers.compare(0, text.size(), text) == 0);
    FUZZ_CHECK(gbk::findIgnoreCase(headers, "User-Agent:") != std::string::npos);

    // Cookies: the collected ones hold no line break (a CR that is the second
    // byte of a character is none); merged ones are unique.
    const std::string collected = collectResponseCookies(text);
    FUZZ_CHECK(gbk::find(collected, "\r\n") == std::string::npos);
    const std::string merged = mergeCookieTexts(prepareCookieText(a), collected);
    std::vector<std::string_view> parts = gbk::split(merged, "; ");
    std::sort(parts.begin(), parts.end());
    FUZZ_CHECK(merged.empty() || std::adjacent_find(parts.begin(), parts.end()) == parts.end());
    return 0;
}
