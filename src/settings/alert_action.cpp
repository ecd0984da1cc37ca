// The alert action page and the alert property dialog.
#include "settings/alert_action.h"
#include "win/help.h"

#include <utility>

#include "core/alert_checks.h"
#include "settings_res.h"

namespace nuntio {

namespace {

constexpr const char* kAlertHelpTopic = "::/xx_报警设置.htm";

bool Checked(HWND dialog, int id) {
    return ::IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void Check(HWND dialog, int id, bool on) {
    ::CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

void Enable(HWND dialog, std::initializer_list<int> ids, bool on) {
    for (int id : ids)
        ::EnableWindow(::GetDlgItem(dialog, id), on ? TRUE : FALSE);
}

// The enabling rules, each run by its trigger's click.
void RuleSound(HWND d) {
    Enable(d, {IDC_AP_BEEP, IDC_AP_VOICE, IDC_AP_ONCE, IDC_AP_REPEAT}, Checked(d, IDC_AP_SOUND));
}
void RuleBeep(HWND d) {
    Enable(d, {IDC_AP_ONCE, IDC_AP_REPEAT}, !Checked(d, IDC_AP_BEEP));
}
void RuleVoice(HWND d) {
    Enable(d, {IDC_AP_ONCE, IDC_AP_REPEAT}, Checked(d, IDC_AP_VOICE));
}
void RuleVisual(HWND d) {
    Enable(d, {IDC_AP_ICONFLASH, IDC_AP_POPUP}, Checked(d, IDC_AP_VISUAL));
}
void RuleEmail(HWND d) {
    Enable(d, {IDC_AP_EMAIL_SET}, Checked(d, IDC_AP_EMAIL));
}
void RuleShortMsg(HWND d) {
    Enable(d, {IDC_AP_SHORTMSG_SET}, Checked(d, IDC_AP_SHORTMSG));
}

// The controls that show the flags, each with the check it stands for.
constexpr std::pair<int, bool AlertChecks::*> kBoxes[] = {
    {IDC_AP_SOUND, &AlertChecks::sound},         {IDC_AP_BEEP, &AlertChecks::beep},
    {IDC_AP_VOICE, &AlertChecks::voice},         {IDC_AP_ONCE, &AlertChecks::once},
    {IDC_AP_REPEAT, &AlertChecks::repeat},       {IDC_AP_VISUAL, &AlertChecks::visual},
    {IDC_AP_ICONFLASH, &AlertChecks::iconFlash}, {IDC_AP_POPUP, &AlertChecks::popup},
    {IDC_AP_EMAIL, &AlertChecks::email},         {IDC_AP_SHORTMSG, &AlertChecks::shortMsg},
};

} // namespace

namespace alert_action {

void Show(HWND d, const AlertProperty& prop) {
    const AlertChecks checks = ChecksOf(prop);
    for (const auto& [id, check] : kBoxes)
        Check(d, id, checks.*check);
    // The sound's rule first, then its kind's: a beep leaves once and
    // repeat disabled.
    RuleSound(d);
    if (checks.voice) RuleVoice(d);
    if (checks.beep) RuleBeep(d);
    RuleVisual(d);
    RuleEmail(d);
    RuleShortMsg(d);
}

void OnClick(HWND d, int id) {
    switch (id) {
    case IDC_AP_SOUND: RuleSound(d); break;
    case IDC_AP_BEEP: RuleBeep(d); break;
    case IDC_AP_VOICE: RuleVoice(d); break;
    case IDC_AP_VISUAL: RuleVisual(d); break;
    case IDC_AP_EMAIL: RuleEmail(d); break;
    case IDC_AP_SHORTMSG: RuleShortMsg(d); break;
    default: break; // 4167 and 4168 only check themselves; 4049 and 4050 do nothing
    }
}

void Take(HWND d, AlertProperty& prop) {
    AlertChecks checks;
    for (const auto& [id, check] : kBoxes)
        checks.*check = Checked(d, id);
    TakeChecks(checks, prop);
}

} // namespace alert_action

CAlertAlertSetPage::CAlertAlertSetPage() : CPropPage(IDD_ALERT_ACTION_PAGE) {}

BOOL CAlertAlertSetPage::OnInitDialog() {
    alert_action::Show(m_hwnd, m_prop);
    return TRUE;
}

void CAlertAlertSetPage::OnCommand(int id, int code) {
    if (code == BN_CLICKED) alert_action::OnClick(m_hwnd, id);
}

void CAlertAlertSetPage::OnOK() {
    alert_action::Take(m_hwnd, m_prop);
}

INT_PTR CAlertPropertyDlg::DoModal(HWND owner) {
    return RunModal(win::Instance(), IDD_ALERT_PROPERTY, owner);
}

INT_PTR CAlertPropertyDlg::HandleMessage(UINT msg, WPARAM wp, LPARAM /*lp*/) {
    switch (msg) {
    case WM_INITDIALOG: alert_action::Show(m_hwnd, m_prop); return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wp);
        if (id == IDOK) {
            alert_action::Take(m_hwnd, m_prop);
            ::EndDialog(m_hwnd, IDOK);
        } else if (id == IDCANCEL) {
            ::EndDialog(m_hwnd, IDCANCEL);
        } else if (id == IDC_AP_HELP) {
            win::ShowHelpTopic(kAlertHelpTopic);
        } else if (HIWORD(wp) == BN_CLICKED) {
            alert_action::OnClick(m_hwnd, id);
        }
        return TRUE;
    }
    default: return FALSE;
    }
}

} // namespace nuntio
