#include "tour.h"

#include "nuntio.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

namespace demo {

namespace {

constexpr UINT_PTR kTourTimer = 77;
constexpr UINT kStepMs = 1200;

HWND g_main = nullptr;
HWND g_center = nullptr;
std::string g_dir;
size_t g_step = 0;

// Saves the whole screen as a 24-bit BMP.
void SaveScreen(const char* name) {
    HDC screen = GetDC(nullptr);
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC mem = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, w, h, screen, 0, 0, SRCCOPY | CAPTUREBLT);
    SelectObject(mem, old);
    const DWORD stride = ((static_cast<DWORD>(w) * 3 + 3) & ~3u);
    const DWORD size = stride * static_cast<DWORD>(h);
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = fh.bfOffBits + size;
    const std::string path = g_dir + "\\" + name + ".bmp";
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(&fh, sizeof fh, 1, f);
        std::fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f);
        std::fwrite(bits, 1, size, f);
        std::fclose(f);
    }
    DeleteDC(mem);
    DeleteObject(dib);
    ReleaseDC(nullptr, screen);
}

BOOL CALLBACK FindDialog(HWND h, LPARAM lp) {
    char cls[16] = {};
    GetClassNameA(h, cls, sizeof cls);
    if (IsWindowVisible(h) && lstrcmpA(cls, "#32770") == 0 && h != g_center) {
        *reinterpret_cast<HWND*>(lp) = h;
        return FALSE;
    }
    return TRUE;
}

// The dialog the tour opened last (any visible dialog of this thread but the
// message center itself).
HWND OpenDialog() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

void CloseDialog() {
    if (HWND dlg = OpenDialog()) PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
}

void Command(int id) {
    PostMessageA(g_center, WM_COMMAND, static_cast<WPARAM>(id), 0);
}

void SelectTab(int page) {
    HWND tabs = GetDlgItem(g_center, 5000);
    SendMessageA(tabs, TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
    NMHDR hdr{tabs, 5000, static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageA(g_center, WM_NOTIFY, 5000, reinterpret_cast<LPARAM>(&hdr));
}

HWND ListOf(int id) {
    for (HWND h = FindWindowExA(g_center, nullptr, WC_LISTVIEWA, nullptr); h != nullptr;
         h = FindWindowExA(g_center, h, WC_LISTVIEWA, nullptr))
        if (GetDlgCtrlID(h) == id) return h;
    return nullptr;
}

void RightClickList(int id) {
    HWND list = ListOf(id);
    RECT rc;
    GetWindowRect(list, &rc);
    SetCursorPos(rc.left + 260, rc.top + 60);
    // Posted, so that the menu's own loop runs while the tour's timer goes on.
    static NMHDR hdr;
    hdr = NMHDR{list, static_cast<UINT_PTR>(id), static_cast<UINT>(NM_RCLICK)};
    PostMessageA(g_center, WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&hdr));
}

struct Step {
    void (*action)();
    const char* shot; // saved before the next step's action, or null
};

int g_skin = 0;
std::string g_popupShots[2];

void Wait() {}

void PopupAlert() {
    AlertRecord r{};
    r.prop = {1, 0, 0, 1, 0, 1, 0, 0, 0, 0};
    std::strcpy(r.szModule, "行情预警");
    std::strcpy(r.szCode, "600519");
    std::strcpy(r.szName, "贵州茅台");
    std::strcpy(r.szObject, "最新价");
    std::strcpy(r.szContent, "上穿 1688.00 [日线]");
    DoAlert(&r);
}

void PopupTrade() {
    InboundMessage m{};
    m.nCategory = NUNTIO_CATEGORY_TRADE;
    std::strcpy(m.body.trade.szEvent, "委托成交");
    std::strcpy(m.body.trade.szDetail, "买入 浦发银行(600000) 500股 成交价 8.52");
    m.body.trade.tOccurred = static_cast<int32_t>(time(nullptr));
    SendToMsgCenter(0, &m);
}

const std::vector<Step>& PopupSteps() {
    static std::vector<Step> steps;
    // The two kinds pop up at the same place: wait for the alert's popup to
    // stay its 3 seconds and slide back before the trade message comes.
    steps = {{PopupAlert, g_popupShots[0].c_str()}, {Wait, nullptr}, {Wait, nullptr}, {Wait, nullptr},
             {Wait, nullptr}, {PopupTrade, g_popupShots[1].c_str()}};
    return steps;
}

bool g_popupTour = false;

// Each stop: do something, wait a step, save the screen.
const std::vector<Step>& Steps() {
    static const std::vector<Step> steps = {
        {[] { SelectTab(0); }, "center-alerts"},
        {[] { SelectTab(1); }, "center-trades"},
        {[] {
             SelectTab(0);
             RightClickList(4000);
         },
         "context-menu"},
        {[] {
             EndMenu();
             Command(24997);
         },
         "settings-alert"},
        {[] {
             CloseDialog();
             SelectTab(1);
             Command(27997);
         },
         "settings-trade"},
        {[] {
             CloseDialog();
             SelectTab(0);
             Command(24996);
         },
         "columns"},
        {[] {
             CloseDialog();
             Command(24995);
         },
         "page-settings"},
        {[] {
             CloseDialog();
             Command(32805);
         },
         "find"},
        {[] { PostMessageA(g_main, WM_COMMAND, 104, 0); }, "alert-property"},
        {[] { CloseDialog(); }, nullptr},
    };
    return steps;
}

} // namespace

void StartTour(HWND mainWindow, HWND center, const std::string& dir) {
    g_main = mainWindow;
    g_center = center;
    g_dir = dir;
    g_step = 0;
    CreateDirectoryA(dir.c_str(), nullptr);
    SetTimer(mainWindow, kTourTimer, kStepMs, nullptr);
}

void StartPopupTour(HWND mainWindow, HWND center, const std::string& dir, int skin) {
    g_skin = skin;
    g_popupShots[0] = "popup-skin" + std::to_string(skin + 1) + "-alert";
    g_popupShots[1] = "popup-skin" + std::to_string(skin + 1) + "-trade";
    g_popupTour = true;
    StartTour(mainWindow, center, dir);
}

void ChooseSkin(const std::string& folder, int skin) {
    // The popup style is the 32-bit value at offset 2 of each category's
    // 170-byte configuration file.
    for (const char* name : {"AlertMsg.cfg", "TradeMsg.cfg"}) {
        const std::string path = folder + name;
        FILE* f = std::fopen(path.c_str(), "r+b");
        if (f == nullptr) continue;
        const int32_t style = skin;
        std::fseek(f, 2, SEEK_SET);
        std::fwrite(&style, 4, 1, f);
        std::fclose(f);
    }
}

bool OnTourTimer(WPARAM id) {
    if (id != kTourTimer) return false;
    const std::vector<Step>& steps = g_popupTour ? PopupSteps() : Steps();
    // Save what the previous step put on the screen, then take the next one.
    if (g_step > 0 && steps[g_step - 1].shot != nullptr) SaveScreen(steps[g_step - 1].shot);
    if (g_step < steps.size()) {
        steps[g_step++].action();
    } else {
        KillTimer(g_main, kTourTimer);
        PostMessageA(g_main, WM_CLOSE, 0, 0);
    }
    return true;
}

} // namespace demo
