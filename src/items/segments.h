// Cutting a GBK text into the segments shown as rows of the item list.
#pragma once
#include <string_view>
#include <vector>

// The non-empty pieces of text between separators, in order. An empty
// separator cuts at commas. A separator never matches from the second byte
// of a two-byte character. The views point into text.
std::vector<std::string_view> splitSegments(std::string_view text, std::string_view separator);
