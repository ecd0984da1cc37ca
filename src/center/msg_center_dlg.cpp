// The message-center window's behaviour: routing, tabs, layout, show and hide,
// the bars, and the placement kept in Nuntio.ini.
#include "center/msg_center_dlg.h"
#include "win/art.h"
#include "win/dpi.h"
#include "win/help.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>

#include "core/placement.h"
#include "resource.h"

namespace nuntio {

namespace {
// Broadcast by the shell when it starts again (Explorer restarted).
const UINT s_taskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");
constexpr int kTabHeight = 26;
constexpr int kStatusHeight = 20;
constexpr const char* kSection = "MainDlg";
constexpr const char* kAboutTopic = "::/xx_关于消息中心.htm";
} // namespace

CMsgCenterDlg::CMsgCenterDlg(CMsgCategory* alert, CMsgCategory* trade, const nuntio::Session& session,
                             IHostLink& host)
    : m_categories{alert, trade}, m_session(session), m_host(host) {}

bool CMsgCenterDlg::Create(HWND parent) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    const bool created = CreateModeless(win::Instance(), IDD_MSGCENTER, parent);
    if (created && !m_bInitFailed) return true;
    // Half a window would take messages it cannot keep: the categories let
    // go of their files without writing, and the window goes.
    for (CMsgCategory* category : m_categories)
        category->Abandon();
    m_bSaved = true;
    Destroy();
    return false;
}

BOOL CMsgCenterDlg::OnInitDialog() {
    try {
        return InitWindow();
    } catch (...) {
        m_bInitFailed = true;
        return FALSE;
    }
}

