// nuntio-demo: a host application in miniature. It loads Nuntio.dll, starts it
// for one user, sends alerts and trade messages, and logs what the library
// asks of its host (bring a window forward, play a voice).
//
//   nuntio-demo.exe [--root DIR] [--user NAME] [--demo] [--exit-after SECONDS]
//                   [--tour DIR [--skin 0|1|2]]
//
// --demo feeds a stream of realistic messages and opens the message center.
// --tour walks through the windows and saves a picture of the screen at each
// stop into DIR; with --skin it shows the popup in that skin instead.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "nuntio.h"
#include "tour.h"

namespace {

// The DPI the host's own window is laid out for, and a length at 96 DPI at it.
int g_dpi = 96;
int Px(int v) {
    return MulDiv(v, g_dpi, 96);
}

enum : int {
    IDC_SEND_ALERT = 101,
    IDC_SEND_TRADE,
    IDC_TOGGLE,
    IDC_PROPS,
    IDC_AUTO,
    IDC_LOG,
    IDT_FEED = 1,
    IDT_EXIT = 2,
};

struct Options {
    std::string root;
    std::string user = "演示用户";
    bool demo = false;
    int exitAfter = 0;
    std::string tour; // folder for the tour's pictures
    int skin = -1;    // with --tour: show the popup in this skin instead
};

struct Product {
    const char* code;
    const char* name;
};

constexpr Product kProducts[] = {{"600000", "浦发银行"}, {"000001", "平安银行"}, {"600519", "贵州茅台"},
                                 {"300750", "宁德时代"}, {"IF2412", "沪深300"},  {"601318", "中国平安"}};
constexpr const char* kModules[] = {"行情预警", "条件单", "技术指标", "资金监控"};
constexpr const char* kWorkspaces[] = {"默认工作区", "短线交易", "期货套利"};
constexpr const char* kWindows[] = {"分时走势", "K线图", "报价列表", "交易面板"};
constexpr const char* kObjects[] = {"最新价", "涨跌幅", "成交量", "MACD"};
constexpr const char* kEvents[] = {"委托成交", "委托撤单", "策略触发", "资金划转"};

Options g_opt;
HWND g_main = nullptr;
HWND g_log = nullptr;
HWND g_center = nullptr;
int g_fed = 0;
unsigned g_seed = 20261205;

unsigned Next() {
    g_seed = g_seed * 1103515245u + 12345u;
    return (g_seed >> 16) & 0x7FFF;
}

template <size_t N>
void Put(char (&field)[N], const char* text) {
    std::strncpy(field, text, N - 1);
    field[N - 1] = '\0';
}

void Log(const char* fmt, ...) {
    char line[512];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(line, sizeof line, fmt, ap);
    va_end(ap);
    SYSTEMTIME st;
    GetLocalTime(&st);
    char stamped[600];
    std::snprintf(stamped, sizeof stamped, "%02d:%02d:%02d  %s", st.wHour, st.wMinute, st.wSecond, line);
    LRESULT i = SendMessageA(g_log, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(stamped));
    SendMessageA(g_log, LB_SETTOPINDEX, static_cast<WPARAM>(i), 0);
}

void SendSampleAlert() {
    AlertRecord r{};
    r.prop = {1, static_cast<uint8_t>(Next() % 3), 1, 1, 1, 1, 0, 0, 0, 0};
    r.hSourceWnd = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(g_main));
    r.nVoiceId = 100 + Next() % 5;
    const Product& p = kProducts[Next() % std::size(kProducts)];
    Put(r.szModule, kModules[Next() % std::size(kModules)]);
    Put(r.szWorkspace, kWorkspaces[Next() % std::size(kWorkspaces)]);
    Put(r.szWindow, kWindows[Next() % std::size(kWindows)]);
    Put(r.szCode, p.code);
    Put(r.szName, p.name);
    const char* object = kObjects[Next() % std::size(kObjects)];
    Put(r.szObject, object);
    char content[256];
    std::snprintf(content, sizeof content, "%s %s%s %u.%02u", p.name, object, Next() % 2 ? "上穿" : "下破",
                  5 + Next() % 60, Next() % 100);
    Put(r.szContent, content);
    int rc = DoAlert(&r);
    Log("DoAlert %s %s → %d", p.code, content, rc);
}

