// One paste: clipboard, row selection, Ctrl+V (and Enter), the wait until the
// focused program has taken the text, then the paste delay.
#pragma once
#include <cstdint>
#include <string_view>

#include "app/app_state.h"
#include "paste/stepping.h"
#include "paste/wait_rules.h"
#include "platform/win.h"

// Pastes the given row of the list; owner is the window that owns the
// clipboard. Returns after the text was taken (or its bound passed) and the
// paste delay.
void pasteRow(const AppState& app, HWND owner, HWND list, int32_t row);

// Puts text on the clipboard, owned by owner, once the text before it has
// been taken or its bound has passed. False, with the clipboard as it was,
// when memory or the clipboard could not be had.
bool setClipboardText(HWND owner, std::string_view text);

// Waits amount units while dispatching the program's messages; true when the
// time has passed.
bool waitMilliseconds(int32_t amount, WaitUnit unit = WaitUnit::Milliseconds);

// Stepping bound to the main window and its item list.
class WindowPasteHost final : public PasteHost {
public:
    WindowPasteHost(AppState& app, HWND mainWindow, HWND list) : app_(app), main_(mainWindow), list_(list) {}
    int32_t rowCount() override;
    int32_t selectedRow() override;
    void pasteRow(int32_t row) override;
    void setTitle(const std::string& gbkText) override;
    bool windowOpen() override;

private:
    AppState& app_;
    HWND main_;
    HWND list_;
};
