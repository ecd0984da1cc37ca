// The shared half of a category: list view, image list, fonts, colours,
// columns, menus, toolbar and notifier, and the commands and notifications
// both kinds answer the same way.
#include "categories/msg_category.h"
#include "win/help.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <utility>
#include <cstring>

#include "settings/category_settings.h"
#include "messages/column_settings.h"
#include "settings/page_settings.h"
#include "resource.h"

namespace {

// The stored font description has the LOGFONTA layout byte for byte (LONG is
// 32 bits on every Windows), so the two convert by copying.
static_assert(sizeof(LOGFONTA) == sizeof(nuntio::FontDesc) && offsetof(LOGFONTA, lfFaceName) == 28,
              "the stored font has the LOGFONTA layout");

LOGFONTA ToLogFont(const nuntio::FontDesc& lf) {
    LOGFONTA out;
    std::memcpy(&out, &lf, sizeof out);
    out.lfFaceName[sizeof out.lfFaceName - 1] = '\0';
    return out;
}

nuntio::FontDesc FromLogFont(const LOGFONTA& lf) {
    nuntio::FontDesc out;
    std::memcpy(&out, &lf, sizeof out);
    return out;
}

void InsertColumn(HWND list, int index, const char* title, int width, bool image) {
    LVCOLUMNA col{};
    col.mask = LVCF_FMT | LVCF_WIDTH | (image ? LVCF_IMAGE : LVCF_TEXT);
    col.fmt = image ? LVCFMT_IMAGE : LVCFMT_LEFT;
    col.cx = width;
    col.pszText = const_cast<char*>(image ? "" : title);
    col.iImage = CMsgCategory::kHeaderImage;
    ::SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&col));
}

// Fires once, from the host's message loop, after a burst of rows; the timer's
// id is the category that held the view.
void CALLBACK ResumeRedrawTimer(HWND /*hwnd*/, UINT /*msg*/, UINT_PTR id, DWORD /*time*/) {
    try {
        reinterpret_cast<CMsgCategory*>(id)->ResumeRedraw();
    } catch (...) {
    }
}

} // namespace

CMsgCategory::CMsgCategory(nuntio::CConfigDoc& config, CategoryLook look)
    : m_config(config), m_look(std::move(look)) {}

CMsgCategory::~CMsgCategory() {
    ResumeRedraw();
    if (m_hListFont != nullptr) ::DeleteObject(m_hListFont);
    if (m_hHeaderFont != nullptr) ::DeleteObject(m_hHeaderFont);
    if (m_hMenuBar != nullptr && (m_hParent == nullptr || ::GetMenu(m_hParent) != m_hMenuBar))
        ::DestroyMenu(m_hMenuBar);
    if (m_hPopupMenu != nullptr) ::DestroyMenu(m_hPopupMenu);
    if (m_imageList != nullptr) ::ImageList_Destroy(m_imageList);
}

uint32_t CMsgCategory::Create(HWND parent, const nuntio::Session& session, ICategorySink& sink,
                              const char* cfgName) {
    if (parent == nullptr || !::IsWindow(parent)) return kNoParentWindow;
    m_hParent = parent;
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

    m_lfWork = ToLogFont(m_config.m_lfList);
    ApplyFonts();
    ApplyColors();
    InitColumns();
    FillList();

    m_hMenuBar = ::LoadMenuA(instance, MAKEINTRESOURCEA(m_look.menuId));
    m_hPopupMenu = ::LoadMenuA(instance, MAKEINTRESOURCEA(m_look.popupMenuId));
    if (m_hMenuBar == nullptr || m_hPopupMenu == nullptr) return kNoMenu;

    RECT empty{};
    // The arrangement is kept per user and per toolbar.
    m_toolbar.Create(CMsgToolBar::kStyle, empty, parent, static_cast<UINT>(m_look.toolBitmapId),
                     static_cast<UINT>(m_look.firstCmd), static_cast<UINT>(m_look.lastCmd),
                     "Software\\Corvane\\Ostrel证券平台\\User\\" + session.user + "\\MsgCent\\Toolbar");
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
    m_notifier.LoadSkin(kSkins[style], RGB(255, 0, 255));
    RECT area{6, 4, m_notifier.SkinWidth() - 6, m_notifier.SkinHeight() - 16};
    m_notifier.SetTextArea(area);
}

