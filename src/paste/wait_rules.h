// Arithmetic behind the paste wait.
#pragma once
#include <cstdint>

// The unit of a wait's amount. Any other code is itself the multiplier (in
// milliseconds), as callers of the wait have always been able to pass.
enum class WaitUnit : int32_t { Milliseconds = 0, Seconds = 1, Minutes = 2, Hours = 3 };

// Due time for SetWaitableTimer in 100 ns units, negative meaning relative:
// amount x multiplier x -10000. Values that do not fit are clamped.
int64_t waitDueTime(int32_t amount, WaitUnit unit);
