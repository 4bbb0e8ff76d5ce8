// Nexlune: pastes the segments of a dropped text file, one per hotkey press.
#include "app/app_state.h"
#include "app/main_window_win.h"
#include "platform/drop_target.h"
#include "platform/folders.h"
#include "skin/skin_loader_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    SetCurrentDirectoryA(programFolder().c_str());  // the restart script relies on it
    registerExitCleanup();
    initSkinModule(appState());

    ScopedOle ole;  // drag and drop needs OLE on this thread
    if (!createMainWindow(instance)) return 1;
    initMainWindow();
    ShowWindow(mainWindow().window, SW_SHOWNORMAL);
    UpdateWindow(mainWindow().window);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
