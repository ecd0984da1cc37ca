// The thread's key hook for the modeless windows of the library.
#include "win/dialog_keys.h"

#include <algorithm>
#include <vector>

namespace win {

namespace {

std::vector<const DialogKeys*> g_attached;
HHOOK g_hook = nullptr;

// A menu runs its own loop and reads the keys itself.
bool InMenu() {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!::GetGUIThreadInfo(::GetCurrentThreadId(), &info)) return false;
    return (info.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE | GUI_SYSTEMMENUMODE)) != 0;
}

LRESULT CALLBACK KeyHook(int code, WPARAM wp, LPARAM lp) noexcept {
    try {
        if (code == HC_ACTION && wp == PM_REMOVE) {
            auto* msg = reinterpret_cast<MSG*>(lp);
            if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST && msg->hwnd != nullptr &&
                !InMenu()) {
                // A copy: a window may attach or detach while a key is routed.
                const std::vector<const DialogKeys*> attached = g_attached;
                for (const DialogKeys* keys : attached)
                    if (keys->Route(*msg)) break;
            }
        }
    } catch (...) {
        // The key goes on as it came: the host's loop must never see our failure.
    }
    return ::CallNextHookEx(g_hook, code, wp, lp);
}

bool Down(int vk) {
    return ::GetKeyState(vk) < 0;
}

// What the focused control says it takes of msg.
UINT WantsOf(HWND focus, MSG& msg) {
    if (focus == nullptr) return 0;
    return static_cast<UINT>(
        ::SendMessageA(focus, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg)));
}

} // namespace

void DialogKeys::Attach(HWND dialog, Translate translate) {
    Detach();
    m_hwnd = dialog;
    m_translate = std::move(translate);
    g_attached.push_back(this);
    if (g_hook == nullptr)
        g_hook = ::SetWindowsHookExA(WH_GETMESSAGE, KeyHook, nullptr, ::GetCurrentThreadId());
}

void DialogKeys::Detach() {
    const auto it = std::find(g_attached.begin(), g_attached.end(), this);
    if (it == g_attached.end()) return;
    g_attached.erase(it);
    m_hwnd = nullptr;
    if (g_attached.empty() && g_hook != nullptr) {
        ::UnhookWindowsHookEx(g_hook);
        g_hook = nullptr;
    }
}

bool DialogKeys::Route(MSG& msg) const {
    if (m_hwnd == nullptr || !::IsWindow(m_hwnd) || (msg.hwnd != m_hwnd && !::IsChild(m_hwnd, msg.hwnd)))
        return false;
    if (m_translate && m_translate(msg)) return true;
    if (msg.message != WM_KEYDOWN || Down(VK_CONTROL) || Down(VK_MENU)) return false;
    HWND focus = ::GetFocus();
    const UINT wants = WantsOf(focus, msg);
    if ((wants & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) != 0) return false;
    const MSG key = msg;
    switch (key.wParam) {
    case VK_TAB:
        if ((wants & DLGC_WANTTAB) != 0) return false;
        msg = {m_hwnd, WM_NEXTDLGCTL, Down(VK_SHIFT) ? 1u : 0u, 0, key.time, key.pt};
        return true;
    case VK_ESCAPE:
        msg = {m_hwnd,
               WM_COMMAND,
               MAKEWPARAM(IDCANCEL, BN_CLICKED),
               reinterpret_cast<LPARAM>(::GetDlgItem(m_hwnd, IDCANCEL)),
               key.time,
               key.pt};
        return true;
    case VK_RETURN: {
        int id = IDOK;
        if ((wants & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0) {
            id = ::GetDlgCtrlID(focus);
        } else {
            const LRESULT def = ::SendMessageA(m_hwnd, DM_GETDEFID, 0, 0);
            if (HIWORD(def) == DC_HASDEFID) id = LOWORD(def);
        }
        HWND button = ::GetDlgItem(m_hwnd, id);
        if (button != nullptr && !::IsWindowEnabled(button)) return false;
        msg = {m_hwnd,   WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button),
               key.time, key.pt};
        return true;
    }
    default: return false;
    }
}

WORD AcceleratorCommand(HACCEL table, const MSG& msg) {
    if (table == nullptr || (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN)) return 0;
    const int n = ::CopyAcceleratorTableA(table, nullptr, 0);
    if (n <= 0) return 0;
    std::vector<ACCEL> entries(static_cast<size_t>(n));
    ::CopyAcceleratorTableA(table, entries.data(), n);
    const BYTE shift = Down(VK_SHIFT) ? FSHIFT : 0;
    const BYTE ctrl = Down(VK_CONTROL) ? FCONTROL : 0;
    const BYTE alt = Down(VK_MENU) ? FALT : 0;
    for (const ACCEL& a : entries) {
        if ((a.fVirt & FVIRTKEY) == 0 || a.key != msg.wParam) continue;
        if ((a.fVirt & (FSHIFT | FCONTROL | FALT)) == (shift | ctrl | alt)) return a.cmd;
    }
    return 0;
}

} // namespace win
