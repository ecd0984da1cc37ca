#include "ui_driver.h"

#include <commctrl.h>

namespace testhost {

namespace {
DialogAnswerer* g_active = nullptr;

BOOL CALLBACK CollectDialog(HWND hwnd, LPARAM lp) {
    if (IsWindowVisible(hwnd) && ClassName(hwnd) == "#32770")
        reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
    return TRUE;
}

BOOL CALLBACK CollectAny(HWND hwnd, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
    return TRUE;
}

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
    EnumThreadWindows(GetCurrentThreadId(), CollectDialog, reinterpret_cast<LPARAM>(&out));
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

int ColumnOf(HWND list, const std::string& heading) {
    const std::vector<std::string> shown = Headings(list);
    std::vector<int> order(shown.size());
    if (!order.empty()) ListView_GetColumnOrderArray(list, static_cast<int>(order.size()), order.data());
    for (size_t i = 0; i < shown.size(); ++i)
        if (shown[i] == heading) return order[i];
    return -1;
}

DialogAnswerer::DialogAnswerer(Action action) : m_action(std::move(action)) {
    std::vector<HWND> all;
    EnumThreadWindows(GetCurrentThreadId(), CollectAny, reinterpret_cast<LPARAM>(&all));
    m_known.insert(all.begin(), all.end());
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
        HWND button = GetDlgItem(dlg, buttonId);
        PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    };
}

DialogAnswerer::Action DialogAnswerer::Close() {
    return Press(IDCANCEL);
}

} // namespace testhost
