// The message center's icon in the notification area, and its flashing while
// new messages wait to be seen.
#pragma once

#include <windows.h>

class CTrayIcon {
public:
    static constexpr UINT kIconId = 20010;
    static constexpr UINT kCallbackMessage = 0x8064; // WM_TRAYICON_NOTIFY
    static constexpr UINT_PTR kFlashTimer = 1;
    static constexpr UINT kFlashPeriod = 350;

    virtual ~CTrayIcon() = default;

    int Create(HWND owner, int iconId, const char* tooltip);
    int Delete();
    int StartFlash();
    int StopFlash();
    int OnTimer(UINT_PTR timerId);
    // 1 for a double-click on the icon (the window then shows itself), else 0.
    int OnNotify(WPARAM wp, LPARAM lp);
    bool IsFlashing() const { return m_nFlashTimer != 0; }

    static BOOL NotifyIcon(HWND owner, DWORD action, UINT id, HICON icon, const char* tooltip);

private:
    int m_nPhase = 0;
    HWND m_hOwner = nullptr;
    HICON m_hIcon = nullptr;
    UINT_PTR m_nFlashTimer = 0;
};
