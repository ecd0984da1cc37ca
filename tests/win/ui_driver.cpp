#include "ui_driver.h"

#include <commctrl.h>

#include "nuntio_host.h"

namespace testhost {

namespace {
DialogAnswerer* g_active = nullptr;

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != 0x0839 && msg != 0x083C) return DefWindowProcA(hwnd, msg, wp, lp);
    HostWindow::Request r{msg, wp, lp, {}, hwnd};
    if (msg == 0x083C && lp != 0) r.text = reinterpret_cast<const char*>(lp);
    HostWindow::requests.push_back(r);
    if (HostWindow::onRequest) HostWindow::onRequest(msg);
    return 0;
}
} // namespace

std::vector<HostWindow::Request> HostWindow::requests;
std::function<void(UINT)> HostWindow::onRequest;

HostWindow::HostWindow(bool visible) {
    requests.clear();
    WNDCLASSA wc{};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "NuntioTestHost";
    RegisterClassA(&wc);
    hwnd = CreateWindowExA(0, wc.lpszClassName, "host", WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 0,
                           0, 300, 200, nullptr, nullptr, wc.hInstance, nullptr);
    if (visible) SetActiveWindow(hwnd);
}

HostWindow::~HostWindow() {
    DestroyWindow(hwnd);
}

std::string ClassName(HWND hwnd) {
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

std::string WindowText(HWND hwnd) {
    char text[1024] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

std::vector<HWND> ThreadDialogs() {
    std::vector<HWND> out;
    for (HWND h : TopWindows("#32770"))
        if (IsWindowVisible(h) && GetWindowThreadProcessId(h, nullptr) == GetCurrentThreadId())
            out.push_back(h);
    return out;
}

std::vector<HWND> Children(HWND parent, const char* cls, bool deep) {
    std::vector<HWND> out;
    for (HWND c = GetWindow(parent, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        if (cls == nullptr || ClassName(c) == cls) out.push_back(c);
        if (deep)
            for (HWND d : Children(c, cls, true))
                out.push_back(d);
    }
    return out;
}

std::vector<std::string> Headings(HWND list) {
    HWND header = ListView_GetHeader(list);
    std::vector<int> order(static_cast<size_t>(Header_GetItemCount(header)));
    if (!order.empty()) ListView_GetColumnOrderArray(list, static_cast<int>(order.size()), order.data());
    std::vector<std::string> out;
    for (int index : order) {
        char text[64] = {};
        HDITEMA item{};
        item.mask = HDI_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        Header_GetItem(header, index, &item);
        out.emplace_back(text);
    }
    return out;
}

std::vector<std::string> ColumnTexts(HWND list, int sub) {
    std::vector<std::string> out;
    for (int row = 0; row < ListView_GetItemCount(list); ++row)
        out.push_back(CellText(list, row, sub));
    return out;
}

std::vector<int> SelectedRows(HWND list) {
    std::vector<int> rows;
    for (int i = -1; (i = ListView_GetNextItem(list, i, LVNI_SELECTED)) != -1;)
        rows.push_back(i);
    return rows;
}

void SelectOnly(HWND list, std::initializer_list<int> rows) {
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    for (int row : rows)
        ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

std::vector<HWND> TopWindows(const char* cls) {
    std::vector<HWND> out;
    for (HWND h = nullptr; (h = FindWindowExA(nullptr, h, cls, nullptr)) != nullptr;)
        out.push_back(h);
    return out;
}

RECT WindowBox(HWND hwnd, HWND in) {
    RECT box{};
    GetWindowRect(hwnd, &box);
    MapWindowPoints(nullptr, in, reinterpret_cast<POINT*>(&box), 2);
    return box;
}

std::string BoxText(const RECT& box) {
    return std::to_string(box.left) + "," + std::to_string(box.top) + "," + std::to_string(box.right) + "," +
           std::to_string(box.bottom);
}

RECT RegionBox(HWND hwnd) {
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    RECT box{};
    if (GetWindowRgn(hwnd, rgn) != ERROR) GetRgnBox(rgn, &box);
    DeleteObject(rgn);
    return box;
}

LOGFONTA FontOf(HWND hwnd) {
    LOGFONTA lf{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf;
}

bool Checked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

bool Enabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

std::string Text(HWND dialog, int id) {
    return WindowText(GetDlgItem(dialog, id));
}

void Click(HWND dialog, int id) {
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void Press(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void Key(HWND dialog, int id, UINT vk) {
    SendMessageA(GetDlgItem(dialog, id), WM_KEYDOWN, vk, 1);
    SendMessageA(GetDlgItem(dialog, id), WM_KEYUP, vk, 0xC0000001);
}

void Type(HWND dialog, int id, const char* text) {
    SetDlgItemTextA(dialog, id, text);
}

DialogAnswerer::DialogAnswerer(Action action) : m_action(std::move(action)) {
    for (HWND h : TopWindows("#32770"))
        m_known.insert(h);
    m_previous = g_active;
    g_active = this;
    m_timer = SetTimer(nullptr, 0, 20, &DialogAnswerer::OnTimer);
}

DialogAnswerer::~DialogAnswerer() {
    if (m_timer != 0) KillTimer(nullptr, m_timer);
    if (g_active == this) g_active = m_previous;
}

void CALLBACK DialogAnswerer::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (g_active != nullptr) g_active->Poll();
}

void DialogAnswerer::Poll() {
    for (HWND dlg : ThreadDialogs()) {
        if (m_known.count(dlg) != 0) continue;
        m_known.insert(dlg);
        SeenDialog seen;
        seen.caption = WindowText(dlg);
        if (HWND text = GetDlgItem(dlg, 0xFFFF)) seen.message = WindowText(text);
        m_seen.push_back(seen);
        if (m_action) m_action(dlg);
    }
}

DialogAnswerer::Action DialogAnswerer::Press(int buttonId) {
    return [buttonId](HWND dlg) {
        PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dlg, buttonId)));
    };
}

DialogAnswerer::Action DialogAnswerer::Close() {
    return Press(IDCANCEL);
}

} // namespace testhost
