// Window procedures put in front of a window's own: each remembers the one
// it replaced and passes messages on to it. One table per module rather than
// window properties: under Wine a property lookup is a server round trip on
// every message. Header-only, so that the skin library has its own table.
#pragma once
#include <cstdint>
#include <functional>
#include <unordered_map>

#include "platform/win.h"

namespace subclass_detail {

struct Key {
    HWND window;
    WNDPROC proc;
    bool operator==(const Key& o) const { return window == o.window && proc == o.proc; }
};

struct KeyHash {
    size_t operator()(const Key& k) const {
        return std::hash<const void*>()(k.window) ^ (std::hash<uintptr_t>()(reinterpret_cast<uintptr_t>(k.proc)) << 1);
    }
};

inline std::unordered_map<Key, WNDPROC, KeyHash>& previousProcs() {
    static std::unordered_map<Key, WNDPROC, KeyHash> procs;
    return procs;
}

}  // namespace subclass_detail

// Makes proc the window's procedure, in front of the one it had; false when
// proc already is in front of it or the window refuses.
inline bool subclassWindow(HWND window, WNDPROC proc) {
    auto& procs = subclass_detail::previousProcs();
    if (procs.count({window, proc})) return false;
    const auto previous =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
    if (!previous) return false;
    procs[{window, proc}] = previous;
    return true;
}

inline bool isSubclassed(HWND window, WNDPROC proc) { return subclass_detail::previousProcs().count({window, proc}) > 0; }

// For proc: passes a message on to the procedure it replaced, and forgets
// the window when it goes away.
inline LRESULT callPreviousProc(WNDPROC proc, HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    auto& procs = subclass_detail::previousProcs();
    const auto it = procs.find({window, proc});
    if (it == procs.end()) return DefWindowProcA(window, msg, wp, lp);
    const WNDPROC previous = it->second;
    if (msg == WM_NCDESTROY) procs.erase(it);
    return CallWindowProcA(previous, window, msg, wp, lp);
}