void SendSampleTrade() {
    InboundMessage m{};
    m.nCategory = NUNTIO_CATEGORY_TRADE;
    const Product& p = kProducts[Next() % std::size(kProducts)];
    const char* event = kEvents[Next() % std::size(kEvents)];
    Put(m.body.trade.szEvent, event);
    m.body.trade.tOccurred = static_cast<int32_t>(std::time(nullptr));
    char detail[260];
    std::snprintf(detail, sizeof detail, "%s %s(%s) %u股 价格%u.%02u", Next() % 2 ? "买入" : "卖出", p.name,
                  p.code, 100 * (1 + Next() % 20), 5 + Next() % 60, Next() % 100);
    Put(m.body.trade.szDetail, detail);
    int rc = SendToMsgCenter(0, &m);
    Log("SendToMsgCenter 交易 %s %s → %d", event, detail, rc);
}

HWND Button(HWND parent, int id, const char* text, int x, int y, int w) {
    HWND b = CreateWindowExA(0, "BUTTON", text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, Px(x),
                             Px(y), Px(w), Px(26), parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             nullptr, nullptr);
    SendMessageA(b, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    return b;
}

void OnCommand(int id) {
    switch (id) {
    case IDC_SEND_ALERT: SendSampleAlert(); break;
    case IDC_SEND_TRADE: SendSampleTrade(); break;
    case IDC_TOGGLE: Log("ToggleMsgCenter → %d", ToggleMsgCenter()); break;
    case IDC_PROPS: {
        AlertProperty p{};
        GetAlertDefaultSet(&p);
        int rc = OpenAlertPropertyDlg(&p);
        if (rc == 1) SetAlertDefaultSet(&p);
        Log("OpenAlertPropertyDlg → %d (声音 %d, 弹出 %d)", rc, p.Sound, p.Popup);
        break;
    }
    case IDC_AUTO:
        g_opt.demo = !g_opt.demo;
        if (g_opt.demo)
            SetTimer(g_main, IDT_FEED, 1500, nullptr);
        else
            KillTimer(g_main, IDT_FEED);
        Log(g_opt.demo ? "自动演示：开" : "自动演示：关");
        break;
    }
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: {
        g_main = hwnd;
        Button(hwnd, IDC_SEND_ALERT, "发送报警", 10, 10, 110);
        Button(hwnd, IDC_SEND_TRADE, "发送交易消息", 126, 10, 110);
        Button(hwnd, IDC_TOGGLE, "显示/隐藏消息中心", 242, 10, 140);
        Button(hwnd, IDC_PROPS, "报警属性...", 388, 10, 100);
        Button(hwnd, IDC_AUTO, "自动演示", 494, 10, 90);
        g_log = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, Px(10), Px(44),
                                Px(574), Px(230), hwnd,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_LOG)), nullptr, nullptr);
        SendMessageA(g_log, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
        return 0;
    }
    case WM_SIZE: MoveWindow(g_log, Px(10), Px(44), LOWORD(lp) - Px(20), HIWORD(lp) - Px(54), TRUE); return 0;
    case WM_COMMAND: OnCommand(LOWORD(wp)); return 0;
    case WM_TIMER:
        if (demo::OnTourTimer(wp)) return 0;
        if (wp == IDT_FEED) {
            if (++g_fed % 3 == 0)
                SendSampleTrade();
            else
                SendSampleAlert();
        } else if (wp == IDT_EXIT) {
            DestroyWindow(hwnd);
        }
        return 0;
    case NUNTIO_WM_ACTIVATE_SOURCE:
        Log("收到 0x0839：激活源窗口 wParam=%u hSourceWnd=0x%08X", static_cast<unsigned>(wp),
            static_cast<unsigned>(lp));
        SetForegroundWindow(hwnd);
        return 0;
    case NUNTIO_WM_PLAY_VOICE: Log("收到 0x083C：播放语音 nVoiceId=%u", static_cast<unsigned>(wp)); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

