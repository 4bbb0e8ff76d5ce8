// Every Win32 file includes this first. The defines come from the build
// (WIN32_LEAN_AND_MEAN, NOMINMAX, _WIN32_WINNT) so that all files agree.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>
