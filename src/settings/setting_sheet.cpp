// The category settings sheet, and the dressing of every settings sheet.
#include "settings/setting_sheet.h"
#include "win/help.h"
#include "win/window.h"

#include "resource.h"

namespace nuntio {

namespace {

constexpr const char* kSheetHelpTopic = "::/xx_相关操作说明.htm";

// Centres a window over its owner when the owner is on screen, else on the
// work area of the monitor it is on.
void CentreOverOwner(HWND window) {
    RECT own{};
    HWND owner = ::GetWindow(window, GW_OWNER);
    if (owner != nullptr && ::IsWindowVisible(owner) && !::IsIconic(owner)) {
        ::GetWindowRect(owner, &own);
    } else {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        ::GetMonitorInfoA(::MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &info);
        own = info.rcWork;
    }
    win::CentreIn(window, own);
}

} // namespace

CSettingSheet::CSettingSheet(const char* caption, HWND parent, int kind, int selectedPage)
    : m_pszCaption(caption), m_hParent(parent), m_nKind(kind), m_nSelectedPage(selectedPage) {
    m_hIcon = ::LoadIconA(win::Instance(), MAKEINTRESOURCEA(IDI_MSGCENTER));
}

INT_PTR RunSettingsSheet(PROPSHEETHEADERA& header) {
    return win::RunPropertySheet(header, [](HWND sheet) {
        ::SetDlgItemTextA(sheet, IDOK, "确定(&O)");
        ::SetDlgItemTextA(sheet, IDCANCEL, "取消(&C)");
        ::SetDlgItemTextA(sheet, IDHELP, "帮助(&H)");
        CentreOverOwner(sheet);
    });
}

INT_PTR CSettingSheet::DoModal() {
    PROPSHEETPAGEA pages[2]{};
    UINT count = 0;
    if (m_nKind == 0) {
        pages[count++] = m_alertPage.Describe(kSheetHelpTopic);
        pages[count++] = m_actionPage.Describe(kSheetHelpTopic);
    } else if (m_nKind == 1) {
        pages[count++] = m_tradePage.Describe(kSheetHelpTopic);
    }
    if (count == 0) return IDCANCEL;

    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_UPDOWN_CLASS | ICC_TAB_CLASSES};
    ::InitCommonControlsEx(&icc);

    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_USEHICON | PSH_NOAPPLYNOW | PSH_NOCONTEXTHELP;
    header.hwndParent = m_hParent;
    header.hInstance = win::Instance();
    header.hIcon = m_hIcon;
    header.pszCaption = m_pszCaption;
    header.nPages = count;
    header.nStartPage = m_nSelectedPage >= 0 && static_cast<UINT>(m_nSelectedPage) < count
                            ? static_cast<UINT>(m_nSelectedPage)
                            : 0;
    header.ppsp = pages;
    RunSettingsSheet(header);
    // The page shown first always takes part in OK, and only OK applies (there
    // is no Apply button).
    const bool ok =
        m_alertPage.ConfirmedWithOk() || m_actionPage.ConfirmedWithOk() || m_tradePage.ConfirmedWithOk();
    return ok ? IDOK : IDCANCEL;
}

} // namespace nuntio
