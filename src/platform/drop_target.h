// A drop target without a window of its own: registered on a window, it hands
// the dropped files' paths to its file event as one text.
#pragma once
#include <functional>
#include <string>

#include "platform/win.h"

class FileDropTarget;

struct DropTargetObject {
    // One path; several files give all paths, each followed by CR LF.
    std::function<void(const std::string&)> onFile;
    FileDropTarget* target = nullptr;  // set once registered
};

// RegisterDragDrop on window; an object is registered at most once, and a
// second call reports failure without doing anything.
bool registerDropTarget(DropTargetObject& object, HWND window);

// The text a drop delivers for the given paths.
std::string droppedPathsText(const std::string* paths, size_t count);
