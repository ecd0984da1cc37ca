// A category's customisable toolbar: its seven commands, an arrangement the
// user can change with the toolbar's customise dialog, kept per user and per
// toolbar in the registry.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

class CMsgToolBar {
public:
    static constexpr DWORD kStyle = 0x50800921; // child, visible, border, flat, tooltips, adjustable, top

    CMsgToolBar() = default;
    ~CMsgToolBar();
    CMsgToolBar(const CMsgToolBar&) = delete;
    CMsgToolBar& operator=(const CMsgToolBar&) = delete;

    bool Create(DWORD style, const RECT& rc, HWND parent, UINT id, UINT firstCmd, UINT lastCmd,
                const std::string& user);
    HWND Handle() const { return m_hwnd; }
    // Notifications the toolbar sent to its parent; TRUE when handled here.
    BOOL OnChildNotify(NMHDR* hdr, LRESULT* result);
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
};
