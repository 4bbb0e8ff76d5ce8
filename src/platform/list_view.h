// The item list: a report list-view. GBK texts; rows and columns count from 0.
#pragma once
#include <string>
#include <string_view>

#include "platform/win.h"

void listClear(HWND list);
int listAppendRow(HWND list);
void listSetCell(HWND list, int row, int column, std::string_view text);
// A row that does not exist reads as "".
std::string listGetCell(HWND list, int row, int column);
// As listGetCell; false only when the text could not be held in memory.
bool listGetCell(HWND list, int row, int column, std::string& out);
int listRowCount(HWND list);
void listSelectRow(HWND list, int row);  // a negative row is ignored
void listEnsureVisible(HWND list, int row);
int listSelectedRow(HWND list);  // -1 when none

// Keeps a window from repainting while it lives, then repaints it whole:
// a list filled row by row would otherwise repaint for every row.
class ScopedRedrawOff {
public:
    explicit ScopedRedrawOff(HWND window) : window_(window) { SendMessageA(window_, WM_SETREDRAW, FALSE, 0); }
    ~ScopedRedrawOff() {
        SendMessageA(window_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(window_, nullptr, TRUE);
    }
    ScopedRedrawOff(const ScopedRedrawOff&) = delete;
    ScopedRedrawOff& operator=(const ScopedRedrawOff&) = delete;

private:
    HWND window_;
};
