// A category's list view as the user sees it: columns and their order, the
// icons, fonts and colours, and the rows' texts drawn from the model.
#include <algorithm>
#include <utility>
#include <vector>

#include "categories/msg_category.h"
#include "resource.h"
#include "win/accessible.h"
#include "win/art.h"
#include "win/dpi.h"
#include "win/help.h"

namespace nuntio {

namespace {

void InsertColumn(HWND list, int index, const char* title, int width, bool image) {
    LVCOLUMNA col{};
    col.mask = LVCF_FMT | LVCF_WIDTH | (image ? LVCF_IMAGE : LVCF_TEXT);
    col.fmt = image ? LVCFMT_IMAGE : LVCFMT_LEFT;
    col.cx = width;
    col.pszText = const_cast<char*>(image ? "" : title);
    col.iImage = CMsgCategory::kHeaderImage;
    ::SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&col));
}

} // namespace

uint32_t CMsgCategory::InitColumns() {
    ListView_SetExtendedListViewStyleEx(m_hList, kListExStyle, kListExStyle);
    InsertColumn(m_hList, 0, "", win::Scale(m_config.m_nColWidth[0], m_dpi), true);
    int order[10];
    std::fill(std::begin(order), std::end(order), -1);
    int index = 0;
    for (int slot = 0; slot < m_config.m_nColumns && slot < 10; ++slot) {
        if (m_config.m_nColPos[slot] == -1) continue;
        if (slot > 0)
            InsertColumn(m_hList, index, m_look.headings[slot].c_str(),
                         win::Scale(m_config.m_nColWidth[slot], m_dpi), false);
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
    const int size = win::ArtSize(16, m_dpi);
    win::UniqueImageList images(::ImageList_Create(size, size, ILC_COLOR4 | ILC_MASK, 5, 5));
    for (int id = IDI_ROW_LATEST; id <= IDI_ROW_SPARE; ++id)
        ::ImageList_AddIcon(images.Get(), win::LoadArtIcon(id, 16, m_dpi));
    ListView_SetImageList(m_hList, images.Get(), LVSIL_SMALL);
    // The find window's list may still show the old icons: they go with the category.
    if (m_imageList) m_retiredImageLists.push_back(std::move(m_imageList));
    m_imageList = std::move(images);
    return 1;
}

void CMsgCategory::ApplyFonts() {
    // The working font is kept at 96 DPI; the list draws it at its own.
    LOGFONTA shown = m_lfWork;
    shown.lfHeight = win::ScaleFontHeight(shown.lfHeight, m_dpi);
    // The list takes the new font before the old one goes.
    win::UniqueFont list(::CreateFontIndirectA(&shown));
    ::SendMessageA(m_hList, WM_SETFONT, reinterpret_cast<WPARAM>(list.Get()), TRUE);
    m_hListFont = std::move(list);
    m_lfHeader = shown;
    if (m_lfWork.lfItalic || m_lfWork.lfUnderline || m_lfWork.lfStrikeOut) {
        m_lfHeader.lfItalic = m_lfHeader.lfUnderline = m_lfHeader.lfStrikeOut = 0;
        win::UniqueFont header(::CreateFontIndirectA(&m_lfHeader));
        ::SendMessageA(ListView_GetHeader(m_hList), WM_SETFONT, reinterpret_cast<WPARAM>(header.Get()), TRUE);
        m_hHeaderFont = std::move(header);
    }
}

void CMsgCategory::ApplyColors() {
    // In high contrast the system's colours; the configuration keeps its own.
    const bool contrast = win::HighContrast();
    const COLORREF text = contrast ? ::GetSysColor(COLOR_WINDOWTEXT) : m_config.m_crText;
    const COLORREF back = contrast ? ::GetSysColor(COLOR_WINDOW) : m_config.m_crBack;
    ListView_SetTextColor(m_hList, text);
    ListView_SetTextBkColor(m_hList, back);
    ListView_SetBkColor(m_hList, back);
    if (m_imageList) ::ImageList_SetBkColor(m_imageList.Get(), back);
}

void CMsgCategory::FillList() {
    m_bSelKnown = false;
    ListView_SetItemCountEx(m_hList, GetMsgCount(), LVSICF_NOINVALIDATEALL);
    ::InvalidateRect(m_hList, nullptr, TRUE);
}

void CMsgCategory::ReadBackWidths() {
    const std::vector<int> slots = ShownSlots();
    for (size_t i = 0; i < slots.size(); ++i) {
        m_config.m_nColWidth[slots[i]] =
            win::Unscale(ListView_GetColumnWidth(m_hList, static_cast<int>(i)), m_dpi);
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

std::vector<int> CMsgCategory::SetupColumns(HWND target) {
    ListView_SetExtendedListViewStyleEx(target, kListExStyle, kListExStyle);
    ListView_DeleteAllItems(target);
    for (int i = 0; i < 10; ++i)
        ListView_DeleteColumn(target, 0);
    ListView_SetImageList(target, m_imageList.Get(), LVSIL_SMALL);
    const int dpi = win::DpiOf(target);
    InsertColumn(target, 0, "", win::Scale(m_config.m_nColWidth[0], dpi), true);
    std::vector<int> slots;
    for (int slot = 1; slot < m_config.m_nColumns && slot < 10; ++slot) {
        if (m_config.m_nColPos[slot] == -1) continue;
        InsertColumn(target, static_cast<int>(slots.size()) + 1, m_look.headings[slot].c_str(),
                     win::Scale(m_config.m_nColWidth[slot], dpi), false);
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

} // namespace nuntio
