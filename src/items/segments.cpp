#include "items/segments.h"

#include <cstring>

#include "app/gbk_text.h"

std::vector<std::string_view> splitSegments(std::string_view text, std::string_view separator) {
    if (separator.empty()) separator = ",";
    std::vector<std::string_view> pieces;
    const char* const data = text.data();
    const size_t n = text.size();
    const size_t sepLen = separator.size();
    const char first = separator[0];

    size_t pieceStart = 0;
    size_t pos = 0;  // always a character boundary
    while (pos + sepLen <= n) {
        // Jump to the next byte that could begin the separator, then walk the
        // characters up to it so that a trail byte is never taken for a match.
        const void* hit = std::memchr(data + pos, first, n - sepLen + 1 - pos);
        if (!hit) break;
        const size_t candidate = static_cast<const char*>(hit) - data;
        while (pos < candidate) pos += gbk::charLength(text, pos);
        if (pos != candidate) continue;  // the candidate was a second byte
        if (std::memcmp(data + pos, separator.data(), sepLen) == 0) {
            if (pos > pieceStart) pieces.push_back(text.substr(pieceStart, pos - pieceStart));
            pos += sepLen;
            pieceStart = pos;
        } else {
            pos += gbk::charLength(text, pos);
        }
    }
    if (pieceStart < n) pieces.push_back(text.substr(pieceStart));
    return pieces;
}
