// What the categories and the export run: the settings sheet around the
// category's configuration, and the alert property dialog around a record.
#include "settings/category_settings.h"

#include <string>

#include "categories/msg_category.h"
#include "host/module.h"
#include "settings/alert_action.h"
#include "settings/setting_sheet.h"

namespace nuntio {

bool RunCategorySettings(CMsgCategory& category) {
    const int kind = category.Kind();
    CSettingSheet sheet(kind == 0 ? "报警设置" : "交易设置", category.Parent(), kind, 0);
    CNormalSetPage& prompt = kind == 0 ? static_cast<CNormalSetPage&>(sheet.m_alertPage) : sheet.m_tradePage;
    prompt.m_setting = category.Config().GetPromptSetting();
    prompt.m_countDropped = [&category](uint8_t keepMode, int32_t keepLimit) {
        return category.CountRetention(keepMode, keepLimit);
    };
    if (kind == 0) Module().GetAlertDefaultSet(sheet.m_actionPage.m_prop);

    if (sheet.DoModal() != IDOK) return false;

    if (kind == 0) Module().SetAlertDefaultSet(sheet.m_actionPage.m_prop);
    category.Config().SetPromptSetting(prompt.m_setting);
    category.LoadSkin();
    const CfgResult saved = category.Config().Save();
    if (!saved.ok()) {
        const std::string text = "无法保存配置文件 " + saved.path + "。";
        ::MessageBoxA(category.Parent(), text.c_str(), "消息中心", MB_OK | MB_ICONEXCLAMATION);
    }
    category.ApplyRetention();
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
