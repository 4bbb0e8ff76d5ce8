// Small owners for Win32 handles and resources.
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

// OLE for the thread, undone only if it was done.
class ScopedOle {
public:
    ScopedOle() : ok_(SUCCEEDED(OleInitialize(nullptr))) {}
    ~ScopedOle() {
        if (ok_) OleUninitialize();
    }
    ScopedOle(const ScopedOle&) = delete;
    ScopedOle& operator=(const ScopedOle&) = delete;

private:
    bool ok_;
};
