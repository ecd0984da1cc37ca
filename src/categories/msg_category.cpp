// A category's life: creation of its list, menus, toolbar and popup, showing
// and laying it out, closing (which saves), and the notices it gives.
#include "categories/msg_category.h"

#include <algorithm>
#include <utility>

#include "win/font_desc.h"
#include "resource.h"
#include "win/dpi.h"
#include "win/help.h"

namespace nuntio {

CMsgCategory::CMsgCategory(nuntio::CConfigDoc& config, CategoryLook look)
    : m_config(config), m_look(std::move(look)) {}

CMsgCategory::~CMsgCategory() {
    ResumeRedraw();
}

uint32_t CMsgCategory::Create(HWND parent, const nuntio::Session& session, ICategorySink& sink,
                              const char* cfgName) {
    if (parent == nullptr || !::IsWindow(parent)) return kNoParentWindow;
    m_hParent = parent;
    m_dpi = win::DpiOf(parent);
    m_sink = &sink;
    m_fs = session.fs;
    const nuntio::CfgResult cfg = m_config.LoadConfig(*session.fs, session.root, session.user, cfgName);
    if (cfg.status == nuntio::CfgStatus::kCannotOpen || cfg.status == nuntio::CfgStatus::kShort) {
        // The settings read so far stay; the rest keep their defaults. Told in
        // the status bar: a box here would run the host's timers (and their
        // messages) before the messages are loaded.
        AddNotice("无法完整读取配置文件 " + cfg.path + "，未读出的设置使用默认值" +
                  (m_config.Unread() ? "，文件保持原样。" : "。"));
    }
    LoadMessages();

    RECT rc{};
    ::GetClientRect(parent, &rc);
    rc.bottom -= kBottomMargin;
    HINSTANCE instance = win::Instance();
    m_hList =
        ::CreateWindowExA(0, WC_LISTVIEWA, "", kListStyle, rc.left, rc.top, rc.right - rc.left,
                          std::max<LONG>(0, rc.bottom - rc.top), parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(m_look.listId)), instance, nullptr);
    if (m_hList == nullptr) return kNoListView;
    CreateImageList();

    m_lfWork = win::ToLogFont(m_config.m_lfList);
    ApplyFonts();
    ApplyColors();
    InitColumns();
    FillList();

    m_hMenuBar.Reset(::LoadMenuA(instance, MAKEINTRESOURCEA(m_look.menuId)));
    m_hPopupMenu.Reset(::LoadMenuA(instance, MAKEINTRESOURCEA(m_look.popupMenuId)));
    if (!m_hMenuBar || !m_hPopupMenu) return kNoMenu;

    RECT empty{};
    // The arrangement is kept per user and per toolbar.
    m_toolbar.Create(win::Toolbar::kStyle, empty, parent, static_cast<UINT>(m_look.toolBitmapId),
                     static_cast<UINT>(m_look.firstCmd), static_cast<UINT>(m_look.lastCmd),
                     "Software\\Corvane\\Ostrel证券平台\\User\\" + session.user + "\\MsgCent\\Toolbar");
    m_toolbar.SetDpi(m_dpi);
    ::SendMessageA(m_toolbar.Handle(), TB_AUTOSIZE, 0, 0);
    ::ShowWindow(m_toolbar.Handle(), SW_HIDE);

    m_notifier.Create(parent);
    LoadSkin();
    m_notifier.SetFonts("Arial", 90, 1, 5);
    m_notifier.SetColors(0xE14040, 0xFF2020);
    return kDone;
}

void CMsgCategory::LoadSkin() {
    static constexpr int kSkins[] = {138, 5021, 5026};
    const int style = m_config.m_nPopupStyle;
    if (style < 0 || style > 2) return;
    m_notifier.SetTextMargins(RECT{6, 4, 6, 16});
    m_notifier.LoadSkin(kSkins[style], RGB(255, 0, 255));
}

HMENU CMsgCategory::PopupSubMenu() const {
    return m_hPopupMenu ? ::GetSubMenu(m_hPopupMenu.Get(), m_look.menuIndex) : nullptr;
}

void CMsgCategory::UpdateDeleteCommands() {
    const int first = m_look.firstCmd;
    const bool anySelected = ListView_GetSelectedCount(m_hList) > 0;
    const bool anyRow = GetMsgCount() > 0;
    const bool enable[2] = {anySelected, anyRow};
    for (int i = 0; i < 2; ++i) {
        const UINT id = static_cast<UINT>(first + i);
        ::SendMessageA(m_toolbar.Handle(), TB_ENABLEBUTTON, id, MAKELPARAM(enable[i] ? TRUE : FALSE, 0));
        const UINT flag = MF_BYCOMMAND | (enable[i] ? MF_ENABLED : MF_GRAYED);
        if (m_hMenuBar) ::EnableMenuItem(m_hMenuBar.Get(), id, flag);
        if (HMENU popup = PopupSubMenu()) ::EnableMenuItem(popup, id, flag);
    }
}

