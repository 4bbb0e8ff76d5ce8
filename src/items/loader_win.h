// Building the item list from a dropped file.
#pragma once
#include <string>

#include "app/app_state.h"
#include "platform/win.h"

// File event of the list's drop target: reads the file as GBK and rebuilds the list.
void loadDroppedFile(AppState& app, HWND list, const std::string& path);
// Menu item "utf-8编码": the same bytes read as UTF-8.
void redecodeAsUtf8(AppState& app, HWND list);
std::string utf8ToGbk(const std::string& bytes);
// Appends one row per segment of sourceText.
void fillItemList(AppState& app, HWND list);
