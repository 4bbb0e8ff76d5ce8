// Window texts (GBK) and the program's icons.
#pragma once
#include <string>

#include "platform/win.h"

inline void setWindowCaption(HWND window, const std::string& text) { SetWindowTextA(window, text.c_str()); }

inline std::string windowText(HWND window) {
    std::string text(static_cast<size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(window, &text[0], static_cast<int>(text.size()))));
    return text;
}

// The program's icon resource, at the sizes the system draws (window class).
constexpr int kProgramIconId = 1;

inline void setProgramIcons(WNDCLASSEXA& wc) {
    auto load = [&](int sizeMetric) {
        return static_cast<HICON>(LoadImageA(wc.hInstance, MAKEINTRESOURCEA(kProgramIconId), IMAGE_ICON,
                                             GetSystemMetrics(sizeMetric), GetSystemMetrics(sizeMetric), 0));
    };
    wc.hIcon = load(SM_CXICON);
    wc.hIconSm = load(SM_CXSMICON);
    if (!wc.hIcon) wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
}
