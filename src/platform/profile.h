// Profile (INI) files. GBK texts.
#pragma once
#include <string>

// GetPrivateProfileStringA with a 10,240-byte buffer. A default that is not
// given reads as "".
std::string readSetting(const std::string& file, const std::string& section, const std::string& key,
                        const char* fallback = nullptr);
bool writeSetting(const std::string& file, const std::string& section, const std::string& key,
                  const std::string& value);
