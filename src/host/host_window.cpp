// Finding the host's main window: the calling thread's first top-level,
// unowned, visible window in z-order that is not one of this DLL's own.
#include <windows.h>

#include "host/module.h"

namespace {

struct Search {
    HWND found = nullptr;
};

BOOL CALLBACK Consider(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<Search*>(lp);
    if (!::IsWindowVisible(hwnd) || ::GetWindow(hwnd, GW_OWNER) != nullptr) return TRUE;
    if (reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(hwnd, GWLP_HINSTANCE)) == nuntio::ModuleInstance())
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

} // namespace

namespace nuntio {

HWND HostMainWindow() {
    Search search;
    ::EnumThreadWindows(::GetCurrentThreadId(), Consider, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace nuntio