void ParseArgs() {
    for (int i = 1; i < __argc; ++i) {
        std::string a = __argv[i];
        auto value = [&]() -> std::string { return i + 1 < __argc ? __argv[++i] : ""; };
        if (a == "--root")
            g_opt.root = value();
        else if (a == "--user")
            g_opt.user = value();
        else if (a == "--demo")
            g_opt.demo = true;
        else if (a == "--exit-after")
            g_opt.exitAfter = std::atoi(value().c_str());
        else if (a == "--tour")
            g_opt.tour = value();
        else if (a == "--skin")
            g_opt.skin = std::atoi(value().c_str());
    }
    if (g_opt.root.empty()) {
        char profile[MAX_PATH] = {};
        DWORD n = GetEnvironmentVariableA("USERPROFILE", profile, MAX_PATH);
        g_opt.root = (n > 0 && n < MAX_PATH ? std::string(profile) : std::string("C:")) + "\\NuntioDemo";
    }
    // The host owns root\User\<user>; Nuntio makes its own folder below it.
    CreateDirectoryA(g_opt.root.c_str(), nullptr);
    CreateDirectoryA((g_opt.root + "\\User").c_str(), nullptr);
    CreateDirectoryA((g_opt.root + "\\User\\" + g_opt.user).c_str(), nullptr);
}

} // namespace

// The demo host is per-monitor aware (v2 where Windows has it), as a trading
// client on a 4K laptop should be: Nuntio's windows then lay out for the DPI
// of their monitor. Looked up at run time: older systems lack the calls.
// The system's DPI, which the demo host's own window is sized for.
static int DemoDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

static void DeclareDpiAwareness() {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    using ContextFn = BOOL(WINAPI*)(HANDLE);
    if (auto setContext = reinterpret_cast<ContextFn>(
            reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")))) {
        if (setContext(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4))) || // per monitor v2
            setContext(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3))))   // per monitor
            return;
    }
    if (HMODULE shcore = LoadLibraryA("shcore.dll")) {
        using AwarenessFn = HRESULT(WINAPI*)(int);
        if (auto setAwareness = reinterpret_cast<AwarenessFn>(
                reinterpret_cast<void*>(GetProcAddress(shcore, "SetProcessDpiAwareness"))))
            if (setAwareness(2) == S_OK) return; // per monitor
    }
    SetProcessDPIAware();
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    DeclareDpiAwareness();
    g_dpi = DemoDpi();
    ParseArgs();
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);

    WNDCLASSA wc{};
    wc.lpfnWndProc = MainProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "NuntioDemoHost";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, wc.lpszClassName, "Nuntio 演示宿主 — 证券交易客户端", WS_OVERLAPPEDWINDOW,
                                20, 20, Px(610), Px(330), nullptr, nullptr, instance, nullptr);
    ShowWindow(hwnd, show);
    UpdateWindow(hwnd);

    if (g_opt.skin >= 0) demo::ChooseSkin(g_opt.root + "\\User\\" + g_opt.user + "\\Nuntio\\", g_opt.skin);
    uint32_t center = Nuntio_Init(1, 2, g_opt.root.c_str(), g_opt.user.c_str());
    g_center = reinterpret_cast<HWND>(static_cast<uintptr_t>(center));
    Log("Nuntio_Init(\"%s\", \"%s\") → 0x%08X", g_opt.root.c_str(), g_opt.user.c_str(), center);

    if (g_opt.demo) {
        for (int i = 0; i < 6; ++i)
            (i % 3 == 2) ? SendSampleTrade() : SendSampleAlert();
        SendSampleAlert();
        Log("ToggleMsgCenter → %d", ToggleMsgCenter());
        SetTimer(hwnd, IDT_FEED, 1500, nullptr);
    }
    if (!g_opt.tour.empty()) {
        KillTimer(hwnd, IDT_FEED);
        if (g_opt.skin >= 0)
            demo::StartPopupTour(hwnd, g_center, g_opt.tour, g_opt.skin);
        else
            demo::StartTour(hwnd, g_center, g_opt.tour);
    }
    if (g_opt.exitAfter > 0) SetTimer(hwnd, IDT_EXIT, static_cast<UINT>(g_opt.exitAfter * 1000), nullptr);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (g_center != nullptr && IsDialogMessageA(g_center, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    Nuntio_Exit();
    return 0;
}
