// Which row the hotkey pastes next, and the position shown in the title.
#pragma once
#include <cstdint>
#include <string>

#include "app/app_state.h"

// What stepping needs from the windows: the item list, the paste of a row
// (which returns after the paste's waits, during which other presses, clicks
// and drops are handled) and the main title.
class PasteHost {
public:
    virtual int32_t rowCount() = 0;
    virtual int32_t selectedRow() = 0;  // -1 when no row is selected
    virtual void pasteRow(int32_t row) = 0;
    virtual void setTitle(const std::string& gbkText) = 0;
    virtual bool windowOpen() = 0;  // false once the main window has been closed

protected:
    ~PasteHost() = default;
};

void onHotkeyEvent(AppState& app, PasteHost& host, int32_t hotkeyId, int32_t unused);
void stepForward(AppState& app, PasteHost& host);
void stepBackward(AppState& app, PasteHost& host);
void selectFromList(AppState& app, PasteHost& host);

std::string forwardTitle(long long rowNumber);
std::string positionTitle(long long rowNumber);
