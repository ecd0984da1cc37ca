// The message-center window: a modeless top-level dialog with one tab per
// message category along its bottom edge and a status bar under the tabs.
// Closing or minimising only hides it; it is destroyed when the DLL unloads.
#pragma once

#include <string>

#include "center/host_link.h"
#include "center/tray_icon.h"
#include "core/session.h"
#include "messages/find_dlg.h"
#include "messages/find_owner.h"
#include "categories/msg_category.h"
#include "nuntio.h"
#include "win/handles.h"
#include "win/dialog_keys.h"
#include "win/thunk.h"

namespace nuntio {

class CMsgCenterDlg : public win::Dialog, private ICategorySink, private IFindOwner {
public:
    static constexpr int kPages = 2;

    CMsgCenterDlg(CMsgCategory* alert, CMsgCategory* trade, const nuntio::Session& session, IHostLink& host);
    // A live window is destroyed (and saves) while this object is whole.
    ~CMsgCenterDlg() override { Destroy(); }

    // Creates the hidden window from its template; false when that fails or
    // a category could not be built: then nothing was written and no window
    // is left.
    bool Create(HWND parent);

    // Delivery of one message record: 1 delivered, 0 refused.
    int32_t RouteMessage(const InboundMessage& message);
    int SelectPage(int page);
    int ShowCenter();
    int HideCenter();
    void SaveWindowState();
    // What destruction saves, for a process that ends without unloading us.
    void SaveAtProcessExit();
    bool IsCenterVisible() const { return m_bVisible; }

protected:
    INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    // The window lays out its bars, tabs and lists itself (OnDpiChanged).
    bool FollowsDpiChanges() const override { return false; }

private:
    // What the categories ask of the window.
    void FlashTray() override { m_trayIcon.StartFlash(); }
    void ShowStatus(const std::string& text) override { SetStatusText(text.c_str()); }
    HWND HostWindow() override { return m_host.HostWindow(); }
    AlertProperty AlertDefaults() override { return m_host.AlertDefaults(); }
    void SetAlertDefaults(const AlertProperty& prop) override { m_host.SetAlertDefaults(prop); }

    // What the find window asks of the window.
    int ActivePage() override { return m_nActivePage; }
    const char* PageName(int page) override;
    std::vector<int> SetupColumns(int page, HWND list) override;
    std::unique_ptr<nuntio::IFoundMessages> Search(int page, const std::string& keyword) override;
    void Reveal(int page, int pos) override;
    void Open(int page, int pos) override;

private:
    BOOL OnInitDialog();
    BOOL InitWindow();
    void Layout(UINT type, int cx, int cy);
    // Icons and tab images at the window's DPI.
    void LoadImages();
    // WM_DPICHANGED: the window takes the suggested place and its fonts,
    // images and sizes follow the new DPI.
    void OnDpiChanged(int dpi, const RECT* suggested);
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
    win::DialogKeys m_keys; // Tab, Enter, Esc and the menus' keys, whatever the host's loop
    int m_nActivePage = -1;
    bool m_bVisible = false;
    bool m_bFirstShow = true;
    bool m_bStatusBar = false;
    bool m_bSaved = false;
    bool m_bInitFailed = false; // a category or a part of the window could not be built
    nuntio::Session m_session;
    IHostLink& m_host;
    std::string m_strIniPath;
    int m_dpi = 96;           // what the window's sizes, fonts and images are made for
    win::UniqueFont m_uiFont; // the template's font remade for a new DPI
    win::UniqueImageList m_tabImages;
    win::Window m_tabs;
    win::Window m_statusBar;
};

} // namespace nuntio
