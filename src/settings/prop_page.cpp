// The answers every settings page gives the sheet.
#include "settings/prop_page.h"
#include "win/help.h"

namespace nuntio {

PROPSHEETPAGEA CPropPage::Describe(const char* helpTopic) {
    m_strHelpTopic = helpTopic != nullptr ? helpTopic : "";
    m_bOk = false;
    return win::PropertyPage::Describe(true);
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

} // namespace nuntio
