// What a category answers: its list's notifications, its commands, the
// context menu and the settings windows it runs.
#include <algorithm>
#include <string>
#include <vector>

#include "win/font_desc.h"
#include "categories/msg_category.h"
#include "core/selection.h"
#include "messages/column_settings.h"
#include "resource.h"
#include "settings/category_settings.h"
#include "settings/page_settings.h"
#include "win/dialog_keys.h"
#include <windowsx.h>
#include "win/help.h"

namespace nuntio {

uint32_t CMsgCategory::OnListNotify(HWND owner, UINT_PTR id, NMHDR* hdr, LRESULT* result) {
    if (hdr->hwndFrom == m_toolbar.Handle() && m_toolbar.Handle() != nullptr) {
        return m_toolbar.OnChildNotify(hdr, result) ? kDone : kNotHandled;
    }
    if (hdr->code == TTN_NEEDTEXTA && m_look.firstCmd <= static_cast<int>(id) &&
        static_cast<int>(id) <= m_look.lastCmd) {
        // The toolbar's tooltips: the string resource of the button's command.
        auto* tip = reinterpret_cast<NMTTDISPINFOA*>(hdr);
        tip->hinst = win::Instance();
        tip->lpszText = MAKEINTRESOURCEA(id);
        return kDone;
    }
    if (id != static_cast<UINT_PTR>(m_look.listId) || hdr->hwndFrom != m_hList) return kNotHandled;
    switch (hdr->code) {
    case LVN_GETDISPINFOA: OnGetDispInfo(*reinterpret_cast<NMLVDISPINFOA*>(hdr)); return kDone;
    // A selection that changed other than by our own hand (click, keyboard,
    // the find window): read again, and the delete commands follow it.
    case LVN_ITEMCHANGED: {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(hdr);
        if (m_nOwnSelChange == 0 && (change->uChanged & LVIF_STATE) != 0 &&
            ((change->uNewState ^ change->uOldState) & LVIS_SELECTED) != 0) {
            m_bSelKnown = false;
            UpdateDeleteCommands();
        }
        return kNotHandled;
    }
    case LVN_ODSTATECHANGED:
        if (m_nOwnSelChange == 0) {
            m_bSelKnown = false;
            UpdateDeleteCommands();
        }
        return kNotHandled;
    case LVN_KEYDOWN:
        if (reinterpret_cast<NMLVKEYDOWN*>(hdr)->wVKey == VK_DELETE) DeleteSelected();
        return kDone;
    case NM_CUSTOMDRAW:
        ReadBackWidths();
        *result = CDRF_DODEFAULT;
        return kDone;
    case NM_SETFOCUS:
    case NM_CLICK: UpdateDeleteCommands(); return kDone;
    case NM_RCLICK:
        ShowContextMenu(owner);
        *result = 1; // the menu is up: no WM_CONTEXTMENU after it
        return kDone;
    case NM_DBLCLK:
    case NM_RETURN: OnOpenMessage(); return kDone;
    default: return kNotHandled;
    }
}

uint32_t CMsgCategory::ShowContextMenu(HWND owner) {
    POINT pt{};
    ::GetCursorPos(&pt);
    return TrackContextMenu(owner, pt);
}

uint32_t CMsgCategory::ShowContextMenuAt(HWND owner, LPARAM where) {
    if (where != -1) return TrackContextMenu(owner, {GET_X_LPARAM(where), GET_Y_LPARAM(where)});
    // From the keyboard (Shift+F10, the Menu key): at the focused row when it
    // is in view, else at the top left of the rows.
    RECT client{};
    ::GetClientRect(m_hList, &client);
    RECT header{};
    if (HWND h = ListView_GetHeader(m_hList); h != nullptr && ::IsWindowVisible(h))
        ::GetWindowRect(h, &header);
    client.top += header.bottom - header.top;
    POINT pt{client.left, client.top};
    const int focused = ListView_GetNextItem(m_hList, -1, LVNI_FOCUSED);
    RECT row{};
    RECT shown{};
    if (focused >= 0 && ListView_GetItemRect(m_hList, focused, &row, LVIR_BOUNDS) &&
        ::IntersectRect(&shown, &row, &client)) {
        RECT icon{};
        ListView_GetItemRect(m_hList, focused, &icon, LVIR_ICON);
        pt = {(icon.left + icon.right) / 2, (shown.top + shown.bottom) / 2};
    }
    ::ClientToScreen(m_hList, &pt);
    return TrackContextMenu(owner, pt);
}

uint32_t CMsgCategory::TrackContextMenu(HWND owner, POINT pt) {
    HMENU popup = PopupSubMenu();
    if (popup == nullptr) return kNoSubMenu;
    ::SetForegroundWindow(owner);
    ::TrackPopupMenu(popup, TPM_LEFTALIGN, pt.x, pt.y, 0, owner, nullptr);
    return kDone;
}

bool CMsgCategory::TranslateKey(HWND owner, MSG& msg) {
    const bool shift = ::GetKeyState(VK_SHIFT) < 0;
    const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
    const bool alt = ::GetKeyState(VK_MENU) < 0;
    // The context menu of the list: the Menu key and Shift+F10. The Menu
    // key's release would make a second one on some systems: it goes too.
    if (msg.wParam == VK_APPS && (msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP)) {
        msg.message = WM_NULL;
        return true;
    }
    const bool menuKey = msg.message == WM_KEYDOWN && msg.wParam == VK_APPS && !ctrl && !alt;
    const bool shiftF10 = msg.message == WM_SYSKEYDOWN && msg.wParam == VK_F10 && shift && !ctrl && !alt;
    if ((menuKey || shiftF10) && msg.hwnd == m_hList) {
        msg = {owner, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_hList), -1, msg.time, msg.pt};
        return true;
    }
    // The command keys of the menus (Ctrl+F, Del, Ctrl+Plus, Ctrl+Minus).
    HACCEL keys = ::LoadAcceleratorsA(win::Instance(), MAKEINTRESOURCEA(m_look.menuId));
    const WORD command = win::AcceleratorCommand(keys, msg);
    if (command == 0) return false;
    msg = {owner, WM_COMMAND, MAKEWPARAM(command, 1), 0, msg.time, msg.pt};
    return true;
}

