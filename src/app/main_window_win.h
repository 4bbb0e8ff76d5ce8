// The main window: the item list, the hidden relay label and the menu "dd".
#pragma once
#include "platform/drop_target.h"
#include "platform/win.h"

constexpr const char* kMainWindowClass = "Vorpa.Nexlune.Main";
constexpr const char* kMainTitle = "Vorpa.Nexlune";

struct MainWindow {
    HWND window = nullptr;
    HWND itemList = nullptr;     // 超级列表框1
    HWND relayLabel = nullptr;   // 标签1
    HMENU menuBar = nullptr;     // holds the invisible menu "dd"
    DropTargetObject dropObject; // 拖放对象1
};

MainWindow& mainWindow();

// Creates the window and its controls (hidden); false when that fails.
bool createMainWindow(HINSTANCE instance);
void initMainWindow();
void showItemMenu();
