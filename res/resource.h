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

// Menus
#define IDR_POPUP_MENUS 21001
#define IDR_ALERT_MENU 24002
#define IDR_TRADE_MENU 27002

// Commands shared by both categories' menus
#define ID_STATUSBAR 4000
#define ID_EXIT 21800
#define ID_TOOLBAR 21801
#define ID_TOGGLE_STATUS 21802
#define ID_FIND 32805
#define ID_HELP_ABOUT 57670

// Category commands: first command + offset
#define ID_ALERT_FIRST 24993
#define ID_TRADE_FIRST 27993
#define CMD_DELETE 0
#define CMD_DELETE_ALL 1
#define CMD_PAGE_SETTINGS 2
#define CMD_COLUMN_SETTINGS 3
#define CMD_CATEGORY_SETTINGS 4
#define CMD_FONT_LARGER 5
#define CMD_FONT_SMALLER 6

// Tray icon
#define IDT_TRAYFLASH 1
#define ID_TRAYICON 20010

// Toolbar bitmaps (also the toolbars' control ids)
#define IDB_TOOLBAR_ALERT 4001
#define IDB_TOOLBAR_TRADE 5027

// Popup skins and their previews
#define IDB_SKIN1 138
#define IDB_SKIN2 5021
#define IDB_SKIN3 5026
#define IDB_PREVIEW1 5008
#define IDB_PREVIEW2 5023
#define IDB_PREVIEW3 5004
