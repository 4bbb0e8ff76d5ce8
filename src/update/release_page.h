// Reading the release page: the release title, its version and the file name.
#pragma once
#include <string>
#include <string_view>

#include "build_info.h"

struct ReleasePage {
    std::string title;     // the first piece between "='" and "';"
    std::string version;   // what follows the last "版本" in the title
    std::string fileName;  // between id="filename"> and </span>
};

ReleasePage readReleasePage(std::string_view pageText);

// Byte-wise, unsigned: the first differing byte decides, a prefix is smaller.
bool isNewerVersion(std::string_view remote, std::string_view current);

// The version of this build (the project's major.minor), as the release page writes it.
constexpr const char* kCurrentVersion = NX_VERSION_TEXT;
// The header line the update check sends as its request headers.
constexpr const char* kUpdateUserAgentHeader =
    "User-Agent: Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/47.0.2526.80 Safari/537.36 Core/1.47.277.400 QQBrowser/9.4.7658.400";
