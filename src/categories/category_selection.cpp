// A category's selection while rows come and go: the view keeps its marks by
// row number, so they are moved with the rows (the rule is the core's), and
// a burst of rows on a shown list is drawn once.
#include <algorithm>
#include <vector>

#include "categories/msg_category.h"
#include "core/selection.h"

namespace nuntio {

namespace {

// Fires once, from the host's message loop, after a burst of rows; the timer's
// id is the category that held the view.
void CALLBACK ResumeRedrawTimer(HWND /*hwnd*/, UINT /*msg*/, UINT_PTR id, DWORD /*time*/) {
    try {
        reinterpret_cast<CMsgCategory*>(id)->ResumeRedraw();
    } catch (...) {
    }
}

} // namespace

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
    const nuntio::SelectionMove move = nuntio::AfterInsertAtTop(SelectedRows(), select);
    const int focused = ListView_GetNextItem(m_hList, -1, LVNI_FOCUSED);
    ListView_SetItemCountEx(m_hList, GetMsgCount(), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    SetSelectionStates(move.off, move.on);
    m_selRows = move.after;
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

} // namespace nuntio
