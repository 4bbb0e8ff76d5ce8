// Cutting a text into rows: splitSegments, the list's SegmentIndex and the
// GBK search under them, and the UTF-8 piece rule of the "utf-8编码" reading.
// Input: a separator piece (up to 8 bytes), then the text.
#include <algorithm>
#include <vector>

#include "base/gbk_text.h"
#include "items/segments.h"
#include "items/utf8_pieces.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

// Where characters start, by the GBK rule, walked from the text's start.
std::vector<bool> characterStarts(std::string_view text) {
    std::vector<bool> starts(text.size() + 1, false);
    size_t at = 0;
    for (; at < text.size(); at += gbk::charLength(text, at)) starts[at] = true;
    starts[std::min(at, text.size())] = true;
    return starts;
}

// The search the obvious way: every place that begins and ends on a
// character's start, compared in full.
size_t plainFind(std::string_view text, std::string_view needle, size_t from, const std::vector<bool>& starts) {
    for (size_t at = from; at + needle.size() <= text.size(); ++at)
        if (starts[at] && starts[at + needle.size()] && text.compare(at, needle.size(), needle) == 0) return at;
    return std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const std::string_view given = in.piece(8);
    const std::string_view text = in.rest();
    const std::string_view separator = given.empty() ? std::string_view(",") : given;
    const std::vector<bool> starts = characterStarts(text);

    // The search finds what the plain search finds, from every start.
    for (size_t from = 0; from <= text.size(); from += 1 + from / 4)
        if (starts[from]) FUZZ_CHECK(gbk::find(text, separator, from) == plainFind(text, separator, from, starts));

    // Rows: non-empty, in order, starting on a character; between and around
    // them only whole separators, so joined with the separators they give
    // back the text without the empty rows.
    const std::vector<std::string_view> rows = splitSegments(text, given);
    size_t expected = 0;
    for (const std::string_view row : rows) {
        FUZZ_CHECK(!row.empty());
        const size_t at = static_cast<size_t>(row.data() - text.data());
        FUZZ_CHECK(at >= expected && starts[at]);
        for (size_t gap = expected; gap < at; gap += separator.size())
            FUZZ_CHECK(gbk::find(text, separator, gap) == gap);
        FUZZ_CHECK(gbk::find(row, separator) == std::string_view::npos);
        expected = at + row.size();
    }
    for (size_t gap = expected; gap < text.size(); gap += separator.size())
        FUZZ_CHECK(gbk::find(text, separator, gap) == gap);

    // The list's index holds the same rows.
    SegmentIndex index;
    FUZZ_CHECK(index.build(text, given));
    FUZZ_CHECK(index.size() == rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        FUZZ_CHECK(index.segment(i).data() == rows[i].data() && index.segment(i) == rows[i]);
    FUZZ_CHECK(index.segment(rows.size()).empty());

    // UTF-8 pieces: every byte once; a piece cut short of its limit ends
    // where a character starts.
    const size_t limit = 1 + given.size();
    size_t total = 0;
    for (std::string_view rest = text; !rest.empty();) {
        const size_t end = utf8PieceEnd(rest, limit);
        FUZZ_CHECK(end > 0 && end <= limit && end <= rest.size());
        if (end < limit && end < rest.size()) FUZZ_CHECK((static_cast<unsigned char>(rest[end]) & 0xC0) != 0x80);
        total += end;
        rest.remove_prefix(end);
    }
    FUZZ_CHECK(total == text.size());
    return 0;
}
