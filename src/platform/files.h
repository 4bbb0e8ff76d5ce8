// Whole files.
#pragma once
#include <string>
#include <string_view>

// Whole file, shared for reading; empty on any failure (also when it does
// not fit into memory).
std::string readWholeFile(const std::string& path);
// Creates or truncates.
bool writeWholeFile(const std::string& path, std::string_view bytes);
bool fileExists(const std::string& path);
