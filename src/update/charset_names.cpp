#include "update/charset_names.h"

#include <string>

#include "base/gbk_text.h"

namespace {

std::optional<unsigned> numberAfter(std::string_view name, std::string_view prefix) {
    if (name.substr(0, prefix.size()) != prefix || name.size() == prefix.size() || name.size() > prefix.size() + 5)
        return std::nullopt;
    unsigned n = 0;
    for (char c : name.substr(prefix.size())) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + static_cast<unsigned>(c - '0');
    }
    return n;
}

}  // namespace

std::optional<unsigned> codePageForCharset(std::string_view name) {
    static const struct {
        const char* name;
        unsigned codePage;
    } kNames[] = {
        {"utf-8", 65001},       {"utf8", 65001},          {"unicode-1-1-utf-8", 65001},
        {"gbk", 936},           {"gb2312", 936},          {"x-gbk", 936},          {"cp936", 936},
        {"gb18030", 54936},     {"big5", 950},            {"cp950", 950},
        {"shift_jis", 932},     {"shift-jis", 932},       {"sjis", 932},           {"x-sjis", 932},
        {"euc-jp", 20932},      {"iso-2022-jp", 50220},   {"euc-kr", 949},         {"ks_c_5601-1987", 949},
        {"unicode", 1200},      {"utf-16", 1200},         {"utf-16le", 1200},
        {"unicodefffe", 1201},  {"utf-16be", 1201},
        {"us-ascii", 20127},    {"ascii", 20127},         {"iso-8859-1", 28591},   {"latin1", 28591},
        {"iso-8859-2", 28592},  {"iso-8859-5", 28595},    {"iso-8859-15", 28605},  {"koi8-r", 20866},
    };
    const std::string key = gbk::toLowerAscii(name);
    for (const auto& n : kNames)
        if (key == n.name) return n.codePage;
    // windows-1252, cp1251, x-cp1250: the Windows code pages by number.
    for (const char* prefix : {"windows-", "cp", "x-cp"}) {
        if (auto n = numberAfter(key, prefix)) return *n;
    }
    return std::nullopt;
}

std::string_view byteOrderMark(unsigned codePage) {
    switch (codePage) {
        case kCodePageUtf8: return "\xEF\xBB\xBF";
        case kCodePageUtf16Le: return "\xFF\xFE";
        case kCodePageUtf16Be: return "\xFE\xFF";
        default: return "";
    }
}
