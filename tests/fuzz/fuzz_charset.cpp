// Charset names, as any text a caller may pass. Input: the name.
#include "base/gbk_text.h"
#include "tests/fuzz/fuzz_check.h"
#include "update/charset_names.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view name(reinterpret_cast<const char*>(data), size);
    const std::optional<unsigned> page = codePageForCharset(name);
    // ASCII case does not matter.
    std::string upper(name);
    for (char& c : upper) c = gbk::toUpperAscii(c);
    FUZZ_CHECK(codePageForCharset(upper) == page);
    if (page) {
        const std::string_view mark = byteOrderMark(*page);
        FUZZ_CHECK(mark.empty() || mark == "\xFF\xFE" || mark == "\xFE\xFF" || mark == "\xEF\xBB\xBF");
    }
    return 0;
}
