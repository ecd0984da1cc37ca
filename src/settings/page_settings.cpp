// The font and colour sheet: one page ("字体颜色") with a font picker and two
// colour wells over the placeholders of its template.
#include "settings/page_settings.h"

#include <commctrl.h>
#include <prsht.h>

#include <cstring>
#include <string>

#include "dialogs_res.h"
#include "settings/color_well.h"
#include "settings/font_picker.h"
#include "settings/setting_sheet.h"
#include "win/help.h"
#include "win/thunk.h"

namespace nuntio {
namespace {

constexpr UINT WM_FONTPICKED = WM_USER + 200; // 0x04C8

class CFontSetPage : public win::PropertyPage {
public:
    explicit CFontSetPage(ListLook& look) : win::PropertyPage(IDD_FONTSET), m_look(look) {}

    bool Applied() const { return m_applied; }

private:
    // A placeholder's rectangle in the page's client coordinates; the
    // placeholder makes way for the control that takes its place.
    RECT TakePlace(int id) const {
        HWND holder = ::GetDlgItem(m_hwnd, id);
        RECT rc{};
        ::GetWindowRect(holder, &rc);
        ::MapWindowPoints(nullptr, m_hwnd, reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    }

    // The new control takes the placeholder's place in the tab order, and
    // its id: the placeholder goes.
    void Replace(int id, HWND control) const {
        HWND holder = ::GetDlgItem(m_hwnd, id);
        if (control == nullptr || holder == nullptr) return;
        ::SetWindowPos(control, holder, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        ::DestroyWindow(holder);
    }

    BOOL OnInitDialog() {
        m_font.CreateAsChild(m_hwnd, TakePlace(IDC_FONTSET_FONT));
        m_font.SetCmdWndAndID(m_hwnd, WM_FONTPICKED, 1);
        Replace(IDC_FONTSET_FONT, m_font.Handle());
        m_fore.Create(WS_CHILD | WS_VISIBLE, TakePlace(IDC_FONTSET_FORE), m_hwnd, IDC_FONTSET_FORE);
        m_fore.SetBorderType(CHueWell::kEtchedBorder);
        Replace(IDC_FONTSET_FORE, m_fore.Handle());
        m_back.Create(WS_CHILD | WS_VISIBLE, TakePlace(IDC_FONTSET_BACK), m_hwnd, IDC_FONTSET_BACK);
        m_back.SetBorderType(CHueWell::kEtchedBorder);
        Replace(IDC_FONTSET_BACK, m_back.Handle());
        m_lf = m_look.font;
        m_font.SetCurFont(&m_look.font);
        m_fore.SetRGB(m_look.text);
        m_back.SetRGB(m_look.back);
        return TRUE;
    }

    INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        switch (msg) {
        case WM_INITDIALOG: return OnInitDialog();
        case WM_FONTPICKED:
            if (wp != 0) std::memcpy(&m_lf, reinterpret_cast<const LOGFONTA*>(wp), sizeof m_lf);
            return TRUE;
        case WM_NOTIFY:
            if (reinterpret_cast<NMHDR*>(lp)->code == static_cast<UINT>(PSN_APPLY)) {
                m_look = {m_lf, m_fore.GetRGB(), m_back.GetRGB()};
                m_applied = true;
                return SetResult(PSNRET_NOERROR);
            }
            return FALSE;
        default: return FALSE;
        }
    }

    ListLook& m_look;
    CSelectFont m_font;
    CHueWell m_fore;
    CHueWell m_back;
    LOGFONTA m_lf{};
    bool m_applied = false;
};

} // namespace

bool RunPageSettings(HWND owner, const std::string& tabName, ListLook& look) {
    const std::string caption = tabName + " - 页面设置";
    CFontSetPage page(look);
    PROPSHEETPAGEA desc = page.Describe(false);
    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_USEHICON | PSH_NOAPPLYNOW;
    header.hwndParent = owner;
    header.hInstance = win::Instance();
    header.pszCaption = caption.c_str();
    header.nPages = 1;
    header.ppsp = &desc;
    return RunSettingsSheet(header) > 0 && page.Applied();
}

} // namespace nuntio
