// The text rules every part of the program shares, for GBK (code page 936)
// texts: a byte of 0x80 or more begins a two-byte character, and searches
// never start on its second byte. Window-free.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace gbk {

inline bool isLeadByte(unsigned char b) { return b >= 0x80; }

// Length of the character that starts at text[pos]: 2 for a lead byte, else 1.
// A lead byte at the very end counts as 2 too, which carries the caller past the end.
inline size_t charLength(std::string_view text, size_t pos) {
    return isLeadByte(static_cast<unsigned char>(text[pos])) ? 2 : 1;
}

// Length of the longest start of text made of whole characters that fits in
// room bytes: a buffer too short for a text never ends in half a character.
inline size_t wholeCharsWithin(std::string_view text, size_t room) {
    size_t n = 0;
    while (n < text.size() && n + charLength(text, n) <= room) n += charLength(text, n);
    return n < text.size() ? n : text.size();
}

// Full-width ASCII forms (A3 A1..A3 FE) become their ASCII character and the
// ideographic space (A1 A1) becomes a space.
std::string foldFullWidth(std::string_view text);

// Removes every ASCII space and ideographic space, wherever they stand.
std::string removeSpaces(std::string_view text);

// ASCII letters only; every other byte stays as it is.
inline char toLowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
inline char toUpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
std::string toLowerAscii(std::string_view text);
bool equalsIgnoreCase(std::string_view a, std::string_view b);

// Position of the first match of needle that begins on a character boundary
// at or after from (a boundary) and ends on one, or npos.
size_t find(std::string_view text, std::string_view needle, size_t from = 0);

// As find, ignoring the case of ASCII letters.
size_t findIgnoreCase(std::string_view text, std::string_view needle, size_t from = 0);

// Without ASCII spaces and ideographic spaces at both ends (tabs and line
// breaks stay).
std::string_view trim(std::string_view text);

// The pieces around each separator, empty ones included, except an empty
// piece after a final separator; an empty text gives none.
std::vector<std::string_view> split(std::string_view text, std::string_view separator);

// The parts with separator between each two.
std::string join(const std::vector<std::string>& parts, std::string_view separator);

// text without any occurrence of needle, ASCII case ignored.
std::string removeAllIgnoreCase(std::string_view text, std::string_view needle);

std::string decimal(long long n);

}  // namespace gbk
