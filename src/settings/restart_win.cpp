#include "settings/restart_win.h"

#include <string>

#include "base/gbk_text.h"
#include "platform/bound.h"
#include "platform/clipboard.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/processes.h"
#include "settings/restart_script.h"

namespace {

std::string shortPath(const std::string& path) {
    char buf[MAX_PATH * 4] = {};
    const DWORD n = bound::bound_GetShortPathNameA()(path.c_str(), buf, sizeof buf);
    const std::string result = n > 0 && n < sizeof buf ? std::string(buf, n) : "";
    return gbk::trim(result).empty() ? path : result;
}

// cmd.exe by its full path: a bare name is looked for in the program's own
// folder first, where anybody who can write there could put another one.
std::string commandInterpreter() {
    char dir[MAX_PATH] = {};
    const UINT n = GetSystemDirectoryA(dir, sizeof dir);
    if (n == 0 || n >= sizeof dir) return "cmd.exe";
    return std::string(dir, n) + "\\cmd.exe";
}

}  // namespace

void restartProgram() {
    const std::string program = programFile();
    const std::string folder = programFolder();
    const std::string programPath = folder + "\\" + program.substr(program.find_last_of('\\') + 1);
    if (!fileExists(programPath)) return;

    const std::string script = folder + "\\" + kRestartScriptName;
    writeWholeFile(script, restartScriptText(shortPath(programPath)));

    // cmd would expand % signs in a path written on its command line, so the
    // script's path reaches it through a variable: Windows' cmd expands once
    // and does not look at the result again. The short form, where the volume
    // has one, also keeps cmds that expand twice (Wine's) away from a % sign.
    // /s with the outer quotes keeps the inner ones, so spaces are safe too.
    SetEnvironmentVariableA("NEXLUNE_RESTART_SCRIPT", shortPath(script).c_str());
    runProgram("\"" + commandInterpreter() + "\" /d /s /c \"\"%NEXLUNE_RESTART_SCRIPT%\"\"", false, SW_HIDE);

    // The process ends without its window going away: render the pasted text
    // now, or it leaves the clipboard with the process.
    keepClipboardAfterExit();
    if (HANDLE self = bound::bound_OpenProcess()(PROCESS_TERMINATE, FALSE, bound::bound_GetCurrentProcessId()())) {
        bound::bound_TerminateProcess()(self, 0);
        bound::bound_CloseHandle()(self);
    }
}
