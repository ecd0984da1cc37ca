#include "center/tray_icon.h"
#include "win/help.h"

#include <shellapi.h>

namespace nuntio {

namespace {
constexpr const char* kTipBlank = "新消息到达!";
constexpr const char* kTipShown = "双击察看!";
} // namespace

BOOL CTrayIcon::NotifyIcon(HWND owner, DWORD action, UINT id, HICON icon, const char* tooltip) {
    NOTIFYICONDATAA nid{};
    // The original, smallest record (88 bytes on x86): understood by every shell.
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    nid.hWnd = owner;
    nid.uID = id;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = kCallbackMessage;
    nid.hIcon = icon;
    if (tooltip != nullptr) ::lstrcpynA(nid.szTip, tooltip, 64);
    return ::Shell_NotifyIconA(action, &nid);
}

int CTrayIcon::Create(HWND owner, int iconId, const char* tooltip) {
    m_hOwner = owner;
    m_hIcon = static_cast<HICON>(::LoadImageA(win::Instance(), MAKEINTRESOURCEA(iconId), IMAGE_ICON,
                                              ::GetSystemMetrics(SM_CXSMICON),
                                              ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR | LR_SHARED));
    m_strTip = tooltip;
    m_nPhase = 1;
    Add();
    return 0;
}

void CTrayIcon::Add() {
    // While flashing, the icon comes back in the phase it is in.
    const bool blank = m_nFlashTimer != 0 && m_nPhase == 0;
    const char* tip = m_nFlashTimer == 0 ? m_strTip.c_str() : blank ? kTipBlank : kTipShown;
    m_bAdded = NotifyIcon(m_hOwner, NIM_ADD, kIconId, blank ? nullptr : m_hIcon, tip) != FALSE;
    // No notification area yet (the shell is still starting): try again later.
    if (m_bAdded)
        ::KillTimer(m_hOwner, kRetryTimer);
    else
        ::SetTimer(m_hOwner, kRetryTimer, kRetryPeriod, nullptr);
}

void CTrayIcon::OnShellRestarted() {
    if (m_hOwner != nullptr) Add();
}

int CTrayIcon::Delete() {
    ::KillTimer(m_hOwner, kRetryTimer);
    NotifyIcon(m_hOwner, NIM_DELETE, kIconId, m_hIcon, nullptr);
    m_nPhase = 0;
    m_bAdded = false;
    return 0;
}

int CTrayIcon::StartFlash() {
    // A flash that is on keeps its rhythm: restarting the timer at every new
    // message would keep the icon from ever blinking in a burst.
    if (m_nFlashTimer == 0) m_nFlashTimer = ::SetTimer(m_hOwner, kFlashTimer, kFlashPeriod, nullptr);
    return 0;
}

int CTrayIcon::StopFlash() {
    if (m_nFlashTimer == 0) return 0;
    ::KillTimer(m_hOwner, kFlashTimer);
    m_nFlashTimer = 0;
    NotifyIcon(m_hOwner, NIM_MODIFY, kIconId, m_hIcon, m_strTip.c_str());
    return 0;
}

int CTrayIcon::OnTimer(UINT_PTR timerId) {
    if (timerId == kRetryTimer) {
        Add();
        return 0;
    }
    if (timerId != kFlashTimer) return 0;
    if (m_nPhase == 1) {
        NotifyIcon(m_hOwner, NIM_MODIFY, kIconId, nullptr, kTipBlank);
        m_nPhase = 0;
    } else {
        NotifyIcon(m_hOwner, NIM_MODIFY, kIconId, m_hIcon, kTipShown);
        m_nPhase = 1;
    }
    return 0;
}

int CTrayIcon::OnNotify(WPARAM /*wp*/, LPARAM lp) {
    if (static_cast<UINT>(lp) != WM_LBUTTONDBLCLK) return 0;
    StopFlash();
    return 1;
}

} // namespace nuntio
