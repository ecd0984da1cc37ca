// The alert action settings: the same controls and rules on the alert action
// page of the alert settings sheet (template 4018, the module's default flags)
// and on the alert property dialog (template 4017, one alert's flags).
#pragma once

#include <windows.h>

#include "nuntio.h"
#include "settings/prop_page.h"
#include "win/thunk.h"

namespace nuntio {

// What both windows do with their controls; which flags the controls show
// and take back is the core's rule (alert_checks.h).
namespace alert_action {
// Shows prop in the controls of dialog and runs the enabling rules.
void Show(HWND dialog, const AlertProperty& prop);
// A click on one of the controls: runs that control's enabling rule.
void OnClick(HWND dialog, int id);
// Takes the controls back into prop (OK).
void Take(HWND dialog, AlertProperty& prop);
} // namespace alert_action

// "报警缺省设置": the second page of the alert settings sheet.
class CAlertAlertSetPage : public CPropPage {
public:
    CAlertAlertSetPage();
    AlertProperty m_prop{};

protected:
    BOOL OnInitDialog() override;
    void OnCommand(int id, int code) override;
    void OnOK() override;
};

// "报警": the modal dialog that OpenAlertPropertyDlg shows.
class CAlertPropertyDlg : public win::Dialog {
public:
    AlertProperty m_prop{};
    // Runs the dialog modally for owner (disabled while it is up); IDOK,
    // IDCANCEL or -1.
    INT_PTR DoModal(HWND owner);
    HWND Handle() const { return m_hwnd; }

protected:
    INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
};

} // namespace nuntio
