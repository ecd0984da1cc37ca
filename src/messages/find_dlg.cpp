// The find window. Its owner searches a page and hands back a
// copy of each message found: the results stay until the next show, range
// change or search, also when their messages are deleted meanwhile (such a
// row keeps its texts, is greyed and says "（已删除）"), and a row leads to
// its message wherever newer messages or deletions have moved it. The result
// list is virtual like the categories' own lists, so a search through a
// hundred thousand messages takes a moment, not minutes.
//
// The host's message loop knows nothing of this window, so while it exists a
// message hook on the thread gives it the dialog keys (Tab, Enter, Esc).
#include "messages/find_dlg.h"
#include "win/help.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "core/found_messages.h"
#include "dialogs_res.h"
#include "messages/find_owner.h"
#include "resource.h"
#include "win/dpi.h"
#include "win/thunk.h"

namespace nuntio {

namespace {

constexpr int kMinWidth = 250;
constexpr int kMinHeight = 140;
constexpr const char* kSection = "FindDlg";

HWND g_findWindow = nullptr;
HHOOK g_keyHook = nullptr;

// Dialog keys for the find window, whatever loop dispatches its messages.
LRESULT CALLBACK FindKeyHook(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION && wp == PM_REMOVE && g_findWindow != nullptr) {
        auto* msg = reinterpret_cast<MSG*>(lp);
        if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST && msg->hwnd != nullptr &&
            (msg->hwnd == g_findWindow || ::IsChild(g_findWindow, msg->hwnd)) &&
            ::IsDialogMessageA(g_findWindow, msg)) {
            msg->message = WM_NULL;
            msg->wParam = 0;
            msg->lParam = 0;
        }
    }
    return ::CallNextHookEx(g_keyHook, code, wp, lp);
}

} // namespace

class CFindDlgImpl : public win::Dialog {
public:
    CFindDlgImpl(HWND center, IFindOwner& owner, std::string iniPath)
        : m_center(center), m_owner(owner), m_iniPath(std::move(iniPath)) {}
    ~CFindDlgImpl() override { Close(); }

    bool Create() {
        if (!CreateModeless(win::Instance(), IDD_FIND, m_center)) return false;
        g_findWindow = m_hwnd;
        if (g_keyHook == nullptr)
            g_keyHook = ::SetWindowsHookExA(WH_GETMESSAGE, FindKeyHook, nullptr, ::GetCurrentThreadId());
        Place();
        return true;
    }

    void Close() {
        if (g_findWindow == m_hwnd) g_findWindow = nullptr;
        if (g_keyHook != nullptr) {
            ::UnhookWindowsHookEx(g_keyHook);
            g_keyHook = nullptr;
        }
        Destroy();
    }

    // Each time the window is shown: the range follows the current tab, the
    // results are cleared, the keyword edit has the focus.
    void ShowAgain() {
        const int page = CurrentTab();
        ::SendMessageA(Item(IDC_FIND_RANGE), CB_SETCURSEL, static_cast<WPARAM>(page), 0);
        SetupResults(page);
        ::ShowWindow(m_hwnd, SW_SHOW);
        ::SetForegroundWindow(m_hwnd);
        ::SetFocus(Item(IDC_FIND_KEYWORD));
    }

protected:
    INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        switch (msg) {
        case WM_INITDIALOG: OnInitDialog(); return TRUE;
        case WM_COMMAND: return OnCommand(LOWORD(wp), HIWORD(wp));
        case WM_NOTIFY: return OnNotify(reinterpret_cast<NMHDR*>(lp));
        case WM_SIZING: OnSizing(static_cast<int>(wp), reinterpret_cast<RECT*>(lp)); return TRUE;
        case WM_SIZE: Layout(LOWORD(lp), HIWORD(lp)); return TRUE;
        case WM_ACTIVATE:
            // Coming back after deleting in the center: the rows say so at once.
            if (LOWORD(wp) != WA_INACTIVE) ::InvalidateRect(Results(), nullptr, FALSE);
            return FALSE;
        case WM_SYSCOMMAND:
            if ((wp & 0xFFF0) == SC_CLOSE) {
                SavePosition();
                Hide();
                return SetResult(0);
            }
            return FALSE;
        case WM_CLOSE: Hide(); return TRUE;
        case WM_DESTROY:
            if (g_findWindow == m_hwnd) g_findWindow = nullptr;
            return FALSE;
        default: return FALSE;
        }
    }

