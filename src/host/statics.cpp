// The library's long-lived objects, defined in one translation unit so that
// they are constructed in this order at load and destroyed in the reverse
// order at unload: the module object goes first and, with the window, saves
// everything while the categories still exist.
#include <windows.h>

#include "host/module.h"

// The linker's symbol for this DLL's own image: its instance handle, valid
// before any constructor runs.
extern "C" IMAGE_DOS_HEADER __ImageBase;

// 1. Alert message class registration, 2. the two categories, 3. the module,
// 4. the other two message classes: all three classes are known before any
// file is read.
static CMsgCenterModule g_module;

namespace nuntio {
HINSTANCE ModuleInstance() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }
CMsgCenterModule& Module() { return g_module; }
} // namespace nuntio

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) ::DisableThreadLibraryCalls(instance);
    return TRUE;
}