BOOL CMsgCenterDlg::InitWindow() {
    m_tabs.Attach(Item(IDC_TABS));
    m_strIniPath = m_session.folder + "Nuntio.ini";

    HINSTANCE module = win::Instance();
    m_dpi = win::DpiOf(m_hwnd);
    win::TakeOverDpiChanges(m_hwnd);
    m_trayIcon.Create(m_hwnd, IDI_MSGCENTER, "消息中心");

    if (m_categories[0]->Create(m_hwnd, m_session, *this, "AlertMsg.cfg") != kDone ||
        m_categories[1]->Create(m_hwnd, m_session, *this, "TradeMsg.cfg") != kDone) {
        m_bInitFailed = true;
        return FALSE;
    }

    m_statusBar.Attach(::CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, m_hwnd,
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_STATUSBAR)), module,
                                         nullptr));
    SetStatusText("");
    m_statusBar.Show(SW_HIDE);

    LoadImages();
    for (int i = 0; i < kPages; ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.pszText = const_cast<char*>(m_categories[i]->TabName());
        item.iImage = i;
        m_tabs.Send(TCM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
    m_bVisible = IsVisible();
    m_keys.Attach(m_hwnd, [this](MSG& msg) {
        return (m_nActivePage == 0 || m_nActivePage == 1) &&
               m_categories[m_nActivePage]->TranslateKey(m_hwnd, msg);
    });
    // FALSE: no focus yet. The window is hidden, and giving a control of it
    // the focus would make it the active window and take the keyboard from
    // the host; the list gets the focus when the window is shown.
    return FALSE;
}

int32_t CMsgCenterDlg::RouteMessage(const InboundMessage& message) {
    const int32_t category = message.nCategory;
    if (category < 0 || category >= kPages) return 0;
    SelectPage(category);
    if (m_categories[category]->AddMessage(message) != kDone) return 0;
    m_categories[category]->NotifyMessage(&message);
    return 1;
}

int CMsgCenterDlg::SelectPage(int page) {
    m_nActivePage = page;
    m_tabs.Send(TCM_SETCURSEL, static_cast<WPARAM>(page));
    m_tabs.Send(TCM_SETCURFOCUS, static_cast<WPARAM>(page));
    m_categories[page]->Show(true);
    m_categories[1 - page]->Show(false);
    return 1;
}

int CMsgCenterDlg::ShowCenter() {
    Send(WM_SYSCOMMAND, SC_RESTORE);
    m_trayIcon.StopFlash();
    // The keyboard goes to the list the trader reads, not to the control the
    // dialog manager remembers (the tab strip, say).
    if (m_bVisible && (m_nActivePage == 0 || m_nActivePage == 1))
        ::SetFocus(m_categories[m_nActivePage]->ListHandle());
    return m_bVisible ? 1 : 0;
}

int CMsgCenterDlg::HideCenter() {
    SaveWindowState();
    for (CMsgCategory* category : m_categories)
        category->ClearSelection();
    m_findDlg.Destroy();
    Send(WM_SYSCOMMAND, SC_MINIMIZE);
    m_trayIcon.StopFlash();
    return m_bVisible ? 1 : 0;
}

void CMsgCenterDlg::Layout(UINT type, int cx, int cy) {
    if (cx == 0 || cy == 0 || m_tabs.Handle() == nullptr || m_statusBar.Handle() == nullptr) return;
    int h = 0;
    if (m_statusBar.IsVisible()) {
        // The bar takes the height its font needs, whatever it is given:
        // the tabs go above what it took.
        const int wanted = win::Scale(kStatusHeight, m_dpi);
        m_statusBar.Move(0, cy - wanted, cx, wanted);
        RECT bar{};
        ::GetWindowRect(m_statusBar.Handle(), &bar);
        h = bar.bottom > bar.top ? bar.bottom - bar.top : wanted;
    }
    const int y = cy - h;
    const int tabHeight = win::Scale(kTabHeight, m_dpi);
    m_tabs.Move(0, y - tabHeight, cx + 2, tabHeight);
    for (CMsgCategory* category : m_categories)
        category->Resize(type, cx, y - tabHeight);
}

void CMsgCenterDlg::LoadImages() {
    HINSTANCE module = win::Instance();
    for (WPARAM which : {ICON_SMALL, ICON_BIG}) {
        // Small: the caption and the taskbar button; big: Alt+Tab.
        const int size = win::MetricForDpi(which == ICON_SMALL ? SM_CXSMICON : SM_CXICON, m_dpi);
        HANDLE icon = ::LoadImageA(module, MAKEINTRESOURCEA(IDI_MSGCENTER), IMAGE_ICON, size, size,
                                   LR_DEFAULTCOLOR | LR_SHARED);
        Send(WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
    }
    const int size = win::ArtSize(16, m_dpi);
    win::UniqueImageList images(::ImageList_Create(size, size, ILC_COLOR4 | ILC_MASK, 3, 0));
    for (int id : {IDI_TAB_ALERT, IDI_TAB_TRADE, IDI_TAB_TRADE + 1}) {
        if (HICON icon = win::LoadArtIcon(id, 16, m_dpi)) ::ImageList_AddIcon(images.Get(), icon);
    }
    if (::ImageList_GetImageCount(images.Get()) >= 2) {
        m_tabs.Send(TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images.Get()));
        m_tabImages = std::move(images);
    }
}

void CMsgCenterDlg::OnDpiChanged(int dpi, const RECT* suggested) {
    if (dpi <= 0) return;
    const int old = m_dpi;
    m_dpi = dpi;
    win::NoteDpi(m_hwnd, dpi);
    if (dpi != old) {
        // The template's font was made for the old DPI: the tabs and the
        // status bar get it again at the new one.
        LOGFONTA lf{};
        HFONT current = reinterpret_cast<HFONT>(Send(WM_GETFONT));
        if (current != nullptr && ::GetObjectA(current, sizeof lf, &lf) == sizeof lf) {
            lf.lfHeight = ::MulDiv(lf.lfHeight, dpi, old);
            win::UniqueFont font(::CreateFontIndirectA(&lf));
            if (font) {
                for (HWND child : {m_tabs.Handle(), m_statusBar.Handle()})
                    ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
                m_uiFont = std::move(font);
            }
        }
        LoadImages();
        for (CMsgCategory* category : m_categories)
            category->SetDpi(dpi);
    }
    if (suggested != nullptr) {
        ::SetWindowPos(m_hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const RECT rc = ClientRect();
    Layout(0, rc.right, rc.bottom);
}

INT_PTR CMsgCenterDlg::OnSysCommand(WPARAM wp, LPARAM lp) {
    switch (wp & 0xFFF0) {
    case SC_MINIMIZE:
        SaveWindowState();
        ::DefWindowProcA(m_hwnd, WM_SYSCOMMAND, wp, lp);
        Show(SW_HIDE);
        m_bVisible = false;
        return TRUE;
    case SC_RESTORE:
        Show(SW_SHOW);
        ::DefWindowProcA(m_hwnd, WM_SYSCOMMAND, wp, lp);
        ::SetForegroundWindow(m_hwnd);
        m_bVisible = true;
        return TRUE;
    default: return FALSE;
    }
}

void CMsgCenterDlg::OnShowWindow(bool show) {
    if (!show) return;
    if (!m_bFirstShow) {
        if (m_nActivePage == 0 || m_nActivePage == 1) ::SetFocus(m_categories[m_nActivePage]->ListHandle());
        return;
    }
    OnFirstShow();
}

void CMsgCenterDlg::OnFirstShow() {
    const bool wantStatus = IniInt("StatusBar", 1) != 0;
    if (wantStatus != m_bStatusBar) Send(WM_COMMAND, IDC_STATUSBAR, 0);
    if (IniInt("ToolBar", 1) != 0) ToggleToolBars();

    const RECT rc = WindowRect();
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    const int sw = ::GetSystemMetrics(SM_CXSCREEN), sh = ::GetSystemMetrics(SM_CYSCREEN);
    const nuntio::Rect centred{(sw - w) / 2, (sh - h) / 2, (sw - w) / 2 + w, (sh - h) / 2 + h};
    nuntio::Rect saved;
    saved.left = IniInt("left", centred.left);
    saved.top = IniInt("top", centred.top);
    saved.right = IniInt("right", saved.left + w);
    saved.bottom = IniInt("bottom", saved.top + h);
    // A place no monitor shows any more (or a damaged file) is brought back
    // onto the work area of the nearest monitor.
    const RECT want{saved.left, saved.top, saved.right, saved.bottom};
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    ::GetMonitorInfoA(::MonitorFromRect(&want, MONITOR_DEFAULTTONEAREST), &mi);
    nuntio::Rect place =
        nuntio::PlaceOnWorkArea(saved, {mi.rcWork.left, mi.rcWork.top, mi.rcWork.right, mi.rcWork.bottom});
    if (place.Width() <= 0) place = centred;
    Move(place.left, place.top, place.right - place.left, place.bottom - place.top);

    int page = m_nActivePage;
    if (page == -1) page = IniInt("ActivePage", 0) == 1 ? 1 : 0;
    SelectPage(page);
    m_bFirstShow = false;

    // A message file found damaged at start-up was kept aside; say so once.
    std::string notice;
    for (CMsgCategory* category : m_categories) {
        std::string n = category->TakeStartupNotice();
        if (!n.empty()) notice += (notice.empty() ? "" : "  ") + n;
    }
    if (!notice.empty()) SetStatusText(notice.c_str());
}

INT_PTR CMsgCenterDlg::OnCommand(WPARAM wp, LPARAM lp) {
    const int id = LOWORD(wp);
    if (wp == IDOK && lp == 0 && (m_nActivePage == 0 || m_nActivePage == 1)) {
        m_categories[m_nActivePage]->OnOpenMessage();
        return TRUE;
    }
    if (id == IDC_STATUSBAR) {
        ToggleStatusBar();
    } else {
        for (CMsgCategory* category : m_categories) {
            if (category->ListId() <= id && id <= category->LastCmd()) {
                category->OnCategoryCommand(m_hwnd, wp, lp);
                break;
            }
        }
    }
    switch (id) {
    case ID_TOOLBAR: ToggleToolBars(); break;
    case ID_TOGGLE_STATUS: Send(WM_COMMAND, IDC_STATUSBAR, 0); break;
    case ID_HELP_ABOUT: win::ShowHelpTopic(kAboutTopic); break;
    case ID_FIND: m_findDlg.Open(m_hwnd, *this, m_strIniPath.c_str()); break;
    case IDCANCEL: HideCenter(); break; // Escape hides, as the close box does
    default: break;
    }
    return TRUE;
}

INT_PTR CMsgCenterDlg::OnNotify(WPARAM wp, NMHDR* hdr) {
    if (hdr->idFrom == IDC_TABS && hdr->code == TCN_SELCHANGE) {
        OnTabChange();
        return SetResult(0);
    }
    LRESULT result = 0;
    bool handled = false;
    for (CMsgCategory* category : m_categories) {
        if (static_cast<WPARAM>(category->ListId()) <= wp && wp <= static_cast<WPARAM>(category->LastCmd())) {
            handled = category->OnListNotify(m_hwnd, wp, hdr, &result) != kNotHandled || handled;
        }
    }
    return handled ? SetResult(result) : FALSE;
}

void CMsgCenterDlg::OnTabChange() {
    const int page = static_cast<int>(m_tabs.Send(TCM_GETCURSEL));
    if (page < 0 || page >= kPages) return;
    m_nActivePage = page;
    m_categories[page]->Show(true);
    m_categories[1 - page]->Show(false);
    SetStatusText(m_categories[page]->Description());
}

void CMsgCenterDlg::ToggleStatusBar() {
    m_statusBar.Show(m_bStatusBar ? SW_HIDE : SW_SHOW);
    m_bStatusBar = !m_bStatusBar;
    const RECT rc = ClientRect();
    Layout(0, rc.right, rc.bottom);
    const int page = static_cast<int>(m_tabs.Send(TCM_GETCURSEL));
    if (page >= 0 && page < kPages) SetStatusText(m_categories[page]->Description());
    const UINT check = MF_BYCOMMAND | (m_bStatusBar ? MF_CHECKED : MF_UNCHECKED);
    for (CMsgCategory* category : m_categories) {
        if (HMENU view = ::GetSubMenu(category->MenuBar(), 1)) ::CheckMenuItem(view, IDC_STATUSBAR, check);
        if (HMENU popup = category->PopupSubMenu()) ::CheckMenuItem(popup, IDC_STATUSBAR, check);
    }
}

void CMsgCenterDlg::ToggleToolBars() {
    const RECT rc = ClientRect();
    for (int i = 0; i < kPages; ++i)
        m_categories[i]->ToggleToolBar(i == m_nActivePage);
    Layout(0, rc.right, rc.bottom);
}

void CMsgCenterDlg::SetStatusText(const char* text) {
    m_statusBar.Send(SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text));
}

int CMsgCenterDlg::IniInt(const char* key, int def) const {
    return static_cast<int>(::GetPrivateProfileIntA(kSection, key, def, m_strIniPath.c_str()));
}

void CMsgCenterDlg::IniWrite(const char* key, long value) const {
    char text[16];
    std::snprintf(text, sizeof text, "%ld", value);
    ::WritePrivateProfileStringA(kSection, key, text, m_strIniPath.c_str());
}

void CMsgCenterDlg::SaveWindowState() {
    if (m_bVisible) {
        const RECT rc = NormalRect();
        IniWrite("left", rc.left);
        IniWrite("top", rc.top);
        IniWrite("right", rc.right);
        IniWrite("bottom", rc.bottom);
        IniWrite("StatusBar", m_bStatusBar ? 1 : 0);
        IniWrite("ToolBar", m_categories[0]->ToolBarShown() ? 1 : 0);
    }
    IniWrite("ActivePage", m_nActivePage);
}

RECT CMsgCenterDlg::NormalRect() const {
    if (!::IsZoomed(m_hwnd) && !::IsIconic(m_hwnd)) return WindowRect();
    // Maximised (or minimised): the place it has when restored. The
    // placement counts from the work area's corner, not the screen's.
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    ::GetWindowPlacement(m_hwnd, &wp);
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    ::GetMonitorInfoA(::MonitorFromWindow(m_hwnd, MONITOR_DEFAULTTONEAREST), &mi);
    RECT rc = wp.rcNormalPosition;
    ::OffsetRect(&rc, mi.rcWork.left - mi.rcMonitor.left, mi.rcWork.top - mi.rcMonitor.top);
    return rc;
}

void CMsgCenterDlg::SaveAtProcessExit() {
    if (m_bSaved) return;
    m_bSaved = true;
    SaveWindowState();
    m_categories[0]->Close();
    m_categories[1]->Close();
}

void CMsgCenterDlg::OnDestroy() {
    win::NoteDpi(m_hwnd, 0);
    m_keys.Detach();
    // The menu bar is a category's, which destroys it: the window must not.
    ::SetMenu(m_hwnd, nullptr);
    if (!m_bSaved) {
        m_bSaved = true;
        SaveWindowState();
        m_findDlg.Destroy();
        m_categories[0]->Close();
        m_categories[1]->Close();
    }
    m_trayIcon.Delete();
    m_tabs.Send(TCM_SETIMAGELIST, 0, 0);
    m_tabImages.Reset();
}

INT_PTR CMsgCenterDlg::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: return OnInitDialog();
    case WM_SIZE: Layout(static_cast<UINT>(wp), LOWORD(lp), HIWORD(lp)); return FALSE;
    case WM_DPICHANGED: OnDpiChanged(HIWORD(wp), reinterpret_cast<const RECT*>(lp)); return SetResult(0);
    case WM_SYSCOMMAND: return OnSysCommand(wp, lp);
    case WM_SHOWWINDOW: OnShowWindow(wp != 0); return FALSE;
    case WM_CLOSE: HideCenter(); return TRUE;
    case WM_DESTROY: OnDestroy(); return FALSE;
    case WM_TIMER: m_trayIcon.OnTimer(wp); return FALSE;
    case WM_COMMAND: return OnCommand(wp, lp);
    case WM_NOTIFY: return OnNotify(wp, reinterpret_cast<NMHDR*>(lp));
    case WM_CONTEXTMENU:
        for (CMsgCategory* category : m_categories)
            if (reinterpret_cast<HWND>(wp) == category->ListHandle()) category->ShowContextMenuAt(m_hwnd, lp);
        return TRUE;
    case WM_SYSCOLORCHANGE:
        // High contrast on or off: the lists take the system colours or their own.
        for (CMsgCategory* category : m_categories) {
            ::SendMessageA(category->ListHandle(), WM_SYSCOLORCHANGE, 0, 0);
            category->ApplyColors();
        }
        return FALSE;
    case CTrayIcon::kCallbackMessage:
        if (m_trayIcon.OnNotify(wp, lp) == 1) {
            ShowCenter();
            for (CMsgCategory* category : m_categories)
                category->HideNotifier();
        }
        return SetResult(1);
    case NUNTIO_WM_POPUP_CLICKED:
        if (m_bVisible) return SetResult(0);
        ShowCenter();
        return SetResult(1);
    case NUNTIO_WM_STOP_TRAYFLASH: m_trayIcon.StopFlash(); return SetResult(0);
    default:
        if (msg == s_taskbarCreated && msg != 0) m_trayIcon.OnShellRestarted();
        return FALSE;
    }
}

const char* CMsgCenterDlg::PageName(int page) {
    return page == 0 || page == 1 ? m_categories[page]->TabName() : nullptr;
}

std::vector<int> CMsgCenterDlg::SetupColumns(int page, HWND list) {
    if (page != 0 && page != 1) return {};
    return m_categories[page]->SetupColumns(list);
}

std::unique_ptr<nuntio::IFoundMessages> CMsgCenterDlg::Search(int page, const std::string& keyword) {
    if (page != 0 && page != 1) return nullptr;
    return m_categories[page]->SearchMessages(keyword);
}

void CMsgCenterDlg::Reveal(int page, int pos) {
    if (page != 0 && page != 1) return;
    if (m_nActivePage != page) SelectPage(page);
    m_categories[page]->RevealRow(pos);
}

void CMsgCenterDlg::Open(int page, int pos) {
    if (page == 0 || page == 1) m_categories[page]->ActivateSource(pos);
}

} // namespace nuntio
