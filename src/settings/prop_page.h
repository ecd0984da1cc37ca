// One page of a property sheet built from a template of the library. The page
// object is found through GWLP_USERDATA (stored at WM_INITDIALOG from the
// PROPSHEETPAGE's lParam); no exception leaves the page's procedure.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace nuntio {

class CPropPage {
public:
    explicit CPropPage(int templateId) : m_nTemplate(templateId) {}
    virtual ~CPropPage() = default;
    CPropPage(const CPropPage&) = delete;
    CPropPage& operator=(const CPropPage&) = delete;

    // The page's description for PropertySheetA: the library's template, this
    // object as lParam, a Help button that opens helpTopic.
    PROPSHEETPAGEA Describe(const char* helpTopic);
    HWND Handle() const { return m_hwnd; }
    // The page took part in the sheet's OK (it had been shown, so it got
    // PSN_APPLY and ran OnOK).
    bool ConfirmedWithOk() const { return m_bOk; }

protected:
    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnCommand(int /*id*/, int /*code*/) {}
    // Return true when handled; result becomes the message's result.
    virtual bool OnNotify(NMHDR& /*hdr*/, LRESULT& /*result*/) { return false; }
    // The user leaves the page (another tab, or OK): false keeps it shown.
    virtual bool OnKillActive() { return true; }
    // The sheet is about to close with OK: false keeps it open on this page,
    // and then neither this page nor those after it take their values.
    virtual bool CanApply() { return true; }
    // The sheet is closing with OK.
    virtual void OnOK() {}
    virtual void OnDestroy() {}

    HWND Item(int id) const { return ::GetDlgItem(m_hwnd, id); }
    bool IsChecked(int id) const { return ::IsDlgButtonChecked(m_hwnd, id) == BST_CHECKED; }

    HWND m_hwnd = nullptr;

private:
    INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    static INT_PTR CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;

    int m_nTemplate;
    std::string m_strHelpTopic;
    bool m_bOk = false;
};

} // namespace nuntio
