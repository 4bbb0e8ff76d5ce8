// Arithmetic behind the paste wait.
#pragma once
#include <cstdint>

// Due time for SetWaitableTimer in 100 ns units, negative meaning relative:
// amount x multiplier x -10000, where unit 0..3 is ms, s, min, h and any other
// unit code is itself the multiplier. Values that do not fit are clamped.
int64_t waitDueTime(int32_t amount, int32_t unit);
