// Cutting a GBK text into the segments shown as rows of the item list.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "base/gbk_text.h"

// Calls piece(begin, length) for each non-empty piece of text between
// separators, in order. An empty separator cuts at commas. A separator never
// matches from the second byte of a two-byte character.
template <typename Piece>
void forEachSegment(std::string_view text, std::string_view separator, Piece&& piece) {
    if (separator.empty()) separator = ",";
    size_t pieceStart = 0;
    for (size_t at; (at = gbk::find(text, separator, pieceStart)) != std::string_view::npos;
         pieceStart = at + separator.size())
        if (at > pieceStart) piece(pieceStart, at - pieceStart);
    if (pieceStart < text.size()) piece(pieceStart, text.size() - pieceStart);
}

// The non-empty pieces as views into text.
std::vector<std::string_view> splitSegments(std::string_view text, std::string_view separator);

// The segments of a text as offsets into it, 8 bytes a row whatever their
// length: the item list shows its rows from here, without a copy of them.
class SegmentIndex {
public:
    // The largest text an index holds (offsets are 32 bits).
    static constexpr size_t kMaxText = UINT32_MAX;

    // False, and an empty index, for a text longer than kMaxText or when
    // memory runs out. The index refers to text, which must outlive it.
    bool build(std::string_view text, std::string_view separator);
    void clear();

    size_t size() const { return spans_.size(); }
    // The row's segment; empty for a row that does not exist.
    std::string_view segment(size_t row) const {
        return row < spans_.size() ? text_.substr(spans_[row].begin, spans_[row].length) : std::string_view();
    }

private:
    struct Span {
        uint32_t begin, length;
    };
    std::string_view text_;
    std::vector<Span> spans_;
};
