// Work off the window's thread.
#pragma once
#include <functional>

// Runs work on a thread of its own, which ends with it; false when no thread
// could be started (the work has then not run). Exceptions end in the thread.
bool runInBackground(std::function<void()> work);
