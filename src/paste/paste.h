// One paste: clipboard, row selection, Ctrl+V (and Enter), then the wait.
#pragma once
#include <cstdint>
#include <string_view>

#include "app/app_state.h"
#include "paste/stepping.h"
#include "platform/win.h"

// Pastes the row at the cursor and returns after pasteDelayMs.
void pasteCurrentItem(const AppState& app, HWND list);

// Puts text on the clipboard as CF_TEXT. False, with the clipboard as it
// was, when memory or the clipboard could not be had.
bool setClipboardText(std::string_view text);

// Waits while dispatching the program's messages; unit 0 ms, 1 s, 2 min, 3 h.
bool waitMilliseconds(int32_t amount, int32_t unit = 0);

// Stepping bound to the main window and its item list.
class WindowPasteHost final : public PasteHost {
public:
    WindowPasteHost(AppState& app, HWND mainWindow, HWND list) : app_(app), main_(mainWindow), list_(list) {}
    int32_t rowCount() override;
    int32_t selectedRow() override;
    void pasteCurrentItem() override;
    void setTitle(const std::string& gbkText) override;

private:
    AppState& app_;
    HWND main_;
    HWND list_;
};
