// Converting a long UTF-8 text piece by piece, so that no converted copy of
// the whole of it is ever held at once.
#pragma once
#include <cstddef>
#include <string_view>

// The end of the first piece of bytes of at most limit bytes: bytes.size()
// when all of it fits, otherwise the start of the last character that begins
// within the limit, so that no character is cut. Where no character starts
// in the last four bytes (not UTF-8 there), exactly limit.
size_t utf8PieceEnd(std::string_view bytes, size_t limit);

// Whether every byte is ASCII: such a text reads the same as UTF-8 and GBK.
bool isAscii(std::string_view bytes);
