// Desktop operations that the rest of the program calls by name. GBK texts;
// list rows and columns count from 0.
#pragma once
#include <string>
#include <string_view>

#include "platform/win.h"

// Profile files. A default that is not given reads as "".
std::string readSetting(const std::string& file, const std::string& section, const std::string& key,
                        const char* fallback = nullptr);
bool writeSetting(const std::string& file, const std::string& section, const std::string& key,
                  const std::string& value);

// The item list (a report list-view).
void listClear(HWND list);
int listAppendRow(HWND list);
void listSetCell(HWND list, int row, int column, std::string_view text);
std::string listGetCell(HWND list, int row, int column);
// As listGetCell; false only when the text could not be held in memory.
bool listGetCell(HWND list, int row, int column, std::string& out);
int listRowCount(HWND list);
void listSelectRow(HWND list, int row);
void listEnsureVisible(HWND list, int row);
int listSelectedRow(HWND list);

void setWindowCaption(HWND window, const std::string& text);

// RegisterHotKey with ids counting up from 33001; 0 on failure. WM_HOTKEY for
// a registered id reaches target as kHotkeyRelayMessage (wParam = id).
constexpr UINT kHotkeyRelayMessage = 0x8075;
int registerGlobalHotkey(HWND window, HWND target, UINT modifiers, UINT key);

// Synthesized keys (scan code 0): down in order, then up in the same order.
void sendKeyChord(BYTE key, BYTE second = 0);

// Dispatches every waiting message other than WM_QUIT.
void processPendingEvents();
// As processPendingEvents, but hotkey presses (WM_HOTKEY) stay queued.
void processPendingEventsHoldingHotkeys();

void showPopupMenu(HWND window, HMENU menu);

// kind 1 = the Documents folder; the path ends in a backslash, "" on failure.
std::string getSpecialFolder(int kind);
void ensureDirectory(std::string path);

// Whole file, shared for reading; empty on any failure (also when it does
// not fit into memory).
std::string readWholeFile(const std::string& path);
bool writeWholeFile(const std::string& path, std::string_view bytes);
bool fileExists(const std::string& path);

bool runProgram(const std::string& commandLine, bool wait, int showMode);
void shellOpen(const std::string& fileOrUrl);
inline void openUrl(const std::string& url) { shellOpen(url); }
