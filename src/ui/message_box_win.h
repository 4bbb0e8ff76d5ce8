// A message box that closes itself after a time-out.
#pragma once
#include <optional>
#include <string>

#include "platform/win.h"

constexpr int kDefaultBoxTimeoutMs = 5000;
constexpr UINT kBoxTimedOut = 32000;  // what MessageBoxTimeoutA returns on its time-out
constexpr const char* kDefaultBoxTitle = "友情提醒";

// What timedMessageBox returns: the button's identifier less one.
constexpr int kBoxYes = IDYES - 1;  // 5
constexpr int kBoxNo = IDNO - 1;
constexpr int kBoxTimeout = static_cast<int>(kBoxTimedOut) - 1;

// Shows text; returns the pressed button's identifier less one (Yes gives 5).
// Omitted arguments take their defaults: style 0, title "友情提醒", an owner
// found among this program's visible windows, 5000 ms.
int timedMessageBox(const std::string& text, std::optional<UINT> style = std::nullopt,
                    std::optional<std::string> title = std::nullopt, std::optional<HWND> owner = std::nullopt,
                    std::optional<int> timeoutMs = std::nullopt);

// A visible top-level window of this process, searched for up to 1000 ms
// while dispatching messages; nullptr when none turns up.
HWND findOwnWindow();
