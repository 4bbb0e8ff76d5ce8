// Every Win32 file includes this first. The defines come from the build
// (WIN32_LEAN_AND_MEAN, NOMINMAX, _WIN32_WINNT) so that all files agree;
// the few files that need OLE or the shell include those headers themselves.
#pragma once
#include <windows.h>
#include <commctrl.h>
