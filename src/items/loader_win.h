// Building the item list from a dropped file. The list is virtual: it holds
// no text of its own and asks for each cell it shows or is asked for
// (supplyListCell), so loading costs the same whatever the list shows. The
// file is read and cut on a thread of its own (loadInBackground); the window
// shows the result when it comes.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "app/app_state.h"
#include "platform/win.h"

using LoadedTextPtr = std::shared_ptr<const LoadedText>;

// Reading, on any thread; never throws. An unreadable file, a text too long
// for the rows' index or memory running out give an empty text and no rows.
// The file's bytes as GBK, cut at separator.
LoadedTextPtr readDroppedFile(const std::string& path, const std::string& separator);
// The same bytes read as UTF-8 ("utf-8编码").
LoadedTextPtr readAsUtf8(const std::shared_ptr<const std::string>& bytes, const std::string& separator);
// UTF-8 bytes up to the first zero byte as GBK, converted piece by piece.
std::string utf8ToGbk(std::string_view bytes);

// On the window's thread: the text becomes the source and its rows the list's
// (the list is given the row count; the cells come from supplyListCell).
void showLoadedText(AppState& app, HWND list, LoadedTextPtr text);

// The same at once, on the calling thread.
void loadDroppedFile(AppState& app, HWND list, const std::string& path);
void redecodeAsUtf8(AppState& app, HWND list);

// Off the window's thread: read runs on a thread of its own and its result is
// posted to window as message done, for finishBackgroundLoad. Of loads that
// overlap, the one started last is shown. Runs read at once when no thread
// can be started.
void loadInBackground(AppState& app, HWND window, UINT done, std::function<LoadedTextPtr()> read);
// Menu item "utf-8编码": the source's bytes read again as UTF-8, in the
// background; after a load still running, its file's.
void redecodeInBackground(AppState& app, HWND window, UINT done);
// Message done of loadInBackground.
void finishBackgroundLoad(AppState& app, HWND window, HWND list, UINT done, WPARAM wp, LPARAM lp);

// The item list's LVN_GETDISPINFO (A or W): the row number or the segment,
// as much of it as the asker's buffer holds.
void supplyListCell(const AppState& app, NMHDR* request);
// The item list's LVN_ODFINDITEM (typing in the list): the next row from the
// start whose number begins with the typed text, or -1.
LRESULT findListRow(const AppState& app, const NMLVFINDITEMA& request);