private:
    bool IsPage(int page) const { return m_owner.PageName(page) != nullptr; }
    HWND Results() const { return Item(IDC_FIND_RESULTS); }

    int CurrentTab() const { return m_owner.ActivePage() == 1 ? 1 : 0; }

    void OnInitDialog() {
        m_status = ::CreateWindowExA(
            0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, m_hwnd,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_FIND_STATUS)), win::Instance(), nullptr);
        ::SendMessageA(m_status, WM_SETFONT, Send(WM_GETFONT), FALSE);
        // The message center's own icon in the caption.
        HANDLE icon =
            ::LoadImageA(win::Instance(), MAKEINTRESOURCEA(IDI_MSGCENTER), IMAGE_ICON, 16, 16, LR_SHARED);
        Send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
        HWND range = Item(IDC_FIND_RANGE);
        for (int page = 0; page < 2; ++page) {
            const char* name = m_owner.PageName(page);
            ::SendMessageA(range, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name != nullptr ? name : ""));
        }
        const int page = CurrentTab();
        ::SendMessageA(range, CB_SETCURSEL, static_cast<WPARAM>(page), 0);
        SetupResults(page);
        const RECT rc = ClientRect();
        Layout(rc.right, rc.bottom);
    }

    // Default: centred on the screen; then whatever Nuntio.ini says.
    void Place() {
        const RECT rc = WindowRect();
        const int width = rc.right - rc.left;
        const int height = rc.bottom - rc.top;
        const int left0 = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
        const int top0 = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
        const char* ini = m_iniPath.c_str();
        const int left = static_cast<int>(::GetPrivateProfileIntA(kSection, "left", left0, ini));
        const int top = static_cast<int>(::GetPrivateProfileIntA(kSection, "top", top0, ini));
        const int right = static_cast<int>(::GetPrivateProfileIntA(kSection, "right", left + width, ini));
        const int bottom = static_cast<int>(::GetPrivateProfileIntA(kSection, "bottom", top + height, ini));
        ::MoveWindow(m_hwnd, left, top, right - left, bottom - top, TRUE);
    }

    void SavePosition() const {
        const RECT rc = WindowRect();
        const char* ini = m_iniPath.c_str();
        const std::pair<const char*, LONG> keys[] = {
            {"left", rc.left}, {"top", rc.top}, {"right", rc.right}, {"bottom", rc.bottom}};
        for (const auto& [key, value] : keys) {
            char text[16];
            std::snprintf(text, sizeof text, "%ld", static_cast<long>(value));
            ::WritePrivateProfileStringA(kSection, key, text, ini);
        }
    }

    // The next show clears the results, so the copies go now.
    void Hide() {
        ::ShowWindow(m_hwnd, SW_HIDE);
        ListView_SetItemCountEx(Results(), 0, 0);
        m_results.reset();
    }

    void SetStatus(const char* text) const {
        ::SendMessageA(m_status, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    }

    // The result list takes the columns and icons of that category and
    // loses its rows.
    void SetupResults(int page) {
        m_results.reset();
        m_slots.clear();
        ListView_SetItemCountEx(Results(), 0, 0);
        if (IsPage(page)) m_slots = m_owner.SetupColumns(page, Results());
    }

    INT_PTR OnCommand(int id, int code) {
        switch (id) {
        case IDC_FIND_KEYWORD:
            if (code == EN_CHANGE)
                ::EnableWindow(Item(IDC_FIND_SEARCH),
                               ::GetWindowTextLengthA(Item(IDC_FIND_KEYWORD)) > 0 ? TRUE : FALSE);
            return TRUE;
        case IDC_FIND_RANGE:
            if (code == CBN_SELCHANGE) {
                const int sel = static_cast<int>(::SendMessageA(Item(IDC_FIND_RANGE), CB_GETCURSEL, 0, 0));
                if (IsPage(sel))
                    SetupResults(sel);
                else
                    SetStatus("指定的范围无效！");
            }
            return TRUE;
        case IDC_FIND_SEARCH:
        case IDOK: Search(); return TRUE;
        case IDCANCEL: Hide(); return TRUE;
        default: return FALSE;
        }
    }

    void Search() {
        const int sel = static_cast<int>(::SendMessageA(Item(IDC_FIND_RANGE), CB_GETCURSEL, 0, 0));
        if (!IsPage(sel)) {
            SetStatus("指定的范围无效！");
            return;
        }
        const std::string keyword = win::Window(Item(IDC_FIND_KEYWORD)).Text();
        if (keyword.empty()) {
            SetStatus("请输入查找关键字！");
            return;
        }
        HWND button = Item(IDC_FIND_SEARCH);
        ::EnableWindow(button, FALSE);
        HCURSOR cursor = ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
        m_nSearchedCategory = sel;
        SetupResults(sel);
        try {
            m_results = m_owner.Search(sel, keyword);
        } catch (const std::bad_alloc&) {
            m_results.reset();
        }
        const int count = m_results ? static_cast<int>(m_results->GetCount()) : 0;
        ListView_SetItemCountEx(Results(), count, 0);
        ::SetCursor(cursor);
        char text[96];
        if (m_results && m_results->Complete())
            std::snprintf(text, sizeof text, "共查找到%d条消息。", count);
        else
            std::snprintf(text, sizeof text, "内存不足，只列出了找到的前%d条消息。", count);
        SetStatus(text);
        ::EnableWindow(button, TRUE);
    }

    size_t ResultCount() const { return m_results ? m_results->GetCount() : 0; }

    void OnGetDispInfo(NMLVDISPINFOA& info) {
        LVITEMA& item = info.item;
        if (item.iItem < 0 || static_cast<size_t>(item.iItem) >= ResultCount()) return;
        const size_t row = static_cast<size_t>(item.iItem);
        const ptrdiff_t pos = m_results->Locate(row);
        if (item.mask & LVIF_PARAM) item.lParam = static_cast<LPARAM>(pos);
        if (item.mask & LVIF_IMAGE) item.iImage = m_results->RowImage(row);
        if ((item.mask & LVIF_TEXT) && item.pszText != nullptr && item.cchTextMax > 0) {
            m_text.clear();
            if (item.iSubItem > 0 && static_cast<size_t>(item.iSubItem) <= m_slots.size()) {
                // The first text column says when the message is gone.
                if (pos < 0 && item.iSubItem == 1) m_text = "（已删除）";
                m_text += m_results->RowText(row, m_slots[static_cast<size_t>(item.iSubItem) - 1]);
            }
            ::lstrcpynA(item.pszText, m_text.c_str(), item.cchTextMax);
        }
    }

    // Rows of messages gone are drawn in the grey of disabled text.
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw) {
        switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT:
            if (draw.nmcd.dwItemSpec < ResultCount() && m_results->Locate(draw.nmcd.dwItemSpec) < 0)
                draw.clrText = ::GetSysColor(COLOR_GRAYTEXT);
            return CDRF_DODEFAULT;
        default: return CDRF_DODEFAULT;
        }
    }

    INT_PTR OnNotify(NMHDR* hdr) {
        if (hdr->idFrom != IDC_FIND_RESULTS) return FALSE;
        switch (hdr->code) {
        case LVN_GETDISPINFOA: OnGetDispInfo(*reinterpret_cast<NMLVDISPINFOA*>(hdr)); return TRUE;
        case NM_CUSTOMDRAW: return SetResult(OnCustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(hdr)));
        case LVN_ITEMCHANGED: {
            const auto* change = reinterpret_cast<NMLISTVIEW*>(hdr);
            constexpr UINT both = LVIS_SELECTED | LVIS_FOCUSED;
            if ((change->uChanged & LVIF_STATE) && (change->uNewState & both) == both &&
                (change->uOldState & both) != both)
                ShowInCategory(change->iItem);
            return TRUE;
        }
        case NM_DBLCLK: {
            const int row = ListView_GetNextItem(Results(), -1, LVNI_SELECTED);
            if (ResultCount() > 0 && row >= 0) Activate(row);
            return TRUE;
        }
        default: return FALSE;
        }
    }

    // Where the row's message stands in the searched category now; -1 when
    // there is no such row, or when the message is gone (the status bar says so).
    int CurrentPosition(int row) {
        if (!IsPage(m_nSearchedCategory) || row < 0 || static_cast<size_t>(row) >= ResultCount()) return -1;
        const ptrdiff_t pos = m_results->Locate(static_cast<size_t>(row));
        if (pos < 0) SetStatus("该消息已被删除。");
        return static_cast<int>(pos);
    }

    void ShowInCategory(int row) {
        const int pos = CurrentPosition(row);
        if (pos >= 0) m_owner.Reveal(m_nSearchedCategory, pos);
    }

    void Activate(int row) {
        const int pos = CurrentPosition(row);
        if (pos >= 0) m_owner.Open(m_nSearchedCategory, pos);
    }

    void OnSizing(int edge, RECT* rc) {
        const int dpi = win::DpiOf(m_hwnd);
        if (rc->right - rc->left < win::Scale(kMinWidth, dpi))
            rc->right = rc->left + win::Scale(kMinWidth, dpi);
        if (rc->bottom - rc->top < win::Scale(kMinHeight, dpi))
            rc->bottom = rc->top + win::Scale(kMinHeight, dpi);
        (void)edge;
    }

    void Layout(int cx, int cy) {
        if (m_status == nullptr || Results() == nullptr) return;
        struct Place {
            int id, x, y, w, h;
        };
        // Pixels at 96 DPI, scaled to the window's.
        const int dpi = win::DpiOf(m_hwnd);
        auto px = [dpi](int v) { return win::Scale(v, dpi); };
        const Place places[] = {
            {IDC_FIND_CONDITIONS, px(7), 0, cx - px(14), px(83)},
            {IDC_FIND_RESULTFRAME, px(7), px(93), cx - px(14), cy - px(113)},
            {IDC_FIND_RESULTS, px(15), px(108), cx - px(30), cy - px(135)},
            {IDC_FIND_SEARCH, cx - px(92), px(20), px(78), px(21)},
            {IDCANCEL, cx - px(92), px(50), px(78), px(21)},
            {IDC_FIND_KEYWORD, px(83), px(20), cx - px(187), px(21)},
            {IDC_FIND_RANGE, px(83), px(50), cx - px(187), px(100)},
        };
        ::MoveWindow(m_status, 0, 0, cx, cy, TRUE);
        for (const Place& p : places)
            ::MoveWindow(Item(p.id), p.x, p.y, std::max(0, p.w), std::max(0, p.h), TRUE);
        ::InvalidateRect(m_hwnd, nullptr, TRUE);
    }

    HWND m_center;
    IFindOwner& m_owner;
    std::string m_iniPath;
    int m_nSearchedCategory = -1;
    HWND m_status = nullptr;
    // The last search's results, until the next show, range change or search.
    std::unique_ptr<IFoundMessages> m_results;
    std::vector<int> m_slots;
    std::string m_text;
};

CFindDlg::CFindDlg() = default;
CFindDlg::~CFindDlg() = default;

void CFindDlg::Open(HWND center, IFindOwner& owner, const char* iniPath) {
    if (m_impl == nullptr || !m_impl->IsLive()) {
        m_impl = std::make_unique<CFindDlgImpl>(center, owner, iniPath != nullptr ? iniPath : "");
        if (!m_impl->Create()) {
            m_impl.reset();
            return;
        }
    }
    if (!m_impl->IsVisible()) m_impl->ShowAgain();
}

void CFindDlg::Destroy() {
    m_impl.reset();
}

HWND CFindDlg::Handle() const {
    return m_impl != nullptr ? m_impl->Handle() : nullptr;
}

} // namespace nuntio
