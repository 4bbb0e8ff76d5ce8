// Once per start: fetch the release page and offer a newer version.
#pragma once
#include <string>

#include "build_info.h"

// The public folder page of the release downloads, set by the build
// (NX_RELEASE_PAGE_URL). The default names no published page: the address
// does not resolve, and start-up goes on at once.
constexpr const char* kReleasePageUrl = NX_RELEASE_PAGE_URL;

// True when the page offers a newer version than currentVersion, asked or not.
bool checkForUpdate(const std::string& releasePageUrl, const std::string& currentVersion, bool askUser = true);
