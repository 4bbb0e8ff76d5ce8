#include "app/main_window_win.h"

#include "app/app_state.h"
#include "items/item_list_win.h"
#include "items/loader_win.h"
#include "paste/paste_win.h"
#include "paste/stepping.h"
#include "platform/clipboard.h"
#include "platform/dpi.h"
#include "platform/folders.h"
#include "platform/hotkey.h"
#include "platform/menu.h"
#include "platform/subclass.h"
#include "platform/window.h"
#include "settings/settings_file_win.h"
#include "settings/settings_window_win.h"
#include "skin/skin_loader_win.h"
#include "ui/transparency_win.h"
#include "update/release_page.h"
#include "update/update_check_win.h"

namespace {

enum MenuCommand : UINT { kCmdSettings = 101, kCmdModify = 102, kCmdUtf8 = 103 };

// A file read off the window's thread, ready to be shown.
constexpr UINT kFileLoadedMessage = WM_APP + 1;

// The layout at 96 DPI; scaled by the screen's DPI.
constexpr int kWindowWidth = 360, kWindowHeight = 458;
constexpr int kListWidth = 352, kListHeight = 408;

void onHotkeyRelay(int32_t id) {
    MainWindow& mw = mainWindow();
    WindowPasteHost host(appState(), mw.window, mw.itemList);
    onHotkeyEvent(appState(), host, id, 0);
}

LRESULT CALLBACK relayLabelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kHotkeyRelayMessage) {
        onHotkeyRelay(static_cast<int32_t>(wp));
        return 0;
    }
    return callPreviousProc(relayLabelProc, hwnd, msg, wp, lp);
}

LRESULT onListNotify(NMHDR& hdr) {
    MainWindow& mw = mainWindow();
    if (hdr.hwndFrom != mw.itemList) return 0;
    LRESULT answer = 0;
    if (answerItemList(appState(), &hdr, answer)) return answer;
    if (hdr.code == NM_CLICK) {
        WindowPasteHost host(appState(), mw.window, mw.itemList);
        selectFromList(appState(), host);
    } else if (hdr.code == NM_RCLICK) {
        showItemMenu();
    }
    return 0;
}

void onMenuCommand(UINT id) {
    switch (id) {
        case kCmdSettings: openSettingsWindow(mainWindow().window); break;
        case kCmdModify: break;    // does nothing by design
        case kCmdUtf8: redecodeInBackground(appState(), mainWindow().window, kFileLoadedMessage); break;
        default: break;
    }
}

LRESULT CALLBACK mainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_NOTIFY:
            return onListNotify(*reinterpret_cast<NMHDR*>(lp));
        case WM_COMMAND:
            if (HIWORD(wp) == 0 && lp == 0) onMenuCommand(LOWORD(wp));
            return 0;
        case kFileLoadedMessage:
            finishBackgroundLoad(appState(), hwnd, mainWindow().itemList, kFileLoadedMessage, wp, lp);
            return 0;
        case WM_RENDERFORMAT:
        case WM_RENDERALLFORMATS:
        case WM_DESTROYCLIPBOARD:
            handleClipboardOwnerMessage(msg, wp);  // the window owns the pasted text
            return 0;
        case WM_DESTROY:
            revokeDropTarget(mainWindow().dropObject);
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

HMENU createMenuBar() {
    HMENU items = CreatePopupMenu();
    AppendMenuA(items, MF_STRING, kCmdSettings, "设置");
    AppendMenuA(items, MF_STRING, kCmdModify, "修改");
    AppendMenuA(items, MF_STRING, kCmdUtf8, "utf-8编码");
    HMENU bar = CreateMenu();
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(items), "dd");
    return bar;  // never attached to the window: "dd" is shown only as the pop-up
}

void createControls(MainWindow& mw, HINSTANCE instance) {
    mw.itemList = createItemList(mw.window, instance, kListWidth, kListHeight);

    // The relay label has no height and sits right of the client area.
    mw.relayLabel = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, scaledForDpi(kWindowWidth),
                                    scaledForDpi(24), scaledForDpi(24), 0, mw.window, nullptr, instance, nullptr);
    subclassWindow(mw.relayLabel, relayLabelProc);

    mw.menuBar = createMenuBar();
    // The drop answers its source at once; the file is read and cut on a
    // thread of its own and shown when it is ready.
    mw.dropObject.onFile = [](const std::string& path) {
        AppState& app = appState();
        loadInBackground(app, mainWindow().window, kFileLoadedMessage,
                         [path, separator = app.separator] { return readDroppedFile(path, separator); });
    };
}

}  // namespace

MainWindow& mainWindow() {
    static MainWindow mw;
    return mw;
}

bool createMainWindow(HINSTANCE instance) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);

    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = mainWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    setProgramIcons(wc);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kMainWindowClass;
    if (!RegisterClassExA(&wc)) return false;

    const int width = scaledForDpi(kWindowWidth), height = scaledForDpi(kWindowHeight);
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    MainWindow& mw = mainWindow();
    mw.window = CreateWindowExA(0, kMainWindowClass, kMainTitle, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                x, y, width, height, nullptr, nullptr, instance, nullptr);
    if (!mw.window) return false;
    SendMessageA(mw.window, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont()), FALSE);
    createControls(mw, instance);
    return true;
}

void initMainWindow() {
    AppState& app = appState();
    MainWindow& mw = mainWindow();
    app.settingsDir = settings::settingsFolder(getSpecialFolder(1));
    ensureDirectory(app.settingsDir);
    app.hotkeyCode = textToInt(readStoredSetting(app, settings::kHotkeyCode));
    registerDropTarget(mw.dropObject, mw.itemList);
    app.hotkeyId = registerGlobalHotkey(mw.window, mw.relayLabel, 0, static_cast<UINT>(app.hotkeyCode));
    app.infiniteLoop = textToBool(readStoredSetting(app, settings::kInfiniteLoop));
    app.loopOrder = textToInt(readStoredSetting(app, settings::kLoopOrder));
    app.separator = readStoredSetting(app, settings::kSeparator);
    app.pasteDelayMs = textToInt(readStoredSetting(app, settings::kDelay));
    app.hotkeyMode = textToInt(readStoredSetting(app, settings::kHotkeyMode));
    loadSkin(app, "Quilvo", 2);
    checkForUpdate(kReleasePageUrl, kCurrentVersion);
    setWindowAlpha(mw.window, 220);
}

void showItemMenu() {
    MainWindow& mw = mainWindow();
    showPopupMenu(mw.window, GetSubMenu(mw.menuBar, 0));
}
