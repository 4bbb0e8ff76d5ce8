// The program-wide state. Every field starts zero, false or empty; the main
// window's creation reads the settings into it and the handlers change it.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "items/segments.h"

struct AppState {
    std::string sourceBytes;       // whole content of the last dropped file
    std::string convertedText;     // the bytes read as UTF-8 ("utf-8编码") where that differs from them
    std::string_view sourceText;   // GBK text the item list was last built from: a prefix of
                                   // sourceBytes (up to a zero byte) or convertedText
    SegmentIndex segments;         // the item list's rows, as views into sourceText
    std::string separator;
    int32_t hotkeyMode = 0;
    int32_t loopOrder = 0;
    int32_t cursor = 0;  // zero-based row of the next paste, deliberately unbounded
    int32_t hotkeyId = 0;
    bool infiniteLoop = false;
    bool appendEnter = false;
    int32_t pasteDelayMs = 0;
    std::string settingsDir;
    int32_t hotkeyCode = 0;
    std::string skinBaseDir;
    std::string skinAppName;
    int32_t skinStyle = 0;
};

// The one instance of the running program.
AppState& appState();

// Releases the texts and the byte buffer; writes nothing.
void exitCleanup();

// Makes exitCleanup run when the program ends, while the state still exists.
void registerExitCleanup();
