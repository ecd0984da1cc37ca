// The font and colour sheet: one page ("字体颜色") with a font picker and two
// colour wells over the placeholders of its template. OK hands the choice to
// the category's list at once; the category then keeps it in its
// configuration.
#include "settings/page_settings.h"
#include "win/help.h"

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <cstring>
#include <string>

#include "categories/msg_category.h"
#include "dialogs_res.h"
#include "settings/color_well.h"
#include "settings/font_picker.h"

namespace {

constexpr UINT WM_FONTPICKED = WM_USER + 200; // 0x04C8

class CFontSetPage {
public:
    explicit CFontSetPage(CMsgCategory* category) : m_category(category) {
        m_lf.lfHeight = -12;
        m_lf.lfWeight = FW_NORMAL;
        m_lf.lfCharSet = GB2312_CHARSET;
        m_lf.lfOutPrecision = OUT_STROKE_PRECIS;
        m_lf.lfClipPrecision = CLIP_STROKE_PRECIS;
        m_lf.lfQuality = DRAFT_QUALITY;
        m_lf.lfPitchAndFamily = VARIABLE_PITCH;
        std::strcpy(m_lf.lfFaceName, "宋体");
    }

    PROPSHEETPAGEA Page() {
        PROPSHEETPAGEA page{};
        page.dwSize = sizeof page;
        page.dwFlags = PSP_DEFAULT;
        page.hInstance = win::Instance();
        page.pszTemplate = MAKEINTRESOURCEA(IDD_FONTSET);
        page.pfnDlgProc = &CFontSetPage::DlgProc;
        page.lParam = reinterpret_cast<LPARAM>(this);
        return page;
    }

    bool Applied() const { return m_applied; }

private:
    static INT_PTR CALLBACK DlgProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
        try {
            CFontSetPage* self = nullptr;
            if (msg == WM_INITDIALOG) {
                self = reinterpret_cast<CFontSetPage*>(reinterpret_cast<PROPSHEETPAGEA*>(lp)->lParam);
                ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
                self->m_hwnd = hwnd;
                return self->OnInitDialog();
            }
            self = reinterpret_cast<CFontSetPage*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
            if (self == nullptr) return FALSE;
            if (msg == WM_NCDESTROY) {
                ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
                self->m_hwnd = nullptr;
                return FALSE;
            }
            return self->HandleMessage(msg, wp, lp);
        } catch (...) {
            return FALSE;
        }
    }

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
        if (m_category == nullptr || m_category->ListHandle() == nullptr) return TRUE;
        m_lf = m_category->WorkingFont();
        m_font.SetCurFont(&m_category->WorkingFont());
        m_fore.SetRGB(ListView_GetTextColor(m_category->ListHandle()));
        m_back.SetRGB(ListView_GetBkColor(m_category->ListHandle()));
        return TRUE;
    }

    INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
        switch (msg) {
        case WM_FONTPICKED:
            if (wp != 0) std::memcpy(&m_lf, reinterpret_cast<const LOGFONTA*>(wp), sizeof m_lf);
            return TRUE;
        case WM_NOTIFY:
            if (reinterpret_cast<NMHDR*>(lp)->code == static_cast<UINT>(PSN_APPLY)) {
                OnOK();
                ::SetWindowLongPtrA(m_hwnd, DWLP_MSGRESULT, PSNRET_NOERROR);
                return TRUE;
            }
            return FALSE;
        default: return FALSE;
        }
    }

    void OnOK() {
        m_applied = true;
        if (m_category == nullptr || m_category->ListHandle() == nullptr) return;
        // The rows take the font as it is; the header drops italic, underline
        // and strike-out.
        m_category->WorkingFont() = m_lf;
        m_category->ApplyFonts();
        HWND list = m_category->ListHandle();
        const COLORREF back = m_back.GetRGB();
        ListView_SetTextColor(list, m_fore.GetRGB());
        ListView_SetTextBkColor(list, back);
        ListView_SetBkColor(list, back);
        if (m_category->ImageList() != nullptr) ::ImageList_SetBkColor(m_category->ImageList(), back);
    }

    CSelectFont m_font{nullptr};
    CHueWell m_fore;
    CHueWell m_back;
    LOGFONTA m_lf{};
    CMsgCategory* m_category = nullptr;
    HWND m_hwnd = nullptr;
    bool m_applied = false;
};

int CALLBACK SheetCallback(HWND sheet, UINT msg, LPARAM /*lp*/) {
    if (msg == PSCB_INITIALIZED) {
        ::SetDlgItemTextA(sheet, IDOK, "确定(&O)");
        ::SetDlgItemTextA(sheet, IDCANCEL, "取消(&C)");
        ::SetDlgItemTextA(sheet, IDHELP, "帮助(&H)");
        // Centred over the message-center window.
        HWND owner = ::GetWindow(sheet, GW_OWNER);
        RECT own{}, rc{};
        if (owner != nullptr && ::IsWindowVisible(owner) && ::GetWindowRect(owner, &own) &&
            ::GetWindowRect(sheet, &rc)) {
            const int x = own.left + ((own.right - own.left) - (rc.right - rc.left)) / 2;
            const int y = own.top + ((own.bottom - own.top) - (rc.bottom - rc.top)) / 2;
            ::SetWindowPos(sheet, nullptr, x > 0 ? x : 0, y > 0 ? y : 0, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    return 0;
}

class CFontSetSheet {
public:
    CFontSetSheet(std::string caption, HWND parent, CMsgCategory* category)
        : m_caption(std::move(caption)), m_parent(parent), m_page(category) {}

    bool DoModal() {
        PROPSHEETPAGEA page = m_page.Page();
        PROPSHEETHEADERA header{};
        header.dwSize = sizeof header;
        header.dwFlags = PSH_PROPSHEETPAGE | PSH_USEHICON | PSH_NOAPPLYNOW | PSH_USECALLBACK;
        header.hwndParent = m_parent;
        header.hInstance = win::Instance();
        header.hIcon = nullptr;
        header.pszCaption = m_caption.c_str();
        header.nPages = 1;
        header.nStartPage = 0;
        header.ppsp = &page;
        header.pfnCallback = &SheetCallback;
        const INT_PTR result = ::PropertySheetA(&header);
        return result > 0 && m_page.Applied();
    }

private:
    std::string m_caption;
    HWND m_parent;
    CFontSetPage m_page;
};

} // namespace

namespace nuntio {

bool RunPageSettings(CMsgCategory& category) {
    CFontSetSheet sheet(std::string(category.TabName()) + " - 页面设置", category.Parent(), &category);
    return sheet.DoModal();
}

} // namespace nuntio
