#include "items/segments.h"

#include "base/gbk_text.h"

std::vector<std::string_view> splitSegments(std::string_view text, std::string_view separator) {
    if (separator.empty()) separator = ",";
    std::vector<std::string_view> pieces;
    size_t pieceStart = 0;
    for (size_t at; (at = gbk::find(text, separator, pieceStart)) != std::string_view::npos;
         pieceStart = at + separator.size())
        if (at > pieceStart) pieces.push_back(text.substr(pieceStart, at - pieceStart));
    if (pieceStart < text.size()) pieces.push_back(text.substr(pieceStart));
    return pieces;
}
