#include "base/gbk_text.h"

#include <algorithm>
#include <cstring>

namespace gbk {

static const char kIdeographicSpace[] = "\xA1\xA1";

std::string foldFullWidth(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (!isLeadByte(b) || i + 1 >= text.size()) {
            out.push_back(text[i]);
            ++i;
            continue;
        }
        const auto t = static_cast<unsigned char>(text[i + 1]);
        if (b == 0xA3 && t >= 0xA1 && t <= 0xFE)
            out.push_back(static_cast<char>(t - 0x80));
        else if (text.substr(i, 2) == kIdeographicSpace)
            out.push_back(' ');
        else
            out.append(text.substr(i, 2));
        i += 2;
    }
    return out;
}

std::string removeSpaces(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const size_t n = charLength(text, i);
        const std::string_view ch = text.substr(i, n);
        if (ch != " " && ch != kIdeographicSpace) out.append(ch);
        i += n;
    }
    return out;
}

namespace {

// Whether pos begins a character, given that from (<= pos) does. A byte
// below 0x80 always ends a character (a one-byte one, or the second byte of
// a pair), so only the run of bytes of 0x80 or more just before pos needs a
// look: they pair up from its start, and an even run ends on a boundary.
bool isBoundary(std::string_view text, size_t from, size_t pos) {
    size_t run = 0;
    while (pos - run > from && isLeadByte(static_cast<unsigned char>(text[pos - run - 1]))) ++run;
    return run % 2 == 0;
}

}  // namespace

size_t find(std::string_view text, std::string_view needle, size_t from) {
    if (needle.empty()) return from <= text.size() ? from : std::string_view::npos;
    const char* const data = text.data();
    const size_t n = needle.size();
    // A needle that ends in the first byte of a character matches only where
    // the text ends that way too: elsewhere it would end inside a character.
    size_t walked = 0;
    while (walked < n) walked += charLength(needle, walked);
    const bool endsInsideCharacter = walked > n;
    size_t pos = from;  // always a character boundary
    while (pos < text.size() && n <= text.size() - pos) {
        // Jump to the next byte that could begin the needle; a candidate on
        // a second byte is skipped, and the search goes on right after it.
        const void* hit = std::memchr(data + pos, needle[0], text.size() - n + 1 - pos);
        if (!hit) break;
        const size_t candidate = static_cast<size_t>(static_cast<const char*>(hit) - data);
        if (!isBoundary(text, pos, candidate)) {
            pos = candidate + 1;
            continue;
        }
        if (std::memcmp(data + candidate, needle.data(), n) == 0 &&
            (!endsInsideCharacter || candidate + n == text.size()))
            return candidate;
        pos = candidate + charLength(text, candidate);
    }
    return std::string_view::npos;
}

std::string toLowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = toLowerAscii(c);
    return out;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (toLowerAscii(a[i]) != toLowerAscii(b[i])) return false;
    return true;
}

size_t findIgnoreCase(std::string_view text, std::string_view needle, size_t from) {
    if (needle.empty()) return from <= text.size() ? from : std::string_view::npos;
    for (size_t i = from; i + needle.size() <= text.size(); i += charLength(text, i))
        if (equalsIgnoreCase(text.substr(i, needle.size()), needle)) return i;
    return std::string_view::npos;
}

std::string_view trim(std::string_view text) {
    size_t begin = 0, end = 0;  // end: just past the last character that is not a space
    bool leading = true;
    for (size_t i = 0; i < text.size();) {
        const size_t n = std::min(charLength(text, i), text.size() - i);
        const std::string_view ch = text.substr(i, n);
        const bool space = ch == " " || ch == kIdeographicSpace;
        if (leading && space) begin = i + n;
        if (!space) {
            leading = false;
            end = i + n;
        }
        i += n;
    }
    return end > begin ? text.substr(begin, end - begin) : std::string_view();
}

std::vector<std::string_view> split(std::string_view text, std::string_view separator) {
    std::vector<std::string_view> pieces;
    if (text.empty()) return pieces;
    size_t start = 0;
    for (size_t at; (at = find(text, separator, start)) != std::string_view::npos && !separator.empty();
         start = at + separator.size())
        pieces.push_back(text.substr(start, at - start));
    if (start < text.size()) pieces.push_back(text.substr(start));
    return pieces;
}

std::string join(const std::vector<std::string>& parts, std::string_view separator) {
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i) out += separator;
        out += parts[i];
    }
    return out;
}

std::string removeAllIgnoreCase(std::string_view text, std::string_view needle) {
    if (needle.empty()) return std::string(text);
    std::string out;
    size_t start = 0;
    for (size_t at; (at = findIgnoreCase(text, needle, start)) != std::string_view::npos; start = at + needle.size())
        out.append(text.substr(start, at - start));
    out.append(text.substr(start));
    return out;
}

std::string decimal(long long n) { return std::to_string(n); }

}  // namespace gbk
