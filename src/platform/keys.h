// Synthesized keystrokes.
#pragma once
#include "platform/win.h"

// Keys down in order, then up in the same order (virtual-key codes, scan
// code 0), as one input: Ctrl down, V down, Ctrl up, V up.
void sendKeyChord(BYTE key, BYTE second = 0);
