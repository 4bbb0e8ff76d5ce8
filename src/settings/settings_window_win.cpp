#include "settings/settings_window_win.h"

#include <string>

#include "app/app_state.h"
#include "base/gbk_text.h"
#include "settings/settings_rules.h"
#include "platform/dpi.h"
#include "platform/files.h"
#include "platform/subclass.h"
#include "platform/window.h"
#include "settings/settings_file_win.h"
#include "platform/processes.h"
#include "settings/key_help.h"
#include "settings/restart_win.h"
#include "ui/message_box_win.h"
#include "ui/transparency_win.h"

namespace {

constexpr int kWidth = 416, kHeight = 306;
constexpr const char* kQuestionTitle = "热键设置";

HWND g_window = nullptr;
void store(const settings::Key& key, const std::string& value) { storeSetting(appState(), key, value); }

HWND control(int id) { return GetDlgItem(g_window, id); }
void setChecked(int id, bool on) { SendMessageA(control(id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }

std::string controlText(int id) { return windowText(control(id)); }

// Radio buttons of one group, from first on standing for 0, 1, ...; a value
// that none stands for checks none.
void checkOnly(int first, int last, int32_t value) {
    for (int id = first; id <= last; ++id) setChecked(id, id - first == value);
}

void loadSettingsControls() {
    const AppState& app = appState();
    checkOnly(kRadioForward, kRadioRepeat, app.loopOrder);
    checkOnly(kRadioOne, kRadioAll, app.hotkeyMode);
    setChecked(kCheckEnter, app.appendEnter);
    SetWindowTextA(control(kEditHotkey), gbk::decimal(app.hotkeyCode).c_str());
    setChecked(kCheckLoop, app.infiniteLoop);
    // What the file holds (the separator in force was read at start).
    SetWindowTextA(control(kEditSeparator), readStoredSetting(app, settings::kSeparator).c_str());
    SetWindowTextA(control(kEditDelay), readStoredSetting(app, settings::kDelay).c_str());
}

void chooseLoopOrder(int32_t order) {
    appState().loopOrder = order;
    checkOnly(kRadioForward, kRadioRepeat, order);
    store(settings::kLoopOrder, gbk::decimal(order));
}

void chooseHotkeyMode(int32_t mode) {
    appState().hotkeyMode = mode;
    checkOnly(kRadioOne, kRadioAll, mode);
    store(settings::kHotkeyMode, gbk::decimal(mode));
}

void toggleAppendEnter() {
    AppState& app = appState();
    app.appendEnter = !app.appendEnter;  // never stored: off at every start
    setChecked(kCheckEnter, app.appendEnter);
}

void toggleInfiniteLoop() {
    AppState& app = appState();
    app.infiniteLoop = !app.infiniteLoop;
    setChecked(kCheckLoop, app.infiniteLoop);
    store(settings::kInfiniteLoop, app.infiniteLoop ? settings::kTrue : settings::kFalse);
}

// The stored value takes effect at the next start, which can be now.
void offerRestart(const char* question) {
    if (timedMessageBox(question, MB_YESNO, std::string(kQuestionTitle), g_window) == kBoxYes) restartProgram();
}

void onEnterInEdit(int id) {
    switch (id) {
        case kEditHotkey:
            store(settings::kHotkeyCode, controlText(kEditHotkey));
            offerRestart("设置热键成功.是否立即重启");
            break;
        case kEditSeparator:
            store(settings::kSeparator, controlText(kEditSeparator));
            offerRestart("设置分割符成功.是否立即重启");
            break;
        case kEditDelay: {
            const std::string text = controlText(kEditDelay);
            if (text.empty()) break;
            store(settings::kDelay, text);
            appState().pasteDelayMs = textToInt(text);
            timedMessageBox("自定义延时成功", 0u);
            break;
        }
        default: break;
    }
}

// The delay box takes integers only; control characters still pass.
bool acceptedInDelayBox(WPARAM ch) { return ch < 32 || (ch >= '0' && ch <= '9') || ch == '-'; }

LRESULT CALLBACK editProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    const int id = GetDlgCtrlID(hwnd);
    if (msg == WM_KEYDOWN && wp == VK_RETURN) {
        onEnterInEdit(id);
        return 0;
    }
    if (msg == WM_CHAR && wp == '\r') return 0;  // handled on key-down; no beep, no line break
    if (id == kEditDelay) {
        switch (msg) {
            case WM_CHAR:
            case WM_IME_CHAR:  // an input method's result, which the edit would insert as it is
                if (!acceptedInDelayBox(wp)) return 0;
                break;
            case WM_IME_STARTCOMPOSITION:
            case WM_IME_COMPOSITION:
            case WM_IME_ENDCOMPOSITION:
                // Not composed inside the box: the system's composition window
                // shows it and hands the result over as WM_IME_CHAR.
                return DefWindowProcA(hwnd, msg, wp, lp);
            default:
                break;
        }
    }
    return callPreviousProc(editProc, hwnd, msg, wp, lp);
}

LRESULT CALLBACK helpLabelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_LBUTTONDOWN) {  // on the press, not the release
        const std::string path = appState().settingsDir + kHelpFileName;
        writeWholeFile(path, keyCodeHelpText());
        shellOpen(path);
        return 0;
    }
    return callPreviousProc(helpLabelProc, hwnd, msg, wp, lp);
}

