// Building the item list from a dropped file. The list is virtual: it holds
// no text of its own and asks for each cell it shows or is asked for
// (supplyListCell), so loading costs the same whatever the list shows.
#pragma once
#include <string>
#include <string_view>

#include "app/app_state.h"
#include "platform/win.h"

// File event of the list's drop target: reads the file as GBK and rebuilds the list.
void loadDroppedFile(AppState& app, HWND list, const std::string& path);
// Menu item "utf-8编码": the same bytes read as UTF-8.
void redecodeAsUtf8(AppState& app, HWND list);
// UTF-8 bytes up to the first zero byte as GBK, converted piece by piece.
std::string utf8ToGbk(std::string_view bytes);
// Cuts sourceText into the list's rows and gives the list their count; false
// (and no rows) when the text is too long for an index or memory runs out.
bool fillItemList(AppState& app, HWND list);
// The item list's LVN_GETDISPINFO (A or W): the row number or the segment,
// as much of it as the asker's buffer holds.
void supplyListCell(const AppState& app, NMHDR* request);
// The item list's LVN_ODFINDITEM (typing in the list): the next row from the
// start whose number begins with the typed text, or -1.
LRESULT findListRow(const AppState& app, const NMLVFINDITEMA& request);
