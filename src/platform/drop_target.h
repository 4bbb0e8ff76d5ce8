// A drop target without a window of its own: registered on a window, it hands
// the dropped files' paths to its file event as one text.
#pragma once
#include <functional>
#include <string>

#include "platform/win.h"

#include <ole2.h>

class FileDropTarget;

struct DropTargetObject {
    // One path; several files give all paths, each followed by CR LF.
    std::function<void(const std::string&)> onFile;
    FileDropTarget* target = nullptr;  // set once registered
    HWND window = nullptr;             // the window it is registered on
};

// RegisterDragDrop on window; an object is registered at most once, and a
// second call reports failure without doing anything.
bool registerDropTarget(DropTargetObject& object, HWND window);
// RevokeDragDrop, for a window that goes away.
void revokeDropTarget(DropTargetObject& object);

// OLE for the thread (drag and drop needs it), undone only if it was done.
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

// The text a drop delivers for the given paths.
std::string droppedPathsText(const std::string* paths, size_t count);
