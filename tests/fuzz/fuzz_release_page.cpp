// The release page the update check reads at every start, as any bytes a
// server may send: title, version, file name, and the comparison of versions.
// Input: a version piece (up to 12 bytes), then the page.
#include "base/gbk_text.h"
#include "tests/fuzz/fuzz_check.h"
#include "update/http_rules.h"
#include "update/release_page.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const std::string_view other = in.piece(12), pageText = in.rest();
    const ReleasePage page = readReleasePage(pageText);
    FUZZ_CHECK(page.title == textBetween(pageText, "='", "';"));
    FUZZ_CHECK(page.fileName == textBetween(pageText, "id=\"filename\">", "</span>"));
    // The version is the end of the title, after its last "版本".
    const std::string_view word = "\xB0\xE6\xB1\xBE";  // "版本"
    FUZZ_CHECK(page.title.size() >= page.version.size() &&
               page.title.compare(page.title.size() - page.version.size(), std::string::npos, page.version) == 0);
    if (!page.version.empty()) FUZZ_CHECK(gbk::find(page.title, word) != std::string::npos);
    // Newer is a strict order: never both ways, never against itself.
    FUZZ_CHECK(!isNewerVersion(page.version, page.version));
    FUZZ_CHECK(!(isNewerVersion(page.version, other) && isNewerVersion(other, page.version)));
    if (page.version != other) FUZZ_CHECK(isNewerVersion(page.version, other) != isNewerVersion(other, page.version));
    return 0;
}
