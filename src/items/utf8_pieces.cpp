#include "items/utf8_pieces.h"

#include <cstring>

size_t utf8PieceEnd(std::string_view bytes, size_t limit) {
    if (bytes.size() <= limit) return bytes.size();
    if (limit == 0) return 0;
    auto continuation = [&](size_t at) { return (static_cast<unsigned char>(bytes[at]) & 0xC0) == 0x80; };
    for (size_t end = limit; end > 0 && limit - end < 4; --end)
        if (!continuation(end)) return end;
    return limit;
}

bool isAscii(std::string_view bytes) {
    // Eight bytes at a time: the high bit of any of them.
    size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        unsigned long long word;
        std::memcpy(&word, bytes.data() + i, 8);
        if (word & 0x8080808080808080ull) return false;
    }
    for (; i < bytes.size(); ++i)
        if (static_cast<unsigned char>(bytes[i]) >= 0x80) return false;
    return true;
}
