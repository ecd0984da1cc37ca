// A customisable toolbar: a run of commands with one bitmap strip, an
// arrangement the user can change with the toolbar's customise dialog, kept
// under a registry key of HKEY_CURRENT_USER (the value named by the
// toolbar's id).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "win/handles.h"

namespace win {

class Toolbar {
public:
    static constexpr DWORD kStyle =
        WS_CHILD | WS_VISIBLE | WS_BORDER | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_ADJUSTABLE | CCS_TOP;

    Toolbar() = default;
    ~Toolbar();
    Toolbar(const Toolbar&) = delete;
    Toolbar& operator=(const Toolbar&) = delete;

    // id: the control id and the bitmap resource of the strip.
    bool Create(DWORD style, const RECT& rc, HWND parent, UINT id, UINT firstCmd, UINT lastCmd,
                const std::string& registryKey);
    HWND Handle() const { return m_hwnd; }
    // Notifications the toolbar sent to its parent; TRUE when handled here.
    BOOL OnChildNotify(NMHDR* hdr, LRESULT* result);
    // The buttons' pictures drawn for the scale nearest dpi (the strip at
    // 100 % is the one Create loads).
    void SetDpi(int dpi);
    void SaveState();
    void RestoreState();

private:
    HWND m_hwnd = nullptr;
    std::string m_strRegKey;
    std::string m_strValueName;
    UINT m_nFirstCmd = 0;
    UINT m_nLastCmd = 0;
    int m_nButtonCount = 0;
    std::vector<TBBUTTON> m_buttons;
    UINT m_nId = 0;
    int m_nScale = 100;    // percent: the scale of the strip shown
    UniqueImageList m_images; // the strip at that scale, once it changed from 100 %
};

} // namespace win
