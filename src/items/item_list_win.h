// The item list: a virtual report list-view. It keeps no text of its own;
// the window it sits in answers its questions for cells from the state.
#pragma once
#include "app/app_state.h"
#include "platform/win.h"

// The list with its styles, columns, font and colours, size given at 96 DPI.
HWND createItemList(HWND parent, HINSTANCE instance, int width, int height);

// The list's questions to its parent window (WM_NOTIFY): the text of a cell,
// the row a typed text leads to. True when the notification was one of them,
// with the answer in result.
bool answerItemList(const AppState& app, NMHDR* notification, LRESULT& result);
