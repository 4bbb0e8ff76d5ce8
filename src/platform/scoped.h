// Small owners for Win32 handles and resources. Header-only: the skin
// library uses them too.
#pragma once
#include "platform/win.h"

class ScopedHandle {
public:
    explicit ScopedHandle(HANDLE h = nullptr) : h_(h) {}
    ~ScopedHandle() { reset(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
    void reset(HANDLE h = nullptr) {
        if (valid()) CloseHandle(h_);
        h_ = h;
    }

private:
    HANDLE h_;
};

// A movable global memory block, freed unless ownership is handed on
// (to the clipboard) with release().
class ScopedGlobal {
public:
    explicit ScopedGlobal(HGLOBAL h) : h_(h) {}
    ~ScopedGlobal() {
        if (h_) GlobalFree(h_);
    }
    ScopedGlobal(const ScopedGlobal&) = delete;
    ScopedGlobal& operator=(const ScopedGlobal&) = delete;
    HGLOBAL get() const { return h_; }
    HGLOBAL release() {
        HGLOBAL h = h_;
        h_ = nullptr;
        return h;
    }

private:
    HGLOBAL h_;
};

// A hook of this thread, removed at the end of the scope unless it has been
// removed already (release() tells the owner it is gone).
class ScopedHook {
public:
    ScopedHook(int type, HOOKPROC proc) : h_(SetWindowsHookExA(type, proc, nullptr, GetCurrentThreadId())) {}
    ~ScopedHook() { remove(); }
    ScopedHook(const ScopedHook&) = delete;
    ScopedHook& operator=(const ScopedHook&) = delete;
    HHOOK get() const { return h_; }
    void remove() {
        if (h_) UnhookWindowsHookEx(h_);
        h_ = nullptr;
    }

private:
    HHOOK h_;
};

// A GDI object this code created (a brush, a pen), deleted at the end.
class ScopedGdiObject {
public:
    explicit ScopedGdiObject(HGDIOBJ h) : h_(h) {}
    ~ScopedGdiObject() {
        if (h_) DeleteObject(h_);
    }
    ScopedGdiObject(const ScopedGdiObject&) = delete;
    ScopedGdiObject& operator=(const ScopedGdiObject&) = delete;
    HGDIOBJ get() const { return h_; }
    HBRUSH brush() const { return static_cast<HBRUSH>(h_); }

private:
    HGDIOBJ h_;
};

// An object selected into a device context, and the old one put back.
class ScopedSelectObject {
public:
    ScopedSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~ScopedSelectObject() { SelectObject(dc_, old_); }
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// BeginPaint and EndPaint.
class ScopedPaint {
public:
    explicit ScopedPaint(HWND window) : window_(window), dc_(BeginPaint(window, &ps_)) {}
    ~ScopedPaint() { EndPaint(window_, &ps_); }
    ScopedPaint(const ScopedPaint&) = delete;
    ScopedPaint& operator=(const ScopedPaint&) = delete;
    HDC dc() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT ps_;
    HDC dc_;
};