uint32_t CMsgCategory::Show(bool show) {
    if (!show) {
        ResumeRedraw();
        ::ShowWindow(m_hList, SW_HIDE);
        ::ShowWindow(m_toolbar.Handle(), SW_HIDE);
        return kDone;
    }
    UpdateDeleteCommands();
    // A view held for a burst is shown already; showing it again would draw it.
    if (!m_bRedrawHeld) ::ShowWindow(m_hList, SW_SHOW);
    ::ShowWindow(m_toolbar.Handle(), m_nToolBarShown == 1 ? SW_SHOW : SW_HIDE);
    // Every delivered message selects its tab: installing the same menu again
    // would recalculate the frame each time.
    if (m_hParent != nullptr && m_hMenuBar && ::GetMenu(m_hParent) != m_hMenuBar.Get())
        ::SetMenu(m_hParent, m_hMenuBar.Get());
    // Only a window the user is working in takes the focus: a message arriving
    // while the window is hidden must not take the keyboard from the host.
    if (::IsWindowVisible(m_hParent) && ::GetActiveWindow() == m_hParent) ::SetFocus(m_hList);
    return kDone;
}

void CMsgCategory::Resize(UINT /*type*/, int cx, int cy) {
    const int top = m_nToolBarShown == 1 ? win::Scale(kToolBarBand, m_dpi) : 0;
    ::SendMessageA(m_toolbar.Handle(), TB_AUTOSIZE, 0, 0);
    ::MoveWindow(m_hList, 0, top, cx, std::max(0, cy - top), TRUE);
}

void CMsgCategory::SetDpi(int dpi) {
    if (dpi <= 0 || dpi == m_dpi || m_hList == nullptr) return;
    // The widths the user gave are kept at 96 DPI before the scale changes.
    ReadBackWidths();
    m_dpi = dpi;
    ApplyFonts();
    CreateImageList();
    ApplyColors();
    const std::vector<int> slots = ShownSlots();
    for (size_t i = 0; i < slots.size(); ++i)
        ListView_SetColumnWidth(m_hList, static_cast<int>(i),
                                win::Scale(m_config.m_nColWidth[slots[i]], m_dpi));
    m_toolbar.SetDpi(dpi);
}

uint32_t CMsgCategory::ToggleToolBar(bool showNow) {
    HMENU view = ::GetSubMenu(m_hMenuBar.Get(), 1);
    HMENU popup = PopupSubMenu();
    if (view == nullptr || popup == nullptr) return kNoSubMenu;
    if (m_nToolBarShown == 1) {
        ::ShowWindow(m_toolbar.Handle(), SW_HIDE);
        ::CheckMenuItem(view, ID_TOOLBAR, MF_BYCOMMAND | MF_UNCHECKED);
        ::CheckMenuItem(popup, ID_TOOLBAR, MF_BYCOMMAND | MF_UNCHECKED);
        m_nToolBarShown = 0;
    } else {
        if (showNow) ::ShowWindow(m_toolbar.Handle(), SW_SHOW);
        ::CheckMenuItem(view, ID_TOOLBAR, MF_BYCOMMAND | MF_CHECKED);
        ::CheckMenuItem(popup, ID_TOOLBAR, MF_BYCOMMAND | MF_CHECKED);
        m_nToolBarShown = 1;
    }
    return kDone;
}

uint32_t CMsgCategory::Close() {
    // Widths and header positions of the shown columns go back into the
    // configuration. The configuration is saved before the message file, so
    // that its serial counter is never behind the messages on disk.
    ResumeRedraw();
    if (m_hList != nullptr) {
        ReadBackWidths();
        ReadBackPositions();
    }
    // A file that cannot be written here is not announced: the window is
    // going away with the library (or the process), and a message box would
    // hold the host's exit. A journal that could not be removed keeps the
    // changes for the next start.
    if (!SharesStore() && !m_config.Unread()) m_config.Save();
    SaveMessages();
    return kDone;
}

void CMsgCategory::AddNotice(const std::string& text) {
    if (!m_strStartupNotice.empty()) m_strStartupNotice += "  ";
    m_strStartupNotice += text;
}

void CMsgCategory::ReportNotice(const std::string& text) {
    AddNotice(text);
    if (m_sink != nullptr) m_sink->ShowStatus(text);
}

std::string CMsgCategory::TakeStartupNotice() {
    std::string n;
    n.swap(m_strStartupNotice);
    return n;
}

} // namespace nuntio
