// Resource and control ids of Nuntio.dll. Shared by the .rc files and the code.
#pragma once

// Icons
#define IDI_MSGCENTER 129
#define IDI_ROW_LATEST 139
#define IDI_ROW_OPENED 140
#define IDI_ROW_EARLIER 141
#define IDI_ROW_HEADER 142
#define IDI_ROW_TRADE 143
#define IDI_ROW_SPARE 144
#define IDI_TAB_ALERT 4003
#define IDI_TAB_TRADE 4004

// Message-center window
#define IDD_MSGCENTER 5001
#define IDC_TABS 5000
#define IDC_STATUSBAR 4000
