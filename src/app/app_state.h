// The program-wide state. Every field starts zero, false or empty; the main
// window's creation reads the settings into it and the handlers change it.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "items/loaded_text.h"

struct AppState {
    // The last dropped file, its text and the item list's rows (sourceBytes,
    // sourceText); empty before the first drop and after an unreadable file.
    std::shared_ptr<const LoadedText> source;
    // Loads run off the window's thread and are numbered; the latest started is shown.
    struct {
        uint32_t started = 0;
        uint32_t finished = 0;      // the number of the last one whose result came back
        bool redecodeNext = false;  // "utf-8编码" chosen while a load ran: for that file
    } loads;
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
