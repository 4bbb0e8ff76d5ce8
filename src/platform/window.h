// Window texts. GBK.
#pragma once
#include <string>

#include "platform/win.h"

inline void setWindowCaption(HWND window, const std::string& text) { SetWindowTextA(window, text.c_str()); }

inline std::string windowText(HWND window) {
    std::string text(static_cast<size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(window, &text[0], static_cast<int>(text.size()))));
    return text;
}
