// Bytes as lower-case hex and back: how the test programs hand texts of any
// encoding to the test scripts.
#pragma once
#include <string>

inline std::string hex(const std::string& s) {
    static const char* digits = "0123456789abcdef";
    std::string h;
    for (unsigned char c : s) {
        h += digits[c >> 4];
        h += digits[c & 15];
    }
    return h;
}

inline std::string unhex(const std::string& h) {
    std::string s;
    for (size_t i = 0; i + 1 < h.size(); i += 2) s += static_cast<char>(std::stoi(h.substr(i, 2), nullptr, 16));
    return s;
}
