// The message-center window: a modeless top-level dialog with one tab per
// message category along its bottom edge and a status bar under the tabs.
// Closing or minimising only hides it; it is destroyed when the DLL unloads.
#pragma once

#include <string>

#include "center/tray_icon.h"
#include "messages/find_dlg.h"
#include "categories/msg_category.h"
#include "nuntio.h"
#include "win/thunk.h"

class CMsgCenterDlg : public win::Dialog {
public:
    static constexpr int kPages = 2;
    static constexpr UINT kPopupClicked = 0x047B;  // WM_POPUP_CLICKED
    static constexpr UINT kStopTrayFlash = 0x381B; // WM_STOP_TRAYFLASH

    CMsgCenterDlg(CMsgCategory* alert, CMsgCategory* trade, std::string root, std::string user);
    // A live window is destroyed (and saves) while this object is whole.
    ~CMsgCenterDlg() override { Destroy(); }

    // Creates the hidden window from its template; false when that fails or
    // a category could not be built: then nothing was written and no window
    // is left.
    bool Create(HWND parent);

    // Delivery of one message record: 1 delivered, 0 refused.
    int32_t RouteMessage(const InboundMessage& message);
    int SelectPage(int page);
    int ActivePage() const { return m_nActivePage; }
    int ShowCenter();
    int HideCenter();
    void SaveWindowState();
    // What destruction saves, for a process that ends without unloading us.
    void SaveAtProcessExit();
    bool IsCenterVisible() const { return m_bVisible; }
    CTrayIcon& TrayIcon() { return m_trayIcon; }
    CMsgCategory* Category(int page) const { return page == 0 || page == 1 ? m_categories[page] : nullptr; }
    const std::string& IniPath() const { return m_strIniPath; }

protected:
    INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    BOOL OnInitDialog();
    BOOL InitWindow();
    void Layout(UINT type, int cx, int cy);
    INT_PTR OnSysCommand(WPARAM wp, LPARAM lp);
    void OnShowWindow(bool show);
    void OnFirstShow();
    INT_PTR OnCommand(WPARAM wp, LPARAM lp);
    INT_PTR OnNotify(WPARAM wp, NMHDR* hdr);
    void OnTabChange();
    void OnDestroy();
    void ToggleStatusBar();
    void ToggleToolBars();
    void SetStatusText(const char* text);
    // The window's place when neither maximised nor minimised, in screen coordinates.
    RECT NormalRect() const;
    int IniInt(const char* key, int def) const;
    void IniWrite(const char* key, long value) const;

    CMsgCategory* m_categories[kPages];
    CTrayIcon m_trayIcon;
    CFindDlg m_findDlg;
    int m_nActivePage = -1;
    bool m_bVisible = false;
    bool m_bFirstShow = true;
    bool m_bStatusBar = false;
    bool m_bSaved = false;
    bool m_bInitFailed = false; // a category or a part of the window could not be built
    std::string m_strRoot;
    std::string m_strUser;
    std::string m_strIniPath;
    HICON m_hIcon = nullptr;
    HIMAGELIST m_tabImages = nullptr;
    win::Window m_tabs;
    win::Window m_statusBar;
};
