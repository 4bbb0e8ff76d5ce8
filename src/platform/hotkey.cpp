#include "platform/hotkey.h"

#include <vector>

#include "platform/subclass.h"

namespace {

struct HotkeyRoute {
    HWND window;
    HWND target;
    int id;
    UINT modifiers, key;
};

// A stand-in registration (HotkeyStandIns) has its hotkey's id plus this.
constexpr int kStandInIdOffset = 8192;  // ids stay below 0xC000

std::vector<HotkeyRoute>& hotkeyRoutes() {
    static std::vector<HotkeyRoute> routes;
    return routes;
}

LRESULT CALLBACK hotkeyHookProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_HOTKEY) {
        for (const HotkeyRoute& r : hotkeyRoutes()) {
            if (r.window != hwnd) continue;
            if (r.id == static_cast<int>(wp) || r.id + kStandInIdOffset == static_cast<int>(wp))
                SendMessageA(r.target, kHotkeyRelayMessage, r.id, 0);
        }
    }
    return callPreviousProc(hotkeyHookProc, hwnd, msg, wp, lp);
}

}  // namespace

int registerGlobalHotkey(HWND window, HWND target, UINT modifiers, UINT key) {
    static int nextId = 33001;
    const int id = nextId++;
    if (!RegisterHotKey(window, id, modifiers, key)) return 0;
    if (!isSubclassed(window, hotkeyHookProc)) subclassWindow(window, hotkeyHookProc);
    hotkeyRoutes().push_back({window, target, id, modifiers, key});
    return id;
}

HotkeyStandIns::HotkeyStandIns(UINT modifier, BYTE chordKey, BYTE secondKey) {
    if (modifier == 0) return;
    for (const HotkeyRoute& r : hotkeyRoutes()) {
        if (count_ == static_cast<int>(sizeof registered_ / sizeof registered_[0])) break;
        if (r.modifiers != 0 || r.key == chordKey || r.key == secondKey) continue;
        if (RegisterHotKey(r.window, r.id + kStandInIdOffset, modifier, r.key))
            registered_[count_++] = {r.window, r.id + kStandInIdOffset};
    }
}

HotkeyStandIns::~HotkeyStandIns() {
    for (int i = 0; i < count_; ++i) UnregisterHotKey(registered_[i].window, registered_[i].id);
}
