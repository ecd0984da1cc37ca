// The page procedure shared by the settings pages.
#include "settings/prop_page.h"
#include "win/help.h"

namespace nuntio {

PROPSHEETPAGEA CPropPage::Describe(const char* helpTopic) {
    m_strHelpTopic = helpTopic != nullptr ? helpTopic : "";
    m_bOk = false;
    PROPSHEETPAGEA page{};
    page.dwSize = sizeof page;
    page.dwFlags = PSP_DEFAULT | PSP_HASHELP;
    page.hInstance = win::Instance();
    page.pszTemplate = MAKEINTRESOURCEA(m_nTemplate);
    page.pfnDlgProc = &CPropPage::StaticProc;
    page.lParam = reinterpret_cast<LPARAM>(this);
    return page;
}

INT_PTR CPropPage::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: return OnInitDialog();
    case WM_COMMAND: OnCommand(LOWORD(wp), HIWORD(wp)); return FALSE;
    case WM_NOTIFY: {
        NMHDR* hdr = reinterpret_cast<NMHDR*>(lp);
        if (hdr == nullptr) return FALSE;
        LRESULT result = 0;
        switch (hdr->code) {
        case PSN_KILLACTIVE: result = OnKillActive() ? FALSE : TRUE; break;
        case PSN_APPLY:
            // Without an Apply button the sheet sends this only for OK.
            if (!CanApply()) {
                result = PSNRET_INVALID;
                break;
            }
            OnOK();
            m_bOk = true;
            result = PSNRET_NOERROR;
            break;
        case PSN_HELP:
            if (!m_strHelpTopic.empty()) win::ShowHelpTopic(m_strHelpTopic.c_str());
            break;
        default:
            if (!OnNotify(*hdr, result)) return FALSE;
            break;
        }
        ::SetWindowLongPtrA(m_hwnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    case WM_DESTROY: OnDestroy(); return FALSE;
    default: return FALSE;
    }
}

INT_PTR CALLBACK CPropPage::StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    try {
        CPropPage* self = nullptr;
        if (msg == WM_INITDIALOG) {
            const auto* page = reinterpret_cast<const PROPSHEETPAGEA*>(lp);
            self = page != nullptr ? reinterpret_cast<CPropPage*>(page->lParam) : nullptr;
            ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
            if (self != nullptr) self->m_hwnd = hwnd;
        } else {
            self = reinterpret_cast<CPropPage*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        }
        if (self == nullptr) return FALSE;
        const INT_PTR r = self->HandleMessage(msg, wp, lp);
        if (msg == WM_NCDESTROY) {
            ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            self->m_hwnd = nullptr;
        }
        return r;
    } catch (...) {
        // A failure inside one message must not reach the host; the message
        // counts as unhandled.
        return FALSE;
    }
}

} // namespace nuntio