uint32_t CMsgCategory::InitColumns() {
    ListView_SetExtendedListViewStyleEx(m_hList, kListExStyle, kListExStyle);
    InsertColumn(m_hList, 0, "", m_config.m_nColWidth[0], true);
    int order[10];
    std::fill(std::begin(order), std::end(order), -1);
    int index = 0;
    for (int slot = 0; slot < m_config.m_nColumns && slot < 10; ++slot) {
        if (m_config.m_nColPos[slot] == -1) continue;
        if (slot > 0)
            InsertColumn(m_hList, index, m_look.headings[slot].c_str(), m_config.m_nColWidth[slot], false);
        const int pos = m_config.m_nColPos[slot];
        if (pos >= 0 && pos < 10) order[pos] = index;
        ++index;
    }
    // The icon column stays first whatever the stored positions say.
    HWND header = ListView_GetHeader(m_hList);
    const int count = Header_GetItemCount(header);
    std::vector<int> compact;
    for (int v : order)
        if (v >= 0 && v < count) compact.push_back(v);
    if (static_cast<int>(compact.size()) == count)
        ListView_SetColumnOrderArray(m_hList, count, compact.data());
    return kDone;
}

std::vector<int> CMsgCategory::ShownSlots() const {
    std::vector<int> slots;
    for (int slot = 0; slot < m_config.m_nColumns && slot < 10; ++slot) {
        if (slot == 0 || m_config.m_nColPos[slot] != -1) slots.push_back(slot);
    }
    return slots;
}

uint32_t CMsgCategory::CreateImageList() {
    m_imageList = ::ImageList_Create(16, 16, ILC_COLOR4 | ILC_MASK, 5, 5);
    for (int id = IDI_ROW_LATEST; id <= IDI_ROW_SPARE; ++id) {
        HICON icon = static_cast<HICON>(
            ::LoadImageA(win::Instance(), MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, LR_SHARED));
        ::ImageList_AddIcon(m_imageList, icon);
    }
    ListView_SetImageList(m_hList, m_imageList, LVSIL_SMALL);
    return 1;
}

void CMsgCategory::ApplyFonts() {
    if (m_hListFont != nullptr) ::DeleteObject(m_hListFont);
    m_hListFont = ::CreateFontIndirectA(&m_lfWork);
    ::SendMessageA(m_hList, WM_SETFONT, reinterpret_cast<WPARAM>(m_hListFont), TRUE);
    m_lfHeader = m_lfWork;
    if (m_lfWork.lfItalic || m_lfWork.lfUnderline || m_lfWork.lfStrikeOut) {
        m_lfHeader.lfItalic = m_lfHeader.lfUnderline = m_lfHeader.lfStrikeOut = 0;
        if (m_hHeaderFont != nullptr) ::DeleteObject(m_hHeaderFont);
        m_hHeaderFont = ::CreateFontIndirectA(&m_lfHeader);
        ::SendMessageA(ListView_GetHeader(m_hList), WM_SETFONT, reinterpret_cast<WPARAM>(m_hHeaderFont),
                       TRUE);
    }
}

void CMsgCategory::ApplyColors() {
    ListView_SetTextColor(m_hList, m_config.m_crText);
    ListView_SetTextBkColor(m_hList, m_config.m_crBack);
    ListView_SetBkColor(m_hList, m_config.m_crBack);
    if (m_imageList != nullptr) ::ImageList_SetBkColor(m_imageList, m_config.m_crBack);
}

HMENU CMsgCategory::PopupSubMenu() const {
    return m_hPopupMenu != nullptr ? ::GetSubMenu(m_hPopupMenu, m_look.menuIndex) : nullptr;
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
        if (m_hMenuBar != nullptr) ::EnableMenuItem(m_hMenuBar, id, flag);
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
    if (m_hParent != nullptr && m_hMenuBar != nullptr && ::GetMenu(m_hParent) != m_hMenuBar)
        ::SetMenu(m_hParent, m_hMenuBar);
    // Only a window the user is working in takes the focus: a message arriving
    // while the window is hidden must not take the keyboard from the host.
    if (::IsWindowVisible(m_hParent) && ::GetActiveWindow() == m_hParent) ::SetFocus(m_hList);
    return kDone;
}

void CMsgCategory::Resize(UINT /*type*/, int cx, int cy) {
    const int top = m_nToolBarShown == 1 ? kToolBarBand : 0;
    ::SendMessageA(m_toolbar.Handle(), TB_AUTOSIZE, 0, 0);
    ::MoveWindow(m_hList, 0, top, cx, std::max(0, cy - top), TRUE);
}

