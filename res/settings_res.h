// Resource and control ids of the settings windows: the prompt pages of the
// category settings sheet, the alert action page and the alert property
// dialog. Shared by res/settings.rc and src/settings/.
#pragma once

// Templates
#define IDD_ALERT_PROPERTY 4017
#define IDD_ALERT_ACTION_PAGE 4018
#define IDD_ALERT_PROMPT_PAGE 24004
#define IDD_TRADE_PROMPT_PAGE 24005

// Prompt pages (24004, 24005)
#define IDC_PS_KEEP_GROUP 1010
#define IDC_PS_DAYS 1017
#define IDC_PS_DAYS_SPIN 1018
#define IDC_PS_COUNT 1019
#define IDC_PS_COUNT_SPIN 1020
#define IDC_PS_NO_PROMPT 1024
#define IDC_PS_POPUP 1040
#define IDC_PS_PREVIEW 1042
#define IDC_PS_SKIN 1043
#define IDC_PS_BY_DATE 1046
#define IDC_PS_BY_COUNT 1047
#define IDC_PS_STAY 1048
#define IDC_PS_DAYS_UNIT 5003
#define IDC_PS_COUNT_UNIT 5004

// Alert action page (4018) and alert property dialog (4017)
#define IDC_AP_HELP 1000
#define IDC_AP_EMAIL_SET 4049
#define IDC_AP_SHORTMSG_SET 4050
#define IDC_AP_SOUND 4051
#define IDC_AP_EMAIL 4053
#define IDC_AP_BEEP 4054
#define IDC_AP_SHORTMSG 4060
#define IDC_AP_ONCE 4062
#define IDC_AP_VOICE 4063
#define IDC_AP_REPEAT 4064
#define IDC_AP_EMAIL_NOTE 4071
#define IDC_AP_SHORTMSG_NOTE 4072
#define IDC_AP_VISUAL 4166
#define IDC_AP_ICONFLASH 4167
#define IDC_AP_POPUP 4168

// The box of the skin preview on the prompt pages (dialog units); the picture
// is centred in it.
#define PS_PREVIEW_X 14
#define PS_PREVIEW_Y 98
#define PS_PREVIEW_W 62
#define PS_PREVIEW_H 42
