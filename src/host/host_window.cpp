// The host's main window, where the requests to the host go. The one found at
// Nuntio_Init is kept while it exists, visible or not (a host minimised to the
// notification area hides it) and whatever other unowned windows the host opens
// in front of it (a floating quote window); only when it is gone is it looked
// for again.
#include <windows.h>

#include "host/module.h"
#include "win/help.h"

namespace nuntio {

namespace {

HWND g_hostWindow = nullptr;

bool IsOurs(HWND hwnd) {
    return reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(hwnd, GWLP_HINSTANCE)) == win::Instance();
}

BOOL CALLBACK Consider(HWND hwnd, LPARAM lp) {
    if (!::IsWindowVisible(hwnd) || ::GetWindow(hwnd, GW_OWNER) != nullptr || IsOurs(hwnd)) return TRUE;
    *reinterpret_cast<HWND*>(lp) = hwnd;
    return FALSE;
}

// The calling thread's first top-level, unowned, visible window in z-order
// that is not ours.
HWND FindHostWindow() {
    HWND found = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), Consider, reinterpret_cast<LPARAM>(&found));
    return found;
}

} // namespace

void TakeHostWindow() {
    // The window the host is working in when it starts us, up to its owner.
    HWND active = ::GetActiveWindow();
    if (active != nullptr) active = ::GetAncestor(active, GA_ROOTOWNER);
    g_hostWindow = active != nullptr && !IsOurs(active) ? active : FindHostWindow();
}

HWND HostMainWindow() {
    if (g_hostWindow == nullptr || !::IsWindow(g_hostWindow) || IsOurs(g_hostWindow))
        g_hostWindow = FindHostWindow();
    return g_hostWindow;
}

} // namespace nuntio
