// Dispatching the program's messages while it waits.
#pragma once
#include <cstdint>
#include <functional>

#include "platform/win.h"

// Dispatches every waiting message other than WM_QUIT.
void processPendingEvents();
// As processPendingEvents, but hotkey presses (WM_HOTKEY) stay queued.
void processPendingEventsHoldingHotkeys();

enum class Hotkeys { Dispatched, Held };

// Sleeps on a waitable timer due at the given time (100 ns units, negative
// meaning relative) and dispatches every message that arrives meanwhile,
// until the timer is due or keepWaiting() turns false. Held hotkey presses
// stay queued for a later wait. False when the timer could not be used.
bool pumpMessagesOnTimer(int64_t due, const std::function<bool()>& keepWaiting, Hotkeys hotkeys);

// Sleeps up to ms, answering only messages that other threads send to this
// thread's windows meanwhile (a program waiting for an answer); posted input
// such as a hotkey press waits for the message loop.
void serveSentMessages(uint32_t ms);