uint32_t CMsgCategory::ToggleToolBar(bool showNow) {
    HMENU view = ::GetSubMenu(m_hMenuBar, 1);
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

void CMsgCategory::FillList() {
    m_bSelKnown = false;
    ListView_SetItemCountEx(m_hList, GetMsgCount(), LVSICF_NOINVALIDATEALL);
    ::InvalidateRect(m_hList, nullptr, TRUE);
}

const std::vector<int>& CMsgCategory::SelectedRows() const {
    // The rows this category selected itself are known without asking: every
    // new alert is selected and the ones before it stay so, and a walk over
    // all of them per message would grow with the list. A selection the user
    // changed (any change the view reports that was not ours) is read again.
    const int count = ListView_GetSelectedCount(m_hList);
    if (m_bSelKnown && static_cast<int>(m_selRows.size()) == count) return m_selRows;
    // Asks row by row and stops at the last selected one: new rows gather at
    // the top, and the view's search for the next selected row is far slower
    // than its answer for one row.
    const int rows = GetMsgCount();
    std::vector<int> selected;
    selected.reserve(static_cast<size_t>(count));
    for (int i = 0; i < rows && static_cast<int>(selected.size()) < count; ++i) {
        if (ListView_GetItemState(m_hList, i, LVIS_SELECTED) != 0) selected.push_back(i);
    }
    m_selRows = std::move(selected);
    m_bSelKnown = true;
    return m_selRows;
}

void CMsgCategory::SelectRow(int pos, bool select) {
    ++m_nOwnSelChange;
    ListView_SetItemState(m_hList, pos, select ? LVIS_SELECTED : 0, LVIS_SELECTED);
    --m_nOwnSelChange;
    if (m_nMovingSelection == 0) m_bSelKnown = false;
}

void CMsgCategory::SetSelectionStates(const std::vector<int>& off, const std::vector<int>& on) {
    ++m_nMovingSelection;
    for (int row : off)
        SelectRow(row, false);
    for (int row : on)
        SelectRow(row, true);
    --m_nMovingSelection;
}

// The view keeps selection by row number, so when rows move the selection is
// moved with them. Only the rows whose state changes are touched: each state
// change costs a notification, and clearing the whole list costs a pass over
// every row.
void CMsgCategory::MoveSelection(const std::vector<int>& before, const std::vector<int>& after) {
    std::vector<int> off, on;
    std::set_difference(before.begin(), before.end(), after.begin(), after.end(), std::back_inserter(off));
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::back_inserter(on));
    SetSelectionStates(off, on);
    // Rows past the end keep no state.
    const int rows = GetMsgCount();
    m_selRows.clear();
    for (int row : after)
        if (row >= 0 && row < rows) m_selRows.push_back(row);
    m_bSelKnown = true;
}

void CMsgCategory::HoldRedraw() {
    if (m_bRedrawHeld || m_hList == nullptr || !::IsWindowVisible(m_hList)) return;
    // A message after a quiet spell is drawn at once; in a flood the list is
    // drawn a few times a second, however often the host's loop runs: a
    // drawing of the list costs as much as dozens of messages.
    const DWORD sinceDrawn = ::GetTickCount() - m_dwRedrawResumed;
    const UINT wait = sinceDrawn >= kFloodRedrawMs
                          ? USER_TIMER_MINIMUM
                          : std::max<UINT>(USER_TIMER_MINIMUM, kFloodRedrawMs - sinceDrawn);
    if (::SetTimer(m_hList, reinterpret_cast<UINT_PTR>(this), wait, ResumeRedrawTimer) == 0) return;
    ::SendMessageA(m_hList, WM_SETREDRAW, FALSE, 0);
    m_bRedrawHeld = true;
}

