// The global hotkey: RegisterHotKey, with its presses relayed to a control.
#pragma once
#include "platform/win.h"

// Ids count up from 33001, one per call; 0 on failure. WM_HOTKEY for a
// registered id reaches target as kHotkeyRelayMessage (wParam = id,
// lParam = 0); window still gets WM_HOTKEY.
constexpr UINT kHotkeyRelayMessage = 0x8075;
int registerGlobalHotkey(HWND window, HWND target, UINT modifiers, UINT key);

// While it lives, every hotkey without modifiers is also registered with
// the given modifier (MOD_CONTROL, ...), and a press caught that way counts
// as the hotkey's own; hotkeys on the keys a chord sends are left alone.
// For the moment a synthesized chord holds the modifier down.
class HotkeyStandIns {
public:
    HotkeyStandIns(UINT modifier, BYTE chordKey, BYTE secondKey);
    ~HotkeyStandIns();
    HotkeyStandIns(const HotkeyStandIns&) = delete;
    HotkeyStandIns& operator=(const HotkeyStandIns&) = delete;

private:
    struct Registered {
        HWND window;
        int id;
    };
    Registered registered_[8] = {};
    int count_ = 0;
};
