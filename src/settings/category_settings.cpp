// What the categories and the export run: the settings sheet over a
// category's values, and the alert property dialog over a record.
#include "settings/category_settings.h"

#include <string>

#include "settings/alert_action.h"
#include "settings/setting_sheet.h"

namespace nuntio {

bool RunCategorySettings(HWND owner, CategorySettings& settings) {
    const int kind = settings.kind;
    CSettingSheet sheet(kind == 0 ? "报警设置" : "交易设置", owner, kind, 0);
    CNormalSetPage& prompt = kind == 0 ? static_cast<CNormalSetPage&>(sheet.m_alertPage) : sheet.m_tradePage;
    prompt.m_setting = settings.prompt;
    prompt.m_countDropped = settings.countDropped;
    sheet.m_actionPage.m_prop = settings.alertDefaults;
    if (sheet.DoModal() != IDOK) return false;
    settings.prompt = prompt.m_setting;
    settings.alertDefaults = sheet.m_actionPage.m_prop;
    return true;
}

int RunAlertPropertyDlg(AlertProperty& prop) {
    // One at a time: a second call (from a host timer while the first is up)
    // brings the one that is up forward.
    static CAlertPropertyDlg* s_open = nullptr;
    if (s_open != nullptr) {
        if (HWND up = s_open->Handle(); up != nullptr) ::SetForegroundWindow(up);
        return 0;
    }
    CAlertPropertyDlg dialog;
    dialog.m_prop = prop;
    s_open = &dialog;
    struct Done {
        ~Done() { s_open = nullptr; }
    } done;
    // Modal for the window the host works in, as a dialog of its own would be.
    HWND owner = ::GetActiveWindow();
    if (owner != nullptr) owner = ::GetAncestor(owner, GA_ROOTOWNER);
    const INT_PTR result = dialog.DoModal(owner);
    if (result != IDOK) return 0;
    prop = dialog.m_prop;
    return 1;
}

} // namespace nuntio
