// The settings window: every control stores its setting the moment it changes.
#pragma once
#include "platform/win.h"

constexpr const char* kSettingsWindowClass = "Vorpa.Nexlune.Settings";
constexpr const char* kSettingsTitle = "  设置";

// Control identifiers, by design name.
enum SettingsControl : int {
    kRadioForward = 1001,   // 单选框1
    kRadioReverse = 1002,   // 单选框2
    kRadioRepeat = 1003,    // 单选框3
    kCheckEnter = 1004,     // 选择框1
    kCheckLoop = 1005,      // 选择框4
    kRadioOne = 1006,       // 单选框4
    kRadioAll = 1007,       // 单选框5
    kEditDelay = 1008,      // 编辑框延时
    kEditHotkey = 1009,     // 编辑框1
    kLabelHelp = 1010,      // 透明标签2
    kEditSeparator = 1011,  // 编辑框分割符
};

// Opens the window, owned by owner and not modal; a second call restores and
// activates the open one.
void openSettingsWindow(HWND owner);