void CMsgCategory::ResumeRedraw() {
    if (!m_bRedrawHeld) return;
    m_bRedrawHeld = false;
    if (!::IsWindow(m_hList)) return;
    ::KillTimer(m_hList, reinterpret_cast<UINT_PTR>(this));
    m_dwRedrawResumed = ::GetTickCount();
    ::SendMessageA(m_hList, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(m_hList, nullptr, TRUE);
}

void CMsgCategory::RowInsertedAtTop(bool select) {
    HoldRedraw();
    // Every selected row moves down one: of each run of selected rows only
    // the first loses its mark and the row after the last gains one, so a
    // long selection costs two state changes, not one per row.
    const std::vector<int>& before = SelectedRows();
    std::vector<int> off, on;
    for (size_t i = 0; i < before.size(); ++i) {
        const int row = before[i];
        if (i == 0 || before[i - 1] != row - 1) off.push_back(row);
        if (i + 1 == before.size() || before[i + 1] != row + 1) on.push_back(row + 1);
    }
    if (select) {
        if (!off.empty() && off.front() == 0)
            off.erase(off.begin());
        else
            on.insert(on.begin(), 0);
    }
    const int focused = ListView_GetNextItem(m_hList, -1, LVNI_FOCUSED);
    ListView_SetItemCountEx(m_hList, GetMsgCount(), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    SetSelectionStates(off, on);
    for (int& row : m_selRows)
        ++row;
    if (select) m_selRows.insert(m_selRows.begin(), 0);
    m_bSelKnown = true;
    if (focused >= 0) ListView_SetItemState(m_hList, focused + 1, LVIS_FOCUSED, LVIS_FOCUSED);
    if (!m_bRedrawHeld) ::InvalidateRect(m_hList, nullptr, FALSE);
}

void CMsgCategory::RowsRemovedAtBottom(int count) {
    if (count <= 0) return;
    const int rows = GetMsgCount();
    while (!m_selRows.empty() && m_selRows.back() >= rows)
        m_selRows.pop_back();
    // A new message and the retention it caused reach the view as one count.
    if (ListView_GetItemCount(m_hList) == rows) return;
    HoldRedraw();
    ListView_SetItemCountEx(m_hList, GetMsgCount(), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    if (!m_bRedrawHeld) ::InvalidateRect(m_hList, nullptr, FALSE);
}

void CMsgCategory::RowRemovedAt(int pos) {
    std::vector<int> before = SelectedRows(); // a copy: MoveSelection rewrites the rows
    const int focused = ListView_GetNextItem(m_hList, -1, LVNI_FOCUSED);
    std::vector<int> after;
    after.reserve(before.size());
    for (int row : before) {
        if (row < pos)
            after.push_back(row);
        else if (row > pos)
            after.push_back(row - 1);
    }
    // The last row is about to disappear: its state goes with it.
    const int last = GetMsgCount();
    before.erase(std::remove(before.begin(), before.end(), last), before.end());
    ListView_SetItemCountEx(m_hList, GetMsgCount(), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    MoveSelection(before, after);
    if (focused > pos) ListView_SetItemState(m_hList, focused - 1, LVIS_FOCUSED, LVIS_FOCUSED);
    ::InvalidateRect(m_hList, nullptr, FALSE);
}

void CMsgCategory::RowsDeleted(const std::vector<int>& marked, int select) {
    // The view keeps selection by row number. Shrinking its count drops the
    // marks past the new end at once; each mark left inside costs the view a
    // pair of notifications, so when there are many the count goes to 0 and
    // back (which drops them all) and the scroll position is put back.
    const int rows = GetMsgCount();
    const auto inside =
        static_cast<size_t>(std::lower_bound(marked.begin(), marked.end(), rows) - marked.begin());
    ++m_nOwnSelChange;
    if (inside > kMarksClearedOneByOne) {
        const int top = ListView_GetTopIndex(m_hList);
        ListView_SetItemCountEx(m_hList, 0, LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
        ListView_SetItemCountEx(m_hList, rows, LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
        if (top > 0 && top < rows) {
            RECT item{};
            ListView_GetItemRect(m_hList, 0, &item, LVIR_BOUNDS);
            ListView_Scroll(m_hList, 0, top * (item.bottom - item.top));
        }
    } else {
        ListView_SetItemCountEx(m_hList, rows, LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
        for (size_t i = 0; i < inside; ++i)
            ListView_SetItemState(m_hList, marked[i], 0, LVIS_SELECTED);
    }
    --m_nOwnSelChange;
    m_selRows.clear();
    if (select >= 0 && select < GetMsgCount()) {
        ++m_nOwnSelChange;
        ListView_SetItemState(m_hList, select, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        --m_nOwnSelChange;
        m_selRows.push_back(select);
    }
    m_bSelKnown = true;
    Show(true);
    ::InvalidateRect(m_hList, nullptr, TRUE);
}

void CMsgCategory::ClearSelection() {
    if (m_hList == nullptr) return;
    SelectRow(-1, false);
    UpdateDeleteCommands();
}

void CMsgCategory::ReadBackWidths() {
    const std::vector<int> slots = ShownSlots();
    for (size_t i = 0; i < slots.size(); ++i) {
        m_config.m_nColWidth[slots[i]] = ListView_GetColumnWidth(m_hList, static_cast<int>(i));
    }
}

void CMsgCategory::OnGetDispInfo(NMLVDISPINFOA& info) const {
    LVITEMA& item = info.item;
    if (item.iItem < 0 || item.iItem >= GetMsgCount()) return;
    if (item.mask & LVIF_IMAGE) item.iImage = RowImage(item.iItem);
    if ((item.mask & LVIF_TEXT) && item.pszText != nullptr && item.cchTextMax > 0) {
        const std::vector<int> slots = ShownSlots();
        std::string text;
        if (item.iSubItem > 0 && item.iSubItem < static_cast<int>(slots.size()))
            text = RowText(item.iItem, slots[static_cast<size_t>(item.iSubItem)]);
        ::lstrcpynA(item.pszText, text.c_str(), item.cchTextMax);
    }
}

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
    case NM_RCLICK: ShowContextMenu(owner); return kDone;
    case NM_DBLCLK:
    case NM_RETURN: OnOpenMessage(); return kDone;
    default: return kNotHandled;
    }
}

uint32_t CMsgCategory::ShowContextMenu(HWND owner) {
    HMENU popup = PopupSubMenu();
    if (popup == nullptr) return kNoSubMenu;
    POINT pt{};
    ::GetCursorPos(&pt);
    ::SetForegroundWindow(owner);
    ::TrackPopupMenu(popup, TPM_LEFTALIGN, pt.x, pt.y, 0, owner, nullptr);
    return kDone;
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
    LONG& h = m_lfWork.lfHeight;
    if (enlarge) {
        h = h > 0 ? h + 1 : h - 1;
    } else if (h > 0) {
        h = h - 1 == 0 ? 1 : h - 1;
    } else {
        h = h + 1 == 0 ? -1 : h + 1;
    }
    ApplyFonts();
    m_config.m_lfList = FromLogFont(m_lfWork);
    return kDone;
}

std::vector<int> CMsgCategory::SetupColumns(HWND target) {
    ListView_SetExtendedListViewStyleEx(target, kListExStyle, kListExStyle);
    ListView_DeleteAllItems(target);
    for (int i = 0; i < 10; ++i)
        ListView_DeleteColumn(target, 0);
    ListView_SetImageList(target, m_imageList, LVSIL_SMALL);
    InsertColumn(target, 0, "", m_config.m_nColWidth[0], true);
    std::vector<int> slots;
    for (int slot = 1; slot < m_config.m_nColumns && slot < 10; ++slot) {
        if (m_config.m_nColPos[slot] == -1) continue;
        InsertColumn(target, static_cast<int>(slots.size()) + 1, m_look.headings[slot].c_str(),
                     m_config.m_nColWidth[slot], false);
        slots.push_back(slot);
    }
    return slots;
}

void CMsgCategory::RevealRow(int pos) {
    const int top = ListView_GetTopIndex(m_hList);
    const int perPage = ListView_GetCountPerPage(m_hList);
    RECT rc{};
    ListView_GetItemRect(m_hList, pos, &rc, LVIR_BOUNDS);
    const int rowHeight = rc.bottom - rc.top;
    if (pos < top)
        ListView_Scroll(m_hList, 0, (pos - top - 1) * rowHeight);
    else if (pos > top + perPage)
        ListView_Scroll(m_hList, 0, (pos - (top + perPage) + 1) * rowHeight);
    ListView_EnsureVisible(m_hList, pos, FALSE);
    ListView_SetItemState(m_hList, pos, LVIS_SELECTED, LVIS_SELECTED);
}

void CMsgCategory::ReadBackPositions() {
    HWND header = ListView_GetHeader(m_hList);
    const int count = Header_GetItemCount(header);
    if (count <= 0) return;
    std::vector<int> order(static_cast<size_t>(count), -1);
    ListView_GetColumnOrderArray(m_hList, count, order.data());
    const std::vector<int> slots = ShownSlots();
    for (size_t i = 0; i < slots.size(); ++i) {
        auto it = std::find(order.begin(), order.end(), static_cast<int>(i));
        if (it != order.end()) m_config.m_nColPos[slots[i]] = static_cast<int>(it - order.begin());
    }
}

void CMsgCategory::RebuildColumns() {
    ListView_SetItemCountEx(m_hList, 0, 0);
    for (int i = 0; i < 10; ++i)
        ListView_DeleteColumn(m_hList, 0);
    InitColumns();
    FillList();
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
    m_config.m_lfList = FromLogFont(m_lfWork);
    m_config.m_crText = look.text;
    m_config.m_crBack = look.back;
    ApplyColors();
    ::RedrawWindow(m_hList, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
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
