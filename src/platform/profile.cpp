#include "platform/profile.h"

#include <vector>

#include "platform/win.h"

namespace {

bool blankName(const std::string& s) {
    for (unsigned char c : s)
        if (c > ' ') return false;
    return true;
}

}  // namespace

std::string readSetting(const std::string& file, const std::string& section, const std::string& key,
                        const char* fallback) {
    // Empty names would make the profile API enumerate sections or keys.
    if (blankName(file) || blankName(section) || blankName(key)) return "";
    std::vector<char> buf(10240);
    GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback ? fallback : "", buf.data(),
                             static_cast<DWORD>(buf.size()), file.c_str());
    return buf.data();
}

bool writeSetting(const std::string& file, const std::string& section, const std::string& key,
                  const std::string& value) {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != 0;
}
