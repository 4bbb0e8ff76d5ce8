#include "platform/processes.h"

#include "platform/win.h"

#include <shellapi.h>

#include "platform/scoped.h"

bool runProgram(const std::string& commandLine, bool wait, int showMode) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = static_cast<WORD>(showMode);
    PROCESS_INFORMATION pi{};
    std::string cmd = commandLine;  // CreateProcessA may write into it
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    ScopedHandle process(pi.hProcess), thread(pi.hThread);
    if (wait)
        WaitForSingleObject(process.get(), INFINITE);
    else
        WaitForInputIdle(process.get(), 1000);
    return true;
}

void shellOpen(const std::string& fileOrUrl) {
    ShellExecuteA(nullptr, "open", fileOrUrl.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
