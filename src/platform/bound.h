// Functions that the program binds by name from their DLL on first use.
// Each accessor resolves its function once and caches it; a function that
// cannot be bound ends the program with a message naming DLL and function.
#pragma once
#include "platform/win.h"

#include <string>

void* bindByName(const char* dll, const char* function);

// Tells the user why the program cannot go on, then ends it.
[[noreturn]] void fatalStartupError(const std::string& text);

#define NX_BOUND_AS(dll, name, type)                                                     \
    inline type bound_##name() {                                                         \
        static const type fn = reinterpret_cast<type>(bindByName(dll, #name));           \
        return fn;                                                                       \
    }
#define NX_BOUND(dll, name) NX_BOUND_AS(dll, name, decltype(&::name))

namespace bound {

// Text conversion.
NX_BOUND("kernel32.dll", MultiByteToWideChar)
NX_BOUND("kernel32.dll", WideCharToMultiByte)

// Clipboard block and the paste wait.
NX_BOUND("kernel32.dll", GlobalAlloc)
NX_BOUND("kernel32.dll", GlobalLock)
NX_BOUND("kernel32.dll", GlobalUnlock)
using RtlMoveMemoryFn = void(WINAPI*)(void*, const void*, SIZE_T);
NX_BOUND_AS("kernel32.dll", RtlMoveMemory, RtlMoveMemoryFn)
NX_BOUND("kernel32.dll", CreateWaitableTimerA)
NX_BOUND("kernel32.dll", SetWaitableTimer)
NX_BOUND("kernel32.dll", CloseHandle)
NX_BOUND("user32.dll", OpenClipboard)
NX_BOUND("user32.dll", EmptyClipboard)
NX_BOUND("user32.dll", SetClipboardData)
NX_BOUND("user32.dll", CloseClipboard)
NX_BOUND("user32.dll", GetForegroundWindow)
NX_BOUND("user32.dll", MsgWaitForMultipleObjects)

// Restart and the timed message box.
NX_BOUND("kernel32.dll", GetCurrentProcessId)
NX_BOUND("kernel32.dll", GetShortPathNameA)
NX_BOUND("kernel32.dll", OpenProcess)
NX_BOUND("kernel32.dll", TerminateProcess)
using MessageBoxTimeoutAFn = int(WINAPI*)(HWND, LPCSTR, LPCSTR, UINT, WORD, DWORD);
NX_BOUND_AS("user32.dll", MessageBoxTimeoutA, MessageBoxTimeoutAFn)
NX_BOUND("user32.dll", FindWindowExA)
NX_BOUND("user32.dll", IsWindow)
NX_BOUND("user32.dll", IsWindowVisible)
NX_BOUND("user32.dll", GetWindowThreadProcessId)

// Layered windows.
NX_BOUND("user32.dll", SetWindowLongA)
NX_BOUND("user32.dll", SetLayeredWindowAttributes)

// Folder creation.
using MakeSureDirectoryPathExistsFn = BOOL(WINAPI*)(PCSTR);
NX_BOUND_AS("dbghelp.dll", MakeSureDirectoryPathExists, MakeSureDirectoryPathExistsFn)

}  // namespace bound
