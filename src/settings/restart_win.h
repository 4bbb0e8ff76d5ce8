// Replacing the running program with a fresh one through Restart.bat.
#pragma once

// Does not return when the restart goes ahead; returns when the program file
// is missing, and the program goes on.
void restartProgram();
