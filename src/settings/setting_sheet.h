// The category settings sheet ("报警设置" / "交易设置") over its pages, and
// the way every settings sheet of the library is run.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "settings/alert_action.h"
#include "settings/prompt_page.h"

namespace nuntio {

// Runs a settings sheet modally: its buttons get their mnemonics and it is
// centred over its owner (or the work area). What PropertySheetA returns.
INT_PTR RunSettingsSheet(PROPSHEETHEADERA& header);

class CSettingSheet {
public:
    // kind 0: the alert sheet (prompt page, action page); 1: the trade sheet
    // (prompt page); any other kind has no page.
    CSettingSheet(const char* caption, HWND parent, int kind, int selectedPage);
    CSettingSheet(const CSettingSheet&) = delete;
    CSettingSheet& operator=(const CSettingSheet&) = delete;

    // Runs the sheet modally: IDOK or IDCANCEL.
    INT_PTR DoModal();

    CTradeNormalSetPage m_tradePage;
    CAlertNormalSetPage m_alertPage;
    CAlertAlertSetPage m_actionPage;
    HICON m_hIcon = nullptr; // shared: LoadIcon's icons are never destroyed

private:
    const char* m_pszCaption;
    HWND m_hParent;
    int m_nKind;
    int m_nSelectedPage;
};

} // namespace nuntio
