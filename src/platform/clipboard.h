// The clipboard as the paste uses it. One text at a time is offered, owned by
// a window of this program, and its text formats are rendered only when a
// program asks for them (delayed rendering): that tells who read the text.
#pragma once
#include <functional>
#include <string_view>

#include "platform/win.h"

// Told to whoever watches the offered text.
struct ClipboardWatch {
    std::function<void(DWORD readerProcess)> read;  // a program read one of its text formats (0: unknown reader)
    std::function<void()> replaced;                 // another program emptied the clipboard
};
void watchClipboardOffer(ClipboardWatch watch);

// Empties the clipboard and offers text: CF_TEXT (the bytes as given, in the
// ANSI code page), CF_UNICODETEXT and CF_LOCALE, marked so that clipboard
// history and well-behaved monitors leave it alone. Waits up to half a second
// for a clipboard that another program holds open. False, with the clipboard
// as it was, when it stays busy or memory is short.
bool offerClipboardText(HWND owner, std::string_view text);

// For the owner window's procedure: WM_RENDERFORMAT, WM_RENDERALLFORMATS and
// WM_DESTROYCLIPBOARD. True when msg was one of them.
bool handleClipboardOwnerMessage(UINT msg, WPARAM wp);

// Renders every format still missing, so that the offered text stays on the
// clipboard after this program has ended.
void keepClipboardAfterExit();
