#include "app/gbk_text.h"

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

size_t find(std::string_view text, std::string_view needle, size_t from) {
    if (needle.empty()) return from <= text.size() ? from : std::string_view::npos;
    for (size_t i = from; i + needle.size() <= text.size(); i += charLength(text, i))
        if (text.compare(i, needle.size(), needle) == 0) return i;
    return std::string_view::npos;
}

std::string decimal(long long n) { return std::to_string(n); }

}  // namespace gbk
