// The table of key names and virtual-key codes written as help.txt.
#pragma once
#include <string>

constexpr const char* kHelpFileName = "help.txt";

// GBK text, CR LF between lines, none after the last.
std::string keyCodeHelpText();
