// Once per start: fetch the release page and offer a newer version.
#pragma once
#include <string>

// The public folder page of the release downloads. (No release page is
// published yet: the address does not resolve, and start-up goes on at once.)
constexpr const char* kReleasePageUrl = "https://releases.nexlune.invalid/";

// True when the page offers a newer version than currentVersion, asked or not.
bool checkForUpdate(const std::string& releasePageUrl, const std::string& currentVersion, bool askUser = true);
