// The message center's icon in the notification area, and its flashing while
// new messages wait to be seen.
#pragma once

#include <windows.h>

#include <string>

namespace nuntio {

class CTrayIcon {
public:
    static constexpr UINT kIconId = 20010;
    static constexpr UINT kCallbackMessage = 0x8064; // WM_TRAYICON_NOTIFY
    static constexpr UINT_PTR kFlashTimer = 1;
    static constexpr UINT kFlashPeriod = 350;
    static constexpr UINT_PTR kRetryTimer = 2;
    static constexpr UINT kRetryPeriod = 2000;

    virtual ~CTrayIcon() = default;

    int Create(HWND owner, int iconId, const char* tooltip);
    int Delete();
    // The shell started again ("TaskbarCreated"): its icons are gone.
    void OnShellRestarted();
    int StartFlash();
    int StopFlash();
    int OnTimer(UINT_PTR timerId);
    // 1 for a double-click on the icon (the window then shows itself), else 0.
    int OnNotify(WPARAM wp, LPARAM lp);

    static BOOL NotifyIcon(HWND owner, DWORD action, UINT id, HICON icon, const char* tooltip);

private:
    // Adds the icon; when that fails, tries again every kRetryPeriod.
    void Add();

    bool m_bAdded = false;
    std::string m_strTip; // the tooltip when not flashing
    int m_nPhase = 0;
    HWND m_hOwner = nullptr;
    HICON m_hIcon = nullptr;
    UINT_PTR m_nFlashTimer = 0;
};

} // namespace nuntio
