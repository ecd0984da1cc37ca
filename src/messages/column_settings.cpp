// The column settings dialog: hidden columns on the left, shown columns in
// display order on the right, kept in step with the core's arrangement, which
// gives the positions on OK.
#include "messages/column_settings.h"
#include "win/help.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <span>
#include <string>
#include <vector>

#include "core/column_arrangement.h"
#include "dialogs_res.h"
#include "win/thunk.h"

namespace {

constexpr int kMaxSlots = 10;

void InsertText(HWND list, int index, const std::string& text) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = const_cast<char*>(text.c_str());
    ::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void SelectOnly(HWND list, int index) {
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemState(list, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(list, index, FALSE);
}

int Selection(HWND list) {
    return ListView_GetNextItem(list, -1, LVNI_SELECTED);
}

class CColumnSetDlg : public win::Dialog {
public:
    explicit CColumnSetDlg(nuntio::ColumnArrangement columns) : m_columns(std::move(columns)) {}
    const nuntio::ColumnArrangement& Columns() const { return m_columns; }

protected:
    INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        switch (msg) {
        case WM_INITDIALOG: OnInitDialog(); return TRUE;
        case WM_COMMAND: return OnCommand(LOWORD(wp));
        case WM_NOTIFY: OnNotify(*reinterpret_cast<NMHDR*>(lp)); return FALSE;
        default: return FALSE;
        }
    }

private:
    HWND Available() const { return Item(IDC_COL_AVAILABLE); }
    HWND Applied() const { return Item(IDC_COL_APPLIED); }
    void Enable(int id, bool on) const { ::EnableWindow(Item(id), on ? TRUE : FALSE); }

    // Appends the headings of slots to list.
    void Append(HWND list, std::span<const int> slots) const {
        for (int slot : slots)
            InsertText(list, ListView_GetItemCount(list), m_columns.Name(slot));
    }

    void OnInitDialog() {
        Enable(IDC_COL_ADD, false);
        Enable(IDC_COL_REMOVE, false);
        Enable(IDC_COL_ADDALL, true);
        Enable(IDC_COL_REMOVEALL, true);
        Enable(IDC_COL_UP, false);
        Enable(IDC_COL_DOWN, false);
        for (HWND list : {Available(), Applied()}) {
            // One column as wide as the list, so that no heading is cut.
            RECT rc{};
            ::GetClientRect(list, &rc);
            ListView_SetColumnWidth(list, 0, std::max<LONG>(40, rc.right - rc.left - 4));
        }
        Append(Available(), m_columns.Hidden());
        Append(Applied(), m_columns.Shown());
    }

    INT_PTR OnCommand(int id) {
        switch (id) {
        case IDC_COL_ADD: Move(true); return TRUE;
        case IDC_COL_REMOVE: Move(false); return TRUE;
        case IDC_COL_ADDALL: MoveAll(true); return TRUE;
        case IDC_COL_REMOVEALL: MoveAll(false); return TRUE;
        case IDC_COL_UP: Shift(-1); return TRUE;
        case IDC_COL_DOWN: Shift(1); return TRUE;
        case IDC_COL_HELP: win::ShowHelpTopic("::/xx_相关操作说明.htm"); return TRUE;
        case IDOK: ::EndDialog(m_hwnd, IDOK); return TRUE;
        case IDCANCEL: ::EndDialog(m_hwnd, IDCANCEL); return TRUE;
        default: return FALSE;
        }
    }

    void OnNotify(const NMHDR& hdr) {
        const bool available = hdr.idFrom == IDC_COL_AVAILABLE;
        if (!available && hdr.idFrom != IDC_COL_APPLIED) return;
        switch (hdr.code) {
        case NM_SETFOCUS: UpdateButtons(available); break;
        case LVN_ITEMCHANGED:
            // A click gives the focus before it selects: follow the selection
            // of the list that has the focus, too.
            if (::GetFocus() == hdr.hwndFrom) UpdateButtons(available);
            break;
        case NM_DBLCLK: Move(available); break;
        default: break;
        }
    }

    // The buttons follow the list that gains the focus with an item selected.
    void UpdateButtons(bool available) {
        if (Selection(available ? Available() : Applied()) < 0) return;
        Enable(IDC_COL_ADD, available);
        Enable(IDC_COL_REMOVE, !available);
        if (!available) {
            Enable(IDC_COL_UP, true);
            Enable(IDC_COL_DOWN, true);
        }
    }

    // The selected column goes to the top of the other list; the row where
    // it was (or the last) is selected in its place.
    void Move(bool show) {
        HWND from = show ? Available() : Applied();
        HWND to = show ? Applied() : Available();
        const int sel = Selection(from);
        if (!(show ? m_columns.Show(sel) : m_columns.Hide(sel))) return;
        ListView_DeleteItem(from, sel);
        InsertText(to, 0, m_columns.Name((show ? m_columns.Shown() : m_columns.Hidden()).front()));
        const int left = ListView_GetItemCount(from);
        if (left > 0) SelectOnly(from, std::min(sel, left - 1));
    }

    void MoveAll(bool show) {
        const std::vector<int> moving = show ? m_columns.Hidden() : m_columns.Shown();
        if (show)
            m_columns.ShowAll();
        else
            m_columns.HideAll();
        Append(show ? Applied() : Available(), moving);
        ListView_DeleteAllItems(show ? Available() : Applied());
    }

    void Shift(int delta) {
        HWND list = Applied();
        const int sel = Selection(list);
        if (!m_columns.Shift(sel, delta)) return;
        ListView_DeleteItem(list, sel);
        InsertText(list, sel + delta, m_columns.Name(m_columns.Shown()[static_cast<size_t>(sel + delta)]));
        SelectOnly(list, sel + delta);
    }

    nuntio::ColumnArrangement m_columns;
};

} // namespace

namespace nuntio {

bool RunColumnSettings(HWND owner, ColumnChoice& choice) {
    const size_t columns = static_cast<size_t>(std::clamp<int>(choice.columns, 0, kMaxSlots));
    CColumnSetDlg dlg(ColumnArrangement(std::span<const std::string>(choice.names, columns),
                                        std::span<const int32_t>(choice.positions, columns)));
    if (dlg.RunModal(win::Instance(), IDD_COLUMNSET, owner) != IDOK) return false;
    // The positions handed out start at 1: the icon column stays in front
    // even when it was dragged away.
    const std::vector<int32_t> positions = dlg.Columns().Positions();
    std::copy(positions.begin(), positions.end(), choice.positions);
    return true;
}

} // namespace nuntio