uint32_t CMsgCategory::OnCategoryCommand(HWND owner, WPARAM wp, LPARAM /*lp*/) {
    const int offset = static_cast<int>(LOWORD(wp)) - m_look.firstCmd;
    switch (offset) {
    case CMD_DELETE: return DeleteSelected();
    case CMD_DELETE_ALL: {
        // Messages that arrive while the question is up are not part of the answer.
        std::vector<int32_t> listed(static_cast<size_t>(GetMsgCount()));
        for (size_t i = 0; i < listed.size(); ++i)
            listed[i] = GetMsgSerial(static_cast<int>(i));
        if (::MessageBoxA(owner, "删除所有列表的消息？", "确认", MB_YESNO | MB_ICONQUESTION) == IDYES)
            return DeleteListed(listed);
        return kDone;
    }
    case CMD_PAGE_SETTINGS: OnPageSettings(); return Kind() == 0 ? kNotHandled : kDone;
    case CMD_COLUMN_SETTINGS: return OnColumnSettings();
    case CMD_CATEGORY_SETTINGS: return OnCategorySettings();
    case CMD_FONT_LARGER: return ZoomFont(true);
    case CMD_FONT_SMALLER: return ZoomFont(false);
    default: return kNotHandled;
    }
}

uint32_t CMsgCategory::ZoomFont(bool enlarge) {
    m_lfWork.lfHeight = nuntio::ZoomedHeight(m_lfWork.lfHeight, enlarge);
    ApplyFonts();
    m_config.m_lfList = win::FromLogFont(m_lfWork);
    return kDone;
}

uint32_t CMsgCategory::OnColumnSettings() {
    ReadBackPositions();
    nuntio::ColumnChoice choice;
    choice.columns = std::clamp<int>(m_config.m_nColumns, 0, 10);
    for (int slot = 0; slot < choice.columns; ++slot) {
        choice.positions[slot] = m_config.m_nColPos[slot];
        choice.names[slot] = m_look.headings[slot];
    }
    if (!nuntio::RunColumnSettings(m_hParent, choice)) return kDone;
    for (int slot = 0; slot < choice.columns; ++slot)
        m_config.m_nColPos[slot] = choice.positions[slot];
    RebuildColumns();
    return kDone;
}

uint32_t CMsgCategory::OnCategorySettings() {
    nuntio::CategorySettings settings;
    settings.kind = Kind();
    settings.prompt = m_config.GetPromptSetting();
    if (Kind() == 0 && m_sink != nullptr) settings.alertDefaults = m_sink->AlertDefaults();
    settings.countDropped = [this](uint8_t keepMode, int32_t keepLimit) {
        return CountRetention(keepMode, keepLimit);
    };
    if (!nuntio::RunCategorySettings(m_hParent, settings)) return kDone;
    if (Kind() == 0 && m_sink != nullptr) m_sink->SetAlertDefaults(settings.alertDefaults);
    m_config.SetPromptSetting(settings.prompt);
    LoadSkin();
    const nuntio::CfgResult saved = m_config.Save();
    if (!saved.ok()) {
        const std::string text = "无法保存配置文件 " + saved.path + "。";
        ::MessageBoxA(m_hParent, text.c_str(), "消息中心", MB_OK | MB_ICONEXCLAMATION);
    }
    ApplyRetention();
    return kDone;
}

uint32_t CMsgCategory::OnPageSettings() {
    nuntio::ListLook look{m_lfWork, m_config.m_crText, m_config.m_crBack};
    if (!nuntio::RunPageSettings(m_hParent, TabName(), look)) return kDone;
    // The rows take the font as it is; the header drops italic, underline and
    // strike-out.
    m_lfWork = look.font;
    ApplyFonts();
    m_config.m_lfList = win::FromLogFont(m_lfWork);
    m_config.m_crText = look.text;
    m_config.m_crBack = look.back;
    ApplyColors();
    ::RedrawWindow(m_hList, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return kDone;
}

} // namespace nuntio
