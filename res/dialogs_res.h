// Ids of the column settings dialog, the find window and the font and colour
// page. Shared by res/dialogs.rc and the code of those windows.
#pragma once

// Column settings
#define IDD_COLUMNSET 5020
#define IDC_COL_AVAILABLE 5005
#define IDC_COL_APPLIED 5006
#define IDC_COL_ADD 5007
#define IDC_COL_REMOVE 5008
#define IDC_COL_ADDALL 5009
#define IDC_COL_REMOVEALL 5010
#define IDC_COL_UP 5011
#define IDC_COL_DOWN 5012
#define IDC_COL_HELP 57670

// Find
#define IDD_FIND 5034
#define IDC_FIND_CONDITIONS 5028
#define IDC_FIND_KEYWORD 5029
#define IDC_FIND_RANGE 5030
#define IDC_FIND_SEARCH 5031
#define IDC_FIND_RESULTS 5032
#define IDC_FIND_RESULTFRAME 5033
#define IDC_FIND_STATUS 5035

// Font and colour page
#define IDD_FONTSET 5048
#define IDC_FONTSET_FONT 5019
#define IDC_FONTSET_FORE 5020
#define IDC_FONTSET_BACK 5021
