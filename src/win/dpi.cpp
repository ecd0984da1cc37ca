#include "win/dpi.h"

#include <commctrl.h>

#include <map>
#include <memory>
#include <vector>

#include "win/handles.h"

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

constexpr const char* kDpiProp = "NuntioDpi";

void NoteDpi(HWND top, int dpi) {
    if (top == nullptr) return;
    if (dpi > 0)
        ::SetPropA(top, kDpiProp, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(dpi)));
    else
        ::RemovePropA(top, kDpiProp);
}

int DpiOf(HWND wnd) {
    if (wnd != nullptr) {
        HWND top = ::GetAncestor(wnd, GA_ROOT);
        const auto noted = reinterpret_cast<INT_PTR>(::GetPropA(top != nullptr ? top : wnd, kDpiProp));
        if (noted > 0) return static_cast<int>(noted);
    }
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

namespace {

constexpr UINT_PTR kFollowId = 0x4E44; // the subclass of FollowDpiChanges

struct Followed {
    int dpi;
    std::vector<UniqueFont> fonts; // made for the DPIs the window went through
};

void RescaleChildren(HWND parent, int from, int to, std::map<HFONT, HFONT>& remade, Followed& state) {
    for (HWND child = ::GetWindow(parent, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT rc{};
        ::GetWindowRect(child, &rc);
        int height = rc.bottom - rc.top;
        char cls[16] = {};
        ::GetClassNameA(child, cls, sizeof cls);
        RECT dropped{};
        // A combo box's height is that of its open list.
        if (::lstrcmpiA(cls, "ComboBox") == 0 &&
            ::SendMessageA(child, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped)) &&
            dropped.bottom > rc.top)
            height = dropped.bottom - dropped.top;
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
        ::SetWindowPos(child, nullptr, ::MulDiv(rc.left, to, from), ::MulDiv(rc.top, to, from),
                       ::MulDiv(rc.right - rc.left, to, from), ::MulDiv(height, to, from),
                       SWP_NOZORDER | SWP_NOACTIVATE);
        HFONT font = reinterpret_cast<HFONT>(::SendMessageA(child, WM_GETFONT, 0, 0));
        if (font != nullptr) {
            auto it = remade.find(font);
            if (it == remade.end()) {
                LOGFONTA lf{};
                HFONT made = nullptr;
                if (::GetObjectA(font, sizeof lf, &lf) == sizeof lf) {
                    lf.lfHeight = ::MulDiv(lf.lfHeight, to, from);
                    UniqueFont owned(::CreateFontIndirectA(&lf));
                    made = owned.Get();
                    if (owned) state.fonts.push_back(std::move(owned));
                }
                it = remade.emplace(font, made).first;
            }
            if (it->second != nullptr)
                ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(it->second), TRUE);
        }
        // A report list's columns are pixels too.
        if (::lstrcmpiA(cls, WC_LISTVIEWA) == 0) {
            HWND header = reinterpret_cast<HWND>(::SendMessageA(child, LVM_GETHEADER, 0, 0));
            const int columns =
                header != nullptr ? static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
            for (int i = 0; i < columns; ++i) {
                const int width =
                    static_cast<int>(::SendMessageA(child, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(i), 0));
                ::SendMessageA(child, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(i),
                               MAKELPARAM(::MulDiv(width, to, from), 0));
            }
        }
        RescaleChildren(child, from, to, remade, state);
    }
}

LRESULT CALLBACK FollowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data) noexcept {
    auto* state = reinterpret_cast<Followed*>(data);
    try {
        if (msg == WM_DPICHANGED && state != nullptr) {
            const int to = HIWORD(wp);
            if (to > 0 && to != state->dpi) {
                std::map<HFONT, HFONT> remade;
                RescaleChildren(hwnd, state->dpi, to, remade, *state);
                state->dpi = to;
                NoteDpi(hwnd, to);
            }
            if (const auto* rc = reinterpret_cast<const RECT*>(lp))
                ::SetWindowPos(hwnd, nullptr, rc->left, rc->top, rc->right - rc->left, rc->bottom - rc->top,
                               SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        if (msg == WM_NCDESTROY) {
            ::RemoveWindowSubclass(hwnd, &FollowProc, id);
            NoteDpi(hwnd, 0);
            const LRESULT r = ::DefSubclassProc(hwnd, msg, wp, lp);
            delete state; // after the children, which may still hold the fonts
            return r;
        }
    } catch (...) {
        return 0;
    }
    return ::DefSubclassProc(hwnd, msg, wp, lp);
}

} // namespace

void TakeOverDpiChanges(HWND dialog) {
    // Windows 10 scales a dialog of a per-monitor (v2) host itself; the
    // library does it instead, the same way everywhere.
    using SetBehaviorFn = BOOL(WINAPI*)(HWND, int, int);
    static const SetBehaviorFn setBehavior = User32<SetBehaviorFn>("SetDialogDpiChangeBehavior");
    if (setBehavior != nullptr && dialog != nullptr) setBehavior(dialog, 1 /*DDC_DISABLE_ALL*/, 1);
}

void FollowDpiChanges(HWND top) {
    if (top == nullptr) return;
    TakeOverDpiChanges(top);
    auto state = std::make_unique<Followed>();
    state->dpi = DpiOf(top);
    if (::SetWindowSubclass(top, &FollowProc, kFollowId, reinterpret_cast<DWORD_PTR>(state.get())))
        state.release();
}

} // namespace win
