#include "items/segments.h"

#include <new>

std::vector<std::string_view> splitSegments(std::string_view text, std::string_view separator) {
    std::vector<std::string_view> pieces;
    forEachSegment(text, separator, [&](size_t begin, size_t length) { pieces.push_back(text.substr(begin, length)); });
    return pieces;
}

bool SegmentIndex::build(std::string_view text, std::string_view separator) {
    clear();
    if (text.size() > kMaxText) return false;
    try {
        forEachSegment(text, separator, [&](size_t begin, size_t length) {
            spans_.push_back({static_cast<uint32_t>(begin), static_cast<uint32_t>(length)});
        });
        spans_.shrink_to_fit();  // the doubling's spare room, up to half of it
    } catch (const std::bad_alloc&) {
        clear();
        return false;
    }
    text_ = text;
    return true;
}

void SegmentIndex::clear() {
    std::vector<Span>().swap(spans_);
    text_ = {};
}
