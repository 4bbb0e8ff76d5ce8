// A very small test harness for the tests that run under Wine: CHECK macros
// that name the caller's line, test functions in a table, and the closing
// "N passed, N failed" line.
#pragma once
#include <cstdio>
#include <string>

namespace check {

inline int& failures() {
    static int n = 0;
    return n;
}
inline std::string& context() {
    static std::string c;
    return c;
}

inline void fail(const char* file, int line, const std::string& what) {
    ++failures();
    std::printf("  %s:%d: %s%s%s\n", file, line, what.c_str(), context().empty() ? "" : "  [", context().empty() ? "" : (context() + "]").c_str());
    std::fflush(stdout);
}

inline std::string show(const std::string& s) {
    std::string r = "\"";
    for (unsigned char c : s) {
        char b[8];
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            r += static_cast<char>(c);
        } else {
            std::snprintf(b, sizeof b, "\\x%02X", c);
            r += b;
        }
    }
    return r + "\"";
}
inline std::string show(long long v) { return std::to_string(v); }

}  // namespace check

#define CHECK(cond) \
    do { if (!(cond)) check::fail(__FILE__, __LINE__, "CHECK(" #cond ")"); } while (0)
#define CHECK_EQ(a, b)                                                                               \
    do {                                                                                             \
        const auto& va_ = (a);                                                                       \
        const auto& vb_ = (b);                                                                       \
        if (!(va_ == vb_))                                                                           \
            check::fail(__FILE__, __LINE__, std::string(#a " == " #b ": ") + check::show(va_) + " vs " + check::show(vb_)); \
    } while (0)
