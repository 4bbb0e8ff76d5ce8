#include "platform/bound.h"

#include <string>

void* bindByName(const char* dll, const char* function) {
    HMODULE module = GetModuleHandleA(dll);
    if (!module) module = LoadLibraryA(dll);  // kept loaded for the life of the process
    FARPROC proc = module ? GetProcAddress(module, function) : nullptr;
    if (!proc)
        fatalStartupError(std::string("无法从 ") + dll + " 载入函数 " + function + "，程序无法继续运行，即将退出。");
    return reinterpret_cast<void*>(proc);
}

void fatalStartupError(const std::string& text) {
    MessageBoxA(nullptr, text.c_str(), "Vorpa.Nexlune", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
    ExitProcess(1);
}
