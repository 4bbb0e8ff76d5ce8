#include "platform/desktop.h"

#include <initializer_list>
#include <new>
#include <utility>
#include <vector>

#include "platform/bound.h"
#include "platform/scoped.h"

namespace {

bool blankName(const std::string& s) {
    for (unsigned char c : s)
        if (c > ' ') return false;
    return true;
}

}  // namespace

std::string readSetting(const std::string& file, const std::string& section, const std::string& key,
                        const char* fallback) {
    // Empty names would make the profile API enumerate sections or keys.
    if (blankName(file) || blankName(section) || blankName(key)) return "";
    std::vector<char> buf(10240);
    GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback ? fallback : "", buf.data(),
                             static_cast<DWORD>(buf.size()), file.c_str());
    return buf.data();
}

bool writeSetting(const std::string& file, const std::string& section, const std::string& key,
                  const std::string& value) {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != 0;
}

void listClear(HWND list) { SendMessageA(list, LVM_DELETEALLITEMS, 0, 0); }

int listAppendRow(HWND list) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = listRowCount(list);
    item.pszText = const_cast<char*>("");
    return static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

void listSetCell(HWND list, int row, int column, std::string_view text) {
    const std::string copy(text);  // the control wants a terminated text
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(copy.c_str());
    SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

bool listGetCell(HWND list, int row, int column, std::string& out) {
    out.clear();
    if (row < 0 || row >= listRowCount(list)) return true;
    try {
        // The control copies at most the buffer less one; grow until the text fits.
        std::vector<char> buf(1024);
        for (;;) {
            LVITEMA item{};
            item.iSubItem = column;
            item.pszText = buf.data();
            item.cchTextMax = static_cast<int>(buf.size());
            const LRESULT n = SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
            if (n < static_cast<LRESULT>(buf.size()) - 1 || buf.size() > (1u << 30)) {
                out.assign(item.pszText);  // the control may point at its own copy
                return true;
            }
            buf.assign(buf.size() * 2, 0);
        }
    } catch (const std::bad_alloc&) {
        out.clear();
        return false;
    }
}

std::string listGetCell(HWND list, int row, int column) {
    std::string text;
    listGetCell(list, row, column, text);
    return text;
}

int listRowCount(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

void listSelectRow(HWND list, int row) {
    if (row < 0) return;
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

void listEnsureVisible(HWND list, int row) { SendMessageA(list, LVM_ENSUREVISIBLE, row, FALSE); }

int listSelectedRow(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void setWindowCaption(HWND window, const std::string& text) { SetWindowTextA(window, text.c_str()); }

namespace {

struct HotkeyRoute {
    HWND window;
    HWND target;
    int id;
    UINT modifiers, key;
};

// The stand-in registration of a hotkey while a synthesized chord holds a
// modifier down (see sendKeyChord); a press it catches is the hotkey's own.
constexpr int kHeldModifierIdOffset = 8192;  // ids stay below 0xC000

struct HookedWindow {
    HWND window;
    WNDPROC original;
};

std::vector<HotkeyRoute>& hotkeyRoutes() {
    static std::vector<HotkeyRoute> routes;
    return routes;
}

std::vector<HookedWindow>& hookedWindows() {
    static std::vector<HookedWindow> windows;
    return windows;
}

LRESULT CALLBACK hotkeyHookProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    WNDPROC original = nullptr;
    for (const HookedWindow& w : hookedWindows())
        if (w.window == hwnd) original = w.original;
    if (msg == WM_HOTKEY) {
        for (const HotkeyRoute& r : hotkeyRoutes()) {
            if (r.window != hwnd) continue;
            if (r.id == static_cast<int>(wp) || r.id + kHeldModifierIdOffset == static_cast<int>(wp))
                SendMessageA(r.target, kHotkeyRelayMessage, r.id, 0);
        }
    }
    return original ? CallWindowProcA(original, hwnd, msg, wp, lp) : DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

int registerGlobalHotkey(HWND window, HWND target, UINT modifiers, UINT key) {
    static int nextId = 33001;
    const int id = nextId++;
    if (!RegisterHotKey(window, id, modifiers, key)) return 0;
    bool hooked = false;
    for (const HookedWindow& w : hookedWindows()) hooked |= w.window == window;
    if (!hooked) {
        const auto original = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&hotkeyHookProc)));
        hookedWindows().push_back({window, original});
    }
    hotkeyRoutes().push_back({window, target, id, modifiers, key});
    return id;
}

namespace {

UINT modifierFlag(BYTE vk) {
    switch (vk) {
        case VK_CONTROL: return MOD_CONTROL;
        case VK_SHIFT: return MOD_SHIFT;
        case VK_MENU: return MOD_ALT;
        default: return 0;
    }
}

}  // namespace

void sendKeyChord(BYTE key, BYTE second) {
    // One call for the whole chord: Windows then lets no other input in
    // between, so a key the user presses meanwhile (the hotkey again) is not
    // taken together with the synthesized modifier. Wine queues the events of
    // one call one by one, so there a press can still land while the
    // modifier is down: for that moment the hotkeys without modifiers are
    // also registered with it, and such a press counts as the press it is
    // (not a hotkey on a key of the chord itself: that would catch the chord).
    std::vector<const HotkeyRoute*> standIns;
    if (const UINT held = modifierFlag(key)) {
        for (const HotkeyRoute& r : hotkeyRoutes())
            if (r.modifiers == 0 && r.key != key && r.key != second &&
                RegisterHotKey(r.window, r.id + kHeldModifierIdOffset, held, r.key))
                standIns.push_back(&r);
    }
    INPUT keys[4] = {};
    UINT n = 0;
    auto add = [&](BYTE vk, DWORD flags) {
        keys[n].type = INPUT_KEYBOARD;
        keys[n].ki.wVk = vk;
        keys[n].ki.dwFlags = flags;
        ++n;
    };
    add(key, 0);
    if (second) add(second, 0);
    add(key, KEYEVENTF_KEYUP);
    if (second) add(second, KEYEVENTF_KEYUP);
    SendInput(n, keys, sizeof(INPUT));
    for (const HotkeyRoute* r : standIns) UnregisterHotKey(r->window, r->id + kHeldModifierIdOffset);
}

namespace {

// Dispatches the waiting messages within the given ranges of message numbers,
// oldest first within each range, until only WM_QUIT or nothing is left.
void dispatchWaiting(std::initializer_list<std::pair<UINT, UINT>> ranges) {
    MSG msg;
    for (;;) {
        bool dispatched = false;
        for (const auto& [first, last] : ranges) {
            if (!PeekMessageA(&msg, nullptr, first, last, PM_NOREMOVE) || msg.message == WM_QUIT) continue;
            if (!PeekMessageA(&msg, nullptr, first, last, PM_REMOVE)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            dispatched = true;
            break;
        }
        if (!dispatched) return;
    }
}

}  // namespace

void processPendingEvents() { dispatchWaiting({{0, 0}}); }

void processPendingEventsHoldingHotkeys() { dispatchWaiting({{0, WM_HOTKEY - 1}, {WM_HOTKEY + 1, 0xFFFFFFFF}}); }

void showPopupMenu(HWND window, HMENU menu) {
    POINT pt{};
    GetCursorPos(&pt);
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, pt.x + 3, pt.y + 3, 0, window, nullptr);
}

std::string getSpecialFolder(int kind) {
    if (kind != 1) return "";
    char path[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(nullptr, path, CSIDL_PERSONAL, FALSE)) return "";
    std::string result = path;
    if (result.empty() || result.back() != '\\') result += '\\';
    return result;
}

void ensureDirectory(std::string path) {
    if (path.empty() || path.back() != '\\') path += '\\';
    bound::bound_MakeSureDirectoryPathExists()(path.c_str());
}

std::string readWholeFile(const std::string& path) {
    ScopedHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return "";
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
        static_cast<unsigned long long>(size.QuadPart) > std::string().max_size())
        return "";
    try {
        std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
        size_t done = 0;
        while (done < bytes.size()) {
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
            DWORD got = 0;
            if (!ReadFile(file.get(), &bytes[done], chunk, &got, nullptr)) return "";
            if (got == 0) break;
            done += got;
        }
        bytes.resize(done);
        return bytes;
    } catch (const std::bad_alloc&) {
        return "";
    }
}

bool writeWholeFile(const std::string& path, std::string_view bytes) {
    ScopedHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    if (!file.valid()) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
        DWORD put = 0;
        if (!WriteFile(file.get(), bytes.data() + done, chunk, &put, nullptr) || put == 0) return false;
        done += put;
    }
    return true;
}

bool fileExists(const std::string& path) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    return true;
}

bool runProgram(const std::string& commandLine, bool wait, int showMode) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = static_cast<WORD>(showMode);
    PROCESS_INFORMATION pi{};
    std::string cmd = commandLine;  // CreateProcessA may write into it
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    ScopedHandle process(pi.hProcess), thread(pi.hThread);
    if (wait)
        WaitForSingleObject(process.get(), INFINITE);
    else
        WaitForInputIdle(process.get(), 1000);
    return true;
}

void shellOpen(const std::string& fileOrUrl) {
    ShellExecuteA(nullptr, "open", fileOrUrl.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
