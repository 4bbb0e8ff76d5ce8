#include "update/release_page.h"

#include "base/gbk_text.h"
#include "update/http_rules.h"

ReleasePage readReleasePage(std::string_view pageText) {
    ReleasePage page;
    page.title = textBetween(pageText, "='", "';");
    constexpr std::string_view kVersionWord = "\xB0\xE6\xB1\xBE";  // "版本"
    size_t last = std::string::npos;
    for (size_t at = gbk::find(page.title, kVersionWord); at != std::string::npos;
         at = gbk::find(page.title, kVersionWord, at + kVersionWord.size()))
        last = at;
    if (last != std::string::npos) page.version = page.title.substr(last + kVersionWord.size());
    page.fileName = textBetween(pageText, "id=\"filename\">", "</span>");
    return page;
}

bool isNewerVersion(std::string_view remote, std::string_view current) {
    for (size_t i = 0; i < remote.size() && i < current.size(); ++i) {
        const auto a = static_cast<unsigned char>(remote[i]), b = static_cast<unsigned char>(current[i]);
        if (a != b) return a > b;
    }
    return remote.size() > current.size();
}
