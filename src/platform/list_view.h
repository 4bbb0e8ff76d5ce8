// The item list's operations: a report list-view, read and driven through the
// control (a virtual list answers them as any other). GBK texts; rows and
// columns count from 0.
#pragma once
#include <string>
#include <string_view>

#include "platform/win.h"

void listClear(HWND list);
// A row that does not exist reads as "".
std::string listGetCell(HWND list, int row, int column);
// As listGetCell; false only when the text could not be held in memory.
bool listGetCell(HWND list, int row, int column, std::string& out);
int listRowCount(HWND list);
void listSelectRow(HWND list, int row);  // a negative row is ignored
void listEnsureVisible(HWND list, int row);
int listSelectedRow(HWND list);  // -1 when none