void onCommand(int id, int code) {
    if (code != BN_CLICKED) return;
    switch (id) {
        case kRadioForward: chooseLoopOrder(0); break;
        case kRadioReverse: chooseLoopOrder(1); break;
        case kRadioRepeat: chooseLoopOrder(2); break;
        case kRadioOne: chooseHotkeyMode(0); break;
        case kRadioAll: chooseHotkeyMode(1); break;
        case kCheckEnter: toggleAppendEnter(); break;
        case kCheckLoop: toggleInfiniteLoop(); break;
        default: break;
    }
}

LRESULT CALLBACK settingsProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND:
            onCommand(LOWORD(wp), HIWORD(wp));
            return 0;
        case WM_CTLCOLORSTATIC:  // the labels have a transparent background
            SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        case WM_DESTROY:
            g_window = nullptr;
            return 0;
        default:
            return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

struct Placed {
    const char* cls;
    const char* text;
    int id;
    DWORD style;
    int x, y, w, h;  // relative to the group box
};

struct Group {
    const char* text;
    int x, y, w, h;
    std::initializer_list<Placed> controls;
};

void createControls(HINSTANCE instance) {
    const DWORD radio = BS_RADIOBUTTON, check = BS_CHECKBOX, edit = ES_AUTOHSCROLL | WS_BORDER;
    const Group groups[] = {
        {"循环方式", 5, 16, 400, 64,
         {{"BUTTON", "正序", kRadioForward, radio, 5, 24, 54, 24},
          {"BUTTON", "倒序", kRadioReverse, radio, 73, 24, 50, 24},
          {"BUTTON", "单序", kRadioRepeat, radio, 141, 24, 54, 24},
          {"BUTTON", "加回车键", kCheckEnter, check, 205, 20, 80, 32},
          {"BUTTON", "无限循环", kCheckLoop, check, 304, 19, 80, 32}}},
        {"热键复制方式", 5, 92, 400, 56,
         {{"BUTTON", "单条", kRadioOne, radio, 22, 26, 53, 16},
          {"BUTTON", "逐条全部", kRadioAll, radio, 88, 25, 80, 16},
          {"STATIC", "延时|毫秒:", 0, 0, 188, 23, 59, 18},
          {"EDIT", "50", kEditDelay, edit, 258, 22, 62, 20}}},
        {"设置", 5, 160, 400, 112,
         {{"STATIC", "更改热键:", 0, 0, 10, 29, 56, 16},
          {"EDIT", "9", kEditHotkey, edit, 76, 27, 62, 20},
          {"STATIC", "查看代码:", kLabelHelp, SS_NOTIFY, 159, 28, 56, 16},
          {"STATIC", "热键代码.回车重启有效", 0, 0, 250, 28, 137, 16},
          {"STATIC", "自定义分段符:", 0, 0, 12, 63, 81, 18},
          {"EDIT", "", kEditSeparator, edit, 107, 60, 120, 22},
          {"STATIC", "为空默认分行,回车有效", 0, 0, 250, 63, 140, 16}}},
    };
    const auto font = reinterpret_cast<WPARAM>(dialogFont());
    auto make = [&](const char* cls, const char* text, int id, DWORD style, int x, int y, int w, int h) {
        HWND c = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, scaledForDpi(x), scaledForDpi(y),
                                 scaledForDpi(w), scaledForDpi(h), g_window,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        SendMessageA(c, WM_SETFONT, font, FALSE);
        return c;
    };
    for (const Group& g : groups) {
        make("BUTTON", g.text, 0, BS_GROUPBOX, g.x, g.y, g.w, g.h);
        for (const Placed& p : g.controls) {
            HWND c = make(p.cls, p.text, p.id, p.style, g.x + p.x, g.y + p.y, p.w, p.h);
            if (std::string(p.cls) == "EDIT")
                subclassWindow(c, editProc);
            else if (p.id == kLabelHelp)
                subclassWindow(c, helpLabelProc);
        }
    }
}

}  // namespace

void openSettingsWindow(HWND owner) {
    if (g_window) {
        if (IsIconic(g_window)) ShowWindow(g_window, SW_RESTORE);
        SetActiveWindow(g_window);
        SetForegroundWindow(g_window);
        return;
    }
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = settingsProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kSettingsWindowClass;
        setProgramIcons(wc);
        registered = RegisterClassExA(&wc) != 0;
    }
    const int width = scaledForDpi(kWidth), height = scaledForDpi(kHeight);
    g_window = CreateWindowExA(0, kSettingsWindowClass, kSettingsTitle, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU |
                               WS_MINIMIZEBOX, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, owner, nullptr,
                               instance, nullptr);
    if (!g_window) return;
    createControls(instance);
    loadSettingsControls();
    setWindowAlpha(g_window, 220);
    ShowWindow(g_window, SW_SHOWNORMAL);
}
