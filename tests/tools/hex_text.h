// Bytes as lower-case hex and back, and UTF-16 to UTF-8 and back: how the
// test programs hand texts of any encoding to the test scripts.
#pragma once
#include <windows.h>

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

inline std::string utf8(const std::wstring& w) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}

inline std::wstring wide(const std::string& u) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, u.data(), static_cast<int>(u.size()), nullptr, 0);
    std::wstring w(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, u.data(), static_cast<int>(u.size()), &w[0], n);
    return w;
}
