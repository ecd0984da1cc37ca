// A settings page: the common answers to the sheet's notifications (leaving
// the page, OK, Help) over the library's property page.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "win/thunk.h"

namespace nuntio {

class CPropPage : public win::PropertyPage {
public:
    explicit CPropPage(int templateId) : win::PropertyPage(templateId) {}

    // The page's description for the sheet: the library's template, this
    // object, a Help button that opens helpTopic.
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

    bool IsChecked(int id) const { return ::IsDlgButtonChecked(m_hwnd, id) == BST_CHECKED; }

private:
    INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

    std::string m_strHelpTopic;
    bool m_bOk = false;
};

} // namespace nuntio
