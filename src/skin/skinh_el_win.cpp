// SkinH_EL.dll: draws a thread's windows in the colours of a skin.
//   SkinH_Attach()      every window the calling thread creates from now on
//                       is skinned as soon as a skin is set;
//   SkinH_AttachRes()   parses a skin and applies it to the thread's
//                       existing windows and to later ones.
#include "platform/win.h"

#include <optional>
#include <string>

#include "platform/scoped.h"
#include "platform/subclass.h"
#include "platform/window.h"
#include "skin/skin_format.h"

namespace {

struct SkinState {
    std::optional<Skin> skin;
    HBRUSH brushes[kSkinRoles] = {};
    HHOOK creationHook = nullptr;
} g;

COLORREF colour(SkinRole role) { return g.skin->operator[](role).colorref(); }
HBRUSH brush(SkinRole role) { return g.brushes[static_cast<size_t>(role)]; }

std::string className(HWND w) {
    char cls[64] = {};
    GetClassNameA(w, cls, sizeof cls);
    return cls;
}

bool isTopLevel(HWND w) { return !(GetWindowLongPtrA(w, GWL_STYLE) & WS_CHILD); }

LONG buttonType(HWND w) { return static_cast<LONG>(GetWindowLongPtrA(w, GWL_STYLE) & BS_TYPEMASK); }

void colourListView(HWND list) {
    SendMessageA(list, LVM_SETBKCOLOR, 0, colour(SkinRole::ListBack));
    SendMessageA(list, LVM_SETTEXTBKCOLOR, 0, colour(SkinRole::ListBack));
    SendMessageA(list, LVM_SETTEXTCOLOR, 0, colour(SkinRole::ListText));
}

void paintPushButton(HWND w) {
    ScopedPaint paint(w);
    const HDC dc = paint.dc();
    RECT rc;
    GetClientRect(w, &rc);
    const LRESULT state = SendMessageA(w, BM_GETSTATE, 0, 0);
    const bool pressed = state & BST_PUSHED;
    const bool focused = GetFocus() == w;
    FillRect(dc, &rc, brush(pressed ? SkinRole::Accent : SkinRole::ButtonFace));
    const ScopedGdiObject frame(CreateSolidBrush(colour(focused ? SkinRole::Accent : SkinRole::Frame)));
    FrameRect(dc, &rc, frame.brush());
    if (focused) {
        RECT inner = rc;
        InflateRect(&inner, -1, -1);
        FrameRect(dc, &inner, frame.brush());
    }
    const ScopedSelectObject font(dc, reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour(SkinRole::ButtonText));
    const std::string text = windowText(w);
    DrawTextA(dc, text.c_str(), -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void paintGroupBox(HWND w) {
    ScopedPaint paint(w);
    const HDC dc = paint.dc();
    RECT rc;
    GetClientRect(w, &rc);
    const ScopedSelectObject font(dc, reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0)));
    const std::string text = windowText(w);
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    // Only the frame and the caption: the inside shows the parent's
    // background and the controls placed on it.
    RECT frame = rc;
    frame.top += size.cy / 2;
    const ScopedGdiObject line(CreateSolidBrush(colour(SkinRole::Frame)));
    FrameRect(dc, &frame, line.brush());
    // The caption's place, drawn for 96 DPI, grows with the screen's DPI.
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    const int left = MulDiv(8, dpi, 96), pad = MulDiv(2, dpi, 96);
    RECT caption{left, 0, left + size.cx + 2 * pad, size.cy};
    FillRect(dc, &caption, brush(SkinRole::WindowBack));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour(SkinRole::Text));
    TextOutA(dc, left + pad, 0, text.c_str(), static_cast<int>(text.size()));
}

// The answer to a WM_CTLCOLOR* message: a control's text and background.
LRESULT controlColours(HDC dc, SkinRole text, SkinRole back) {
    SetTextColor(dc, colour(text));
    SetBkColor(dc, colour(back));
    return reinterpret_cast<LRESULT>(brush(back));
}

