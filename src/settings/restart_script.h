// The batch script that starts the program again after it has ended itself.
#pragma once
#include <string>

constexpr const char* kRestartScriptName = "Restart.bat";
constexpr int kRestartPauseCount = 2;  // ping count: about one second

// The four lines of the script for the given program path (GBK).
std::string restartScriptText(const std::string& programPath, int pauseCount = kRestartPauseCount);

// Text as cmd must read it inside a batch file to mean text itself: cmd
// expands % even between double quotes, so each % is doubled.
std::string batchLiteral(const std::string& text);
