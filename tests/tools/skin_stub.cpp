// A skin library with SkinH_Attach only: the program must refuse to go on.
#include <windows.h>

extern "C" __declspec(dllexport) int WINAPI SkinH_Attach() { return 0; }
