#include "win/dpi.h"

namespace win {

namespace {

template <typename Fn>
Fn User32(const char* name) {
    HMODULE user32 = ::GetModuleHandleA("user32.dll");
    return user32 != nullptr ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(user32, name)))
                             : nullptr;
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForSystemFn = UINT(WINAPI*)();
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

int ScreenDpi() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSY) : kBaseDpi;
    if (screen != nullptr) ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kBaseDpi;
}

} // namespace

int SystemDpi() {
    static const GetDpiForSystemFn fn = User32<GetDpiForSystemFn>("GetDpiForSystem");
    const int dpi = fn != nullptr ? static_cast<int>(fn()) : 0;
    return dpi > 0 ? dpi : ScreenDpi();
}

int DpiOf(HWND wnd) {
    static const GetDpiForWindowFn fn = User32<GetDpiForWindowFn>("GetDpiForWindow");
    const int dpi = fn != nullptr && wnd != nullptr ? static_cast<int>(fn(wnd)) : 0;
    return dpi > 0 ? dpi : SystemDpi();
}

int DpiAt(POINT pt) {
    // shcore.dll comes with Windows 8.1; a host that is not per-monitor aware
    // is told the system DPI by it anyway.
    static const GetDpiForMonitorFn fn = [] {
        HMODULE shcore = ::LoadLibraryA("shcore.dll");
        return shcore != nullptr ? reinterpret_cast<GetDpiForMonitorFn>(
                                       reinterpret_cast<void*>(::GetProcAddress(shcore, "GetDpiForMonitor")))
                                 : nullptr;
    }();
    UINT x = 0, y = 0;
    if (fn != nullptr &&
        fn(::MonitorFromPoint(pt, MONITOR_DEFAULTTONEAREST), 0 /*MDT_EFFECTIVE_DPI*/, &x, &y) == S_OK &&
        y > 0)
        return static_cast<int>(y);
    return SystemDpi();
}

int MetricForDpi(int index, int dpi) {
    static const GetSystemMetricsForDpiFn fn = User32<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    if (fn != nullptr) return fn(index, static_cast<UINT>(dpi));
    return ::MulDiv(::GetSystemMetrics(index), dpi, SystemDpi());
}

} // namespace win
