// Nexlune: pastes the segments of a dropped text file, one per hotkey press.
#include <string>

#include "app/app_state.h"
#include "app/main_window.h"
#include "platform/scoped.h"
#include "ui/skin_loader.h"

namespace {

void enterProgramFolder() {
    char path[MAX_PATH * 4] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path, n);
    const size_t slash = folder.find_last_of('\\');
    if (slash != std::string::npos) SetCurrentDirectoryA(folder.substr(0, slash).c_str());
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    enterProgramFolder();
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
