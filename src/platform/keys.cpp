#include "platform/keys.h"

#include "platform/hotkey.h"

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
    // modifier is down: the stand-ins catch it as the press it is.
    const UINT held = modifierFlag(key);
    HotkeyStandIns standIns(held, key, second);
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
}
