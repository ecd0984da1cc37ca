// The message-center window's behaviour: routing, tabs, show and hide.
#include "center/msg_center_dlg.h"

#include <commctrl.h>

#include "../../res/resource.h"
#include "host/module.h"

namespace {
constexpr const char* kTabNames[CMsgCenterDlg::kPages] = {"报警", "交易"};
constexpr int kTabHeight = 26;
} // namespace

bool CMsgCenterDlg::Create(HWND parent) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    return CreateModeless(nuntio::ModuleInstance(), IDD_MSGCENTER, parent);
}

BOOL CMsgCenterDlg::OnInitDialog() {
    m_tabs.Attach(Item(IDC_TABS));
    for (int i = 0; i < kPages; ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(kTabNames[i]);
        m_tabs.Send(TCM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
    RECT rc = ClientRect();
    OnSize(rc.right, rc.bottom);
    m_bVisible = IsVisible();
    return TRUE;
}

int32_t CMsgCenterDlg::RouteMessage(const InboundMessage& message) {
    const int32_t category = message.nCategory;
    if (category < 0 || category >= kPages) return 0;
    SelectPage(category);
    return 1;
}

int CMsgCenterDlg::SelectPage(int page) {
    m_nActivePage = page;
    m_tabs.Send(TCM_SETCURSEL, static_cast<WPARAM>(page));
    m_tabs.Send(TCM_SETCURFOCUS, static_cast<WPARAM>(page));
    return 1;
}

int CMsgCenterDlg::ShowCenter() {
    Send(WM_SYSCOMMAND, SC_RESTORE);
    return m_bVisible ? 1 : 0;
}

int CMsgCenterDlg::HideCenter() {
    Send(WM_SYSCOMMAND, SC_MINIMIZE);
    return m_bVisible ? 1 : 0;
}

void CMsgCenterDlg::OnSize(int cx, int cy) {
    if (cx == 0 || cy == 0 || m_tabs.Handle() == nullptr) return;
    m_tabs.Move(0, cy - kTabHeight, cx + 2, kTabHeight);
}

INT_PTR CMsgCenterDlg::OnSysCommand(WPARAM wp, LPARAM lp) {
    switch (wp & 0xFFF0) {
    case SC_MINIMIZE:
        ::DefWindowProcA(m_hwnd, WM_SYSCOMMAND, wp, lp);
        Show(SW_HIDE);
        m_bVisible = false;
        return TRUE;
    case SC_RESTORE:
        Show(SW_SHOW);
        ::DefWindowProcA(m_hwnd, WM_SYSCOMMAND, wp, lp);
        ::SetForegroundWindow(m_hwnd);
        m_bVisible = true;
        if (m_bFirstShow) {
            m_bFirstShow = false;
            SelectPage(m_nActivePage == 1 ? 1 : 0);
        }
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR CMsgCenterDlg::OnNotify(const NMHDR& hdr) {
    if (hdr.idFrom == IDC_TABS && hdr.code == TCN_SELCHANGE) {
        m_nActivePage = static_cast<int>(m_tabs.Send(TCM_GETCURSEL));
        return SetResult(0);
    }
    return FALSE;
}

INT_PTR CMsgCenterDlg::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: return OnInitDialog();
    case WM_SIZE: OnSize(LOWORD(lp), HIWORD(lp)); return TRUE;
    case WM_SYSCOMMAND: return OnSysCommand(wp, lp);
    case WM_CLOSE: HideCenter(); return TRUE;
    case WM_NOTIFY: return OnNotify(*reinterpret_cast<const NMHDR*>(lp));
    default: return FALSE;
    }
}
