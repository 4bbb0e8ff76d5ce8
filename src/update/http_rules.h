// Text rules of the HTTP request: default headers, header names and lines,
// the cookies sent, collected and merged, and the marker search.
#pragma once
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The text between the first start marker and the next end marker after it;
// empty when either is missing.
std::string textBetween(std::string_view text, std::string_view startMarker, std::string_view endMarker);

std::string completeDefaultHeaders(std::string_view headers, std::string_view url, bool isPost);
std::string normalizeHeaderNames(std::string_view headers);

using HeaderPair = std::pair<std::string, std::string>;
std::vector<HeaderPair> applyHeaderLines(std::string_view headers);

std::string prepareCookieText(std::string_view cookies);
std::string collectResponseCookies(std::string_view responseHeaders);
std::string mergeCookieTexts(std::string_view sent, std::string_view received);
