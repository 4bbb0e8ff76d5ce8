#include "update/http_rules.h"

#include <algorithm>

#include "base/gbk_text.h"

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kCookieSeparator = "; ";

// Name and value of a header line around its first colon, both trimmed.
HeaderPair headerPair(std::string_view line) {
    const size_t colon = gbk::find(line, ":");
    if (colon == std::string_view::npos) return {};
    return {std::string(gbk::trim(line.substr(0, colon))), std::string(gbk::trim(line.substr(colon + 1)))};
}

std::string cookieName(std::string_view part) {
    const size_t eq = gbk::find(part, "=");
    return std::string(gbk::trim(eq == std::string_view::npos ? part : part.substr(0, eq)));
}

}  // namespace

std::string textBetween(std::string_view text, std::string_view startMarker, std::string_view endMarker) {
    const size_t start = gbk::find(text, startMarker);
    if (start == std::string_view::npos) return "";
    const size_t from = start + startMarker.size();
    const size_t end = gbk::find(text, endMarker, from);
    if (end == std::string_view::npos) return "";
    return std::string(text.substr(from, end - from));
}

std::string completeDefaultHeaders(std::string_view headers, std::string_view url, bool isPost) {
    std::string text(headers);
    const struct {
        const char* name;
        std::string line;
    } defaults[] = {
        {"Accept:", "Accept: */*"},
        {"Referer:", "Referer: " + std::string(url)},
        {"Accept-Language:", "Accept-Language: zh-cn"},
        {"User-Agent:", "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)"},
    };
    for (const auto& d : defaults)
        if (gbk::findIgnoreCase(text, d.name) == std::string::npos) text += std::string(kCrLf) + d.line;
    if (isPost && gbk::findIgnoreCase(text, "Content-Type:") == std::string::npos)
        text += "\r\nContent-Type: application/x-www-form-urlencoded";
    return text;
}

std::string normalizeHeaderNames(std::string_view headers) {
    std::vector<std::string> lines;
    for (std::string_view line : gbk::split(headers, kCrLf)) {
        const size_t colon = gbk::find(line, ":");
        if (colon == std::string_view::npos) continue;
        std::string rebuilt(line);
        for (size_t i = 0; i < colon; ++i)
            if (i == 0 || rebuilt[i - 1] == '-') rebuilt[i] = gbk::toUpperAscii(rebuilt[i]);
        lines.push_back(rebuilt);
    }
    return gbk::join(lines, kCrLf);
}

std::vector<HeaderPair> applyHeaderLines(std::string_view headers) {
    if (gbk::find(headers, kCrLf) == std::string_view::npos) return {headerPair(headers)};
    std::vector<HeaderPair> pairs;
    for (std::string_view line : gbk::split(headers, kCrLf)) {
        if (line.empty()) continue;
        HeaderPair pair = headerPair(line);
        if (pair.first == "Connection" && pair.second == "keep-alive") continue;
        pairs.push_back(std::move(pair));
    }
    return pairs;
}

std::string prepareCookieText(std::string_view cookies) {
    if (cookies.empty() || gbk::findIgnoreCase(cookies, "Cookie:") == std::string_view::npos)
        return std::string(cookies);
    return gbk::removeAllIgnoreCase(cookies, "Cookie:");
}

std::string collectResponseCookies(std::string_view responseHeaders) {
    std::string result;
    for (std::string_view line : gbk::split(responseHeaders, kCrLf)) {
        const size_t colon = gbk::find(line, ": ");
        if (colon == std::string_view::npos || line.substr(0, colon) != "Set-Cookie") continue;
        const std::string cookie = gbk::find(line, ";") != std::string_view::npos
                                       ? std::string(gbk::trim(textBetween(line, "Set-Cookie:", ";")))
                                       : std::string(gbk::trim(gbk::removeAllIgnoreCase(line, "Set-Cookie:")));
        result += cookie + std::string(kCookieSeparator);
    }
    if (result.size() >= 2 && result.compare(result.size() - 2, 2, kCookieSeparator) == 0)
        result.resize(result.size() - 2);
    return result;
}

std::string mergeCookieTexts(std::string_view sent, std::string_view received) {
    auto prepared = [](std::string_view text) {
        std::string t(gbk::trim(text));
        if (!t.empty() && t.back() == ';') t += ' ';
        return t;
    };
    const std::string sentText = prepared(sent), receivedText = prepared(received);

    std::vector<std::string> merged, names;
    for (std::string_view part : gbk::split(receivedText, kCookieSeparator)) {
        merged.emplace_back(part);
        names.push_back(cookieName(part));
    }
    for (std::string_view part : gbk::split(sentText, kCookieSeparator)) {
        const std::string name = cookieName(part);
        if (std::find(names.begin(), names.end(), name) != names.end()) continue;
        merged.emplace_back(part);
        names.push_back(name);
    }
    std::vector<std::string> kept;
    for (const std::string& part : merged) {
        const bool deleted = part.size() >= 8 && part.compare(part.size() - 8, 8, "=deleted") == 0;
        if (!deleted) kept.push_back(part);
    }
    // Joined, split again and rid of exact duplicates, as the parts may
    // themselves hold "; ".
    std::vector<std::string> unique;
    const std::string text = gbk::join(kept, kCookieSeparator);
    for (std::string_view part : gbk::split(text, kCookieSeparator))
        if (std::find(unique.begin(), unique.end(), part) == unique.end()) unique.emplace_back(part);
    return gbk::join(unique, kCookieSeparator);
}
