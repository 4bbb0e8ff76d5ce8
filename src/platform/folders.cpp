#include "platform/folders.h"

#include "platform/win.h"

#include <shlobj.h>

#include "platform/bound.h"

std::string getSpecialFolder(int kind) {
    if (kind != 1) return "";
    char path[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(nullptr, path, CSIDL_PERSONAL, FALSE)) return "";
    std::string result = path;
    if (result.empty() || result.back() != '\\') result += '\\';
    return result;
}

void ensureDirectory(std::string path) {
    if (path.empty() || path.back() != '\\') path += '\\';
    bound::bound_MakeSureDirectoryPathExists()(path.c_str());
}

std::string programFile() {
    char path[MAX_PATH * 4] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    return std::string(path, n < sizeof path ? n : 0);
}

std::string programFolder() {
    const std::string file = programFile();
    const size_t slash = file.find_last_of('\\');
    return slash == std::string::npos ? "" : file.substr(0, slash);
}
