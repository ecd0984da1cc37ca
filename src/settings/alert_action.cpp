// The alert action page and the alert property dialog.
#include "settings/alert_action.h"
#include "win/help.h"

#include "settings_res.h"

namespace nuntio {

namespace {

constexpr const char* kAlertHelpTopic = "::/xx_报警设置.htm";

bool Checked(HWND dialog, int id) {
    return ::IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

// The button's state as it is stored: 0 unchecked, 1 checked.
uint8_t State(HWND dialog, int id) {
    return Checked(dialog, id) ? 1 : 0;
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

} // namespace

namespace alert_action {

void Show(HWND d, const AlertProperty& prop) {
    switch (prop.Sound) {
    case 1:
        Check(d, IDC_AP_SOUND, true);
        RuleSound(d);
        Check(d, IDC_AP_VOICE, true);
        RuleVoice(d);
        Check(d, prop.VoiceOnce != 1 ? IDC_AP_REPEAT : IDC_AP_ONCE, true);
        break;
    case 2:
        Check(d, IDC_AP_SOUND, true);
        RuleSound(d);
        Check(d, IDC_AP_BEEP, true);
        RuleBeep(d);
        break;
    default:
        // Any other value shows as no sound.
        Check(d, IDC_AP_SOUND, false);
        RuleSound(d);
        break;
    }
    if (prop.Visual != 0) {
        Check(d, IDC_AP_VISUAL, true);
        RuleVisual(d);
        Check(d, IDC_AP_ICONFLASH, prop.IconFlash != 0);
        Check(d, IDC_AP_POPUP, prop.Popup != 0);
    } else {
        Check(d, IDC_AP_VISUAL, false);
        RuleVisual(d);
    }
    Check(d, IDC_AP_EMAIL, prop.Email != 0);
    RuleEmail(d);
    Check(d, IDC_AP_SHORTMSG, prop.ShortMsg != 0);
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
    if (!Checked(d, IDC_AP_SOUND)) {
        prop.Sound = 0; // VoiceOnce keeps its value
    } else if (Checked(d, IDC_AP_BEEP)) {
        prop.Sound = 2;
    } else if (Checked(d, IDC_AP_VOICE)) {
        prop.Sound = 1;
        prop.VoiceOnce = Checked(d, IDC_AP_ONCE) ? 1 : 0;
    } // sound checked without a kind chosen: both bytes stay
    if (Checked(d, IDC_AP_VISUAL)) {
        prop.Visual = 1;
        prop.IconFlash = State(d, IDC_AP_ICONFLASH);
        prop.Popup = State(d, IDC_AP_POPUP);
    } else {
        prop.Visual = 0; // IconFlash and Popup keep their values
    }
    prop.Email = State(d, IDC_AP_EMAIL);
    prop.ShortMsg = State(d, IDC_AP_SHORTMSG);
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
