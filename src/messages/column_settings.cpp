// The column settings dialog: hidden columns on the left, shown columns in
// display order on the right. A column is known by its heading; the icon
// column (slot 0) is never offered and always stays first.
#include "messages/column_settings.h"
#include "win/help.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dialogs_res.h"
#include "win/thunk.h"

namespace {

constexpr int kMaxSlots = 10;

std::vector<std::string> ListTexts(HWND list) {
    std::vector<std::string> texts;
    const int count = ListView_GetItemCount(list);
    for (int i = 0; i < count; ++i) {
        char text[64] = {};
        ListView_GetItemText(list, i, 0, text, sizeof text);
        texts.emplace_back(text);
    }
    return texts;
}

std::string ItemText(HWND list, int index) {
    char text[64] = {};
    ListView_GetItemText(list, index, 0, text, sizeof text);
    return text;
}

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
    int m_nColumns = 0;
    int m_nColPos[kMaxSlots] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    std::string m_strColName[kMaxSlots];

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

    void OnInitDialog() {
        Enable(IDC_COL_ADD, false);
        Enable(IDC_COL_REMOVE, false);
        Enable(IDC_COL_ADDALL, true);
        Enable(IDC_COL_REMOVEALL, true);
        Enable(IDC_COL_UP, false);
        Enable(IDC_COL_DOWN, false);
        const int columns = std::clamp(m_nColumns, 0, kMaxSlots);
        for (HWND list : {Available(), Applied()}) {
            // One column as wide as the list, so that no heading is cut.
            RECT rc{};
            ::GetClientRect(list, &rc);
            ListView_SetColumnWidth(list, 0, std::max<LONG>(40, rc.right - rc.left - 4));
        }
        for (int slot = 1; slot < columns; ++slot)
            if (m_nColPos[slot] == -1)
                InsertText(Available(), ListView_GetItemCount(Available()), m_strColName[slot]);
        // Shown slots by ascending position; equal positions keep slot order,
        // gaps are skipped.
        std::vector<int> shown;
        for (int slot = 1; slot < columns; ++slot)
            if (m_nColPos[slot] != -1) shown.push_back(slot);
        std::stable_sort(shown.begin(), shown.end(),
                         [this](int a, int b) { return m_nColPos[a] < m_nColPos[b]; });
        for (int slot : shown)
            InsertText(Applied(), ListView_GetItemCount(Applied()), m_strColName[slot]);
    }

    INT_PTR OnCommand(int id) {
        switch (id) {
        case IDC_COL_ADD: Move(Available(), Applied()); return TRUE;
        case IDC_COL_REMOVE: Move(Applied(), Available()); return TRUE;
        case IDC_COL_ADDALL: MoveAll(Available(), Applied()); return TRUE;
        case IDC_COL_REMOVEALL: MoveAll(Applied(), Available()); return TRUE;
        case IDC_COL_UP: Shift(-1); return TRUE;
        case IDC_COL_DOWN: Shift(1); return TRUE;
        case IDC_COL_HELP: win::ShowHelpTopic("::/xx_相关操作说明.htm"); return TRUE;
        case IDOK: OnOK(); return TRUE;
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
        case NM_DBLCLK:
            if (available)
                Move(Available(), Applied());
            else
                Move(Applied(), Available());
            break;
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

    // The selected item goes to the top of the other list.
    void Move(HWND from, HWND to) {
        const int sel = Selection(from);
        if (sel < 0) return;
        const std::string text = ItemText(from, sel);
        ListView_DeleteItem(from, sel);
        InsertText(to, 0, text);
        const int left = ListView_GetItemCount(from);
        if (left > 0) SelectOnly(from, std::min(sel, left - 1));
    }

    void MoveAll(HWND from, HWND to) {
        for (const std::string& text : ListTexts(from))
            InsertText(to, ListView_GetItemCount(to), text);
        ListView_DeleteAllItems(from);
    }

    void Shift(int delta) {
        HWND list = Applied();
        const int sel = Selection(list);
        const int target = sel + delta;
        if (sel < 0 || target < 0 || target >= ListView_GetItemCount(list)) return;
        const std::string text = ItemText(list, sel);
        ListView_DeleteItem(list, sel);
        InsertText(list, target, text);
        SelectOnly(list, target);
    }

    void OnOK() {
        const int columns = std::clamp(m_nColumns, 0, kMaxSlots);
        const std::vector<std::string> applied = ListTexts(Applied());
        for (size_t k = 0; k < applied.size(); ++k)
            for (int slot = 1; slot < columns; ++slot)
                if (m_strColName[slot] == applied[k]) m_nColPos[slot] = static_cast<int>(k) + 1;
        for (const std::string& text : ListTexts(Available()))
            for (int slot = 1; slot < columns; ++slot)
                if (m_strColName[slot] == text) m_nColPos[slot] = -1;
        // The positions handed out start at 1: the icon column stays in front
        // even when it was dragged away.
        m_nColPos[0] = 0;
        ::EndDialog(m_hwnd, IDOK);
    }
};

} // namespace

namespace nuntio {

bool RunColumnSettings(HWND owner, ColumnChoice& choice) {
    CColumnSetDlg dlg;
    dlg.m_nColumns = std::clamp<int>(choice.columns, 0, kMaxSlots);
    for (int slot = 0; slot < dlg.m_nColumns; ++slot) {
        dlg.m_nColPos[slot] = choice.positions[slot];
        dlg.m_strColName[slot] = choice.names[slot];
    }
    if (dlg.RunModal(win::Instance(), IDD_COLUMNSET, owner) != IDOK) return false;
    for (int slot = 0; slot < dlg.m_nColumns; ++slot)
        choice.positions[slot] = dlg.m_nColPos[slot];
    return true;
}

} // namespace nuntio
