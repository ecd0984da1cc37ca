#include "center/msg_toolbar.h"

#include <cstdio>
#include <cstring>

#include "host/module.h"

namespace {
constexpr const char* kKeyFormat = "Software\\Corvane\\Ostrel证券平台\\User\\%s\\MsgCent\\Toolbar";
}

CMsgToolBar::~CMsgToolBar() {
    if (m_hwnd != nullptr && ::IsWindow(m_hwnd)) ::DestroyWindow(m_hwnd);
}

bool CMsgToolBar::Create(DWORD style, const RECT& rc, HWND parent, UINT id, UINT firstCmd, UINT lastCmd,
                         const std::string& user) {
    char key[512];
    std::snprintf(key, sizeof key, kKeyFormat, user.c_str());
    m_strRegKey = key;
    m_strValueName = std::to_string(id);
    m_nFirstCmd = firstCmd & 0xFFFF;
    m_nLastCmd = lastCmd & 0xFFFF;
    m_nId = id;
    HINSTANCE module = nuntio::ModuleInstance();
    m_hwnd = ::CreateWindowExA(0, TOOLBARCLASSNAMEA, "", style, rc.left, rc.top, rc.right - rc.left,
                               rc.bottom - rc.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), module,
                               nullptr);
    if (m_hwnd == nullptr) return false;
    ::SendMessageA(m_hwnd, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    m_nButtonCount = static_cast<int>(m_nLastCmd - m_nFirstCmd + 1);
    TBADDBITMAP bitmap{module, id};
    ::SendMessageA(m_hwnd, TB_ADDBITMAP, static_cast<WPARAM>(m_nButtonCount), reinterpret_cast<LPARAM>(&bitmap));

    m_buttons.assign(static_cast<size_t>(m_nButtonCount), TBBUTTON{});
    for (int i = 0; i < m_nButtonCount; ++i) {
        TBBUTTON& b = m_buttons[static_cast<size_t>(i)];
        b.iBitmap = i;
        b.idCommand = static_cast<int>(m_nFirstCmd) + i;
        b.fsState = TBSTATE_ENABLED;
        b.fsStyle = TBSTYLE_BUTTON;
        b.iString = -1;
    }
    TBBUTTON sep{};
    sep.fsState = TBSTATE_ENABLED;
    sep.fsStyle = TBSTYLE_SEP;
    for (int i = 0; i < m_nButtonCount; ++i) {
        ::SendMessageA(m_hwnd, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&m_buttons[static_cast<size_t>(i)]));
        if (i == 1 || i == 4 || i == 6) ::SendMessageA(m_hwnd, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&sep));
    }
    RestoreState();
    return true;
}

void CMsgToolBar::SaveState() {
    TBSAVEPARAMSA params{HKEY_CURRENT_USER, m_strRegKey.c_str(), m_strValueName.c_str()};
    ::SendMessageA(m_hwnd, TB_SAVERESTOREA, TRUE, reinterpret_cast<LPARAM>(&params));
}

void CMsgToolBar::RestoreState() {
    TBSAVEPARAMSA params{HKEY_CURRENT_USER, m_strRegKey.c_str(), m_strValueName.c_str()};
    ::SendMessageA(m_hwnd, TB_SAVERESTOREA, FALSE, reinterpret_cast<LPARAM>(&params));
}

BOOL CMsgToolBar::OnChildNotify(NMHDR* hdr, LRESULT* result) {
    switch (hdr->code) {
    case TBN_CUSTHELP: ::MessageBoxA(m_hwnd, "Help not implemented!", "", MB_OK); return TRUE;
    case TBN_TOOLBARCHANGE: return TRUE;
    case TBN_QUERYDELETE:
    case TBN_QUERYINSERT: *result = TRUE; return TRUE;
    case TBN_RESET: RestoreState(); *result = TRUE; return TRUE;
    case TBN_ENDADJUST:
    case TBN_BEGINADJUST: SaveState(); return TRUE;
    case TBN_ENDDRAG: *result = 0; return TRUE;
    case TBN_BEGINDRAG: *result = 0; return FALSE;
    case TBN_GETBUTTONINFOA: {
        auto* info = reinterpret_cast<NMTOOLBARA*>(hdr);
        if (info->iItem >= m_nButtonCount || info->iItem < 0) {
            *result = FALSE;
            return TRUE;
        }
        char text[256] = {};
        ::LoadStringA(nuntio::ModuleInstance(), m_nFirstCmd + static_cast<UINT>(info->iItem), text, sizeof text);
        if (info->pszText != nullptr && info->cchText > 0) {
            ::lstrcpynA(info->pszText, text, info->cchText);
        }
        info->tbButton = m_buttons[static_cast<size_t>(info->iItem)];
        *result = TRUE;
        return TRUE;
    }
    case TTN_NEEDTEXTA: {
        auto* tip = reinterpret_cast<NMTTDISPINFOA*>(hdr);
        tip->hinst = nuntio::ModuleInstance();
        tip->lpszText = MAKEINTRESOURCEA(hdr->idFrom);
        return TRUE;
    }
    default: return FALSE;
    }
}
