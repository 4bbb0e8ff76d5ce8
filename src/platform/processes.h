// Starting programs and opening files or addresses.
#pragma once
#include <string>

// CreateProcessA with the given show mode and no directory of its own;
// waits for the end, or up to 1000 ms for the program to become idle.
bool runProgram(const std::string& commandLine, bool wait, int showMode);
// The shell's "open" verb, window shown normally.
void shellOpen(const std::string& fileOrUrl);
inline void openUrl(const std::string& url) { shellOpen(url); }