LRESULT CALLBACK skinProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (!g.skin) return callPreviousProc(skinProc, w, msg, wp, lp);
    switch (msg) {
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
            return controlColours(reinterpret_cast<HDC>(wp), SkinRole::Text, SkinRole::WindowBack);
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
            return controlColours(reinterpret_cast<HDC>(wp), SkinRole::EditText, SkinRole::EditBack);
        case WM_ERASEBKGND:
            if (isTopLevel(w)) {
                RECT rc;
                GetClientRect(w, &rc);
                FillRect(reinterpret_cast<HDC>(wp), &rc, brush(SkinRole::WindowBack));
                return 1;
            }
            break;
        case WM_PAINT:
            if (className(w) == "Button") {
                const LONG type = buttonType(w);
                if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
                    paintPushButton(w);
                    return 0;
                }
                if (type == BS_GROUPBOX) {
                    paintGroupBox(w);
                    return 0;
                }
            }
            break;
        case BM_SETSTATE:
        case BM_SETSTYLE:
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_ENABLE:
        case WM_SETTEXT:
            // The button draws itself directly on these; draw it again our way.
            if (className(w) == "Button") {
                const LRESULT r = callPreviousProc(skinProc, w, msg, wp, lp);
                InvalidateRect(w, nullptr, TRUE);
                return r;
            }
            break;
        case WM_PARENTNOTIFY:  // a list-view created later takes the skin's colours
            if (LOWORD(wp) == WM_CREATE && className(reinterpret_cast<HWND>(lp)) == WC_LISTVIEWA)
                colourListView(reinterpret_cast<HWND>(lp));
            break;
        default:
            break;
    }
    return callPreviousProc(skinProc, w, msg, wp, lp);
}

bool isListControl(HWND w) {
    const std::string cls = className(w);
    return cls == WC_LISTVIEWA || cls == WC_HEADERA;
}

// List-views take their colours by message and need no procedure of ours.
void skinWindow(HWND w) {
    if (!isListControl(w)) subclassWindow(w, skinProc);
}

void applyToExisting(HWND w) {
    skinWindow(w);
    if (className(w) == WC_LISTVIEWA) colourListView(w);
    InvalidateRect(w, nullptr, TRUE);
}

BOOL CALLBACK applyToChild(HWND w, LPARAM) {
    applyToExisting(w);
    return TRUE;
}

BOOL CALLBACK applyToTopLevel(HWND w, LPARAM) {
    applyToExisting(w);
    EnumChildWindows(w, applyToChild, 0);
    RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    return TRUE;
}

LRESULT CALLBACK onCreation(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_CREATEWND) skinWindow(reinterpret_cast<HWND>(wp));
    return CallNextHookEx(g.creationHook, code, wp, lp);
}

}  // namespace

extern "C" __declspec(dllexport) int WINAPI SkinH_Attach() {
    if (!g.creationHook)
        g.creationHook = SetWindowsHookExA(WH_CBT, onCreation, nullptr, GetCurrentThreadId());
    return g.creationHook ? 0 : -1;
}

// The password and the three numbers are accepted and not used.
extern "C" __declspec(dllexport) int WINAPI SkinH_AttachRes(const unsigned char* data, int size, const char*, int,
                                                            int, int) {
    if (!data || size <= 0) return -1;
    std::optional<Skin> skin = parseSkin(data, static_cast<size_t>(size));
    if (!skin) return -1;  // refused: whatever was set stays
    for (HBRUSH& b : g.brushes)
        if (b) DeleteObject(b);
    g.skin = skin;
    for (size_t role = 0; role < kSkinRoles; ++role)
        g.brushes[role] = CreateSolidBrush(skin->colours[role].colorref());
    EnumThreadWindows(GetCurrentThreadId(), applyToTopLevel, 0);
    return 0;
}
