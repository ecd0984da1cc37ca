// The popup notifier of both categories, driven through the exports (alerts
// with Visual and Popup set, trade messages in the default prompt mode): what
// only real windows show. The slide's plan and phases, the skin's shape and
// the caption's parts have native tests. The texts the DLL draws and its
// timers are seen at its import table; the timers are held by the test, which
// delivers each WM_TIMER itself, except in two tests.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "iat_hook.h"
#include "nuntio_host.h"
#include "ui_driver.h"

using namespace testhost;

namespace {

constexpr const char* kPopupClass = "NuntioTaskbarNotifier";
constexpr UINT kPopupClicked = 0x047B;
constexpr UINT kTextFlags = DT_CENTER | DT_VCENTER | DT_WORDBREAK | DT_END_ELLIPSIS;

bool IsPopup(HWND hwnd) {
    return ClassName(hwnd) == kPopupClass;
}

// ---- What the DLL asks of the system -------------------------------------

struct Drawn {
    std::string text;
    UINT flags;
    COLORREF color;
    LONG weight;
    bool underline;
    bool operator==(const Drawn&) const = default;
};
void PrintTo(const Drawn& d, std::ostream* os) {
    *os << "{\"" << d.text << "\", flags " << d.flags << ", colour " << std::hex << d.color << std::dec
        << ", weight " << d.weight << (d.underline ? ", underlined}" : "}");
}

struct Record {
    bool realTimers = false;                                   // let the popup's timers run
    std::map<HWND, std::map<UINT_PTR, UINT>> running, periods; // the popups' timers: running, as last set
    std::vector<Drawn> drawn;
    void* setTimer = nullptr;
    void* killTimer = nullptr;
    void* drawText = nullptr;
};
Record g;

UINT_PTR WINAPI HookSetTimer(HWND hwnd, UINT_PTR id, UINT period, TIMERPROC proc) {
    if (!IsPopup(hwnd)) return reinterpret_cast<decltype(&SetTimer)>(g.setTimer)(hwnd, id, period, proc);
    g.running[hwnd][id] = g.periods[hwnd][id] = period;
    if (g.realTimers) return reinterpret_cast<decltype(&SetTimer)>(g.setTimer)(hwnd, id, period, proc);
    return id;
}

BOOL WINAPI HookKillTimer(HWND hwnd, UINT_PTR id) {
    if (IsPopup(hwnd)) g.running[hwnd].erase(id);
    return reinterpret_cast<decltype(&KillTimer)>(g.killTimer)(hwnd, id);
}

int WINAPI HookDrawTextA(HDC dc, LPCSTR text, int n, LPRECT rc, UINT flags) {
    HWND hwnd = WindowFromDC(dc);
    if (hwnd != nullptr && IsPopup(hwnd)) {
        LOGFONTA lf{};
        GetObjectA(GetCurrentObject(dc, OBJ_FONT), sizeof lf, &lf);
        g.drawn.push_back({n < 0 ? std::string(text) : std::string(text, static_cast<size_t>(n)), flags,
                           GetTextColor(dc), lf.lfWeight, lf.lfUnderline != 0});
    }
    return reinterpret_cast<decltype(&DrawTextA)>(g.drawText)(dc, text, n, rc, flags);
}

class NotifierTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        g = Record{};
    }
    HWND Init() {
        Hook("user32.dll", "SetTimer", reinterpret_cast<void*>(&HookSetTimer), &g.setTimer);
        Hook("user32.dll", "KillTimer", reinterpret_cast<void*>(&HookKillTimer), &g.killTimer);
        Hook("user32.dll", "DrawTextA", reinterpret_cast<void*>(&HookDrawTextA), &g.drawText);
        return HostTest::Init();
    }
    // Skin setting and stay seconds of both categories, written into their
    // configuration files between two runs of the DLL.
    void Configure(int32_t style, int32_t staySeconds) {
        Init();
        Reload();
        for (const char* name : {"AlertMsg.cfg", "TradeMsg.cfg"}) {
            PatchCfg(name, 2, style);
            PatchCfg(name, 6, staySeconds);
        }
        g = Record{};
    }

    // Both notifiers' windows, owned by the message-center window; the one
    // shown (other than `except`).
    std::vector<HWND> Popups() const {
        std::vector<HWND> out = TopWindows(kPopupClass);
        std::erase_if(out, [this](HWND h) { return GetWindow(h, GW_OWNER) != center; });
        return out;
    }
    HWND Shown(HWND except = nullptr) const {
        for (HWND h : Popups())
            if (h != except && IsWindowVisible(h)) return h;
        return nullptr;
    }
    void Alert(const char* module, const char* content) {
        AlertRecord a = MakeAlert(module, content);
        a.prop = {1, 0, 0, 1, 0, 1, 0, 0, 0, 0}; // visual, popup
        std::strcpy(a.szCode, "600000");
        std::strcpy(a.szName, "浦发银行");
        std::strcpy(a.szObject, "最新价");
        ASSERT_EQ(dll->DoAlert(&a), 1);
    }
    // A WM_POPUP_CLICKED waiting for the message-center window.
    bool ClickPosted() const {
        MSG m;
        return PeekMessageA(&m, center, kPopupClicked, kPopupClicked, PM_NOREMOVE) != FALSE;
    }

    // The timers the DLL has set on the popup and not killed.
    std::vector<UINT_PTR> Running(HWND popup) const {
        std::vector<UINT_PTR> ids;
        for (const auto& [id, period] : g.running[popup])
            ids.push_back(id);
        return ids;
    }
    // Ticks timer `id` while it runs (cap: far more than any slide needs).
    void TickWhileRunning(HWND popup, UINT_PTR id) {
        for (int n = 0; n < 1000 && Running(popup) == std::vector<UINT_PTR>{id}; ++n)
            SendMessageA(popup, WM_TIMER, id, 0);
    }
    // What the popup draws while `send` runs: the title, then the body.
    template <class F>
    std::vector<Drawn> DrawnBy(F send) {
        const size_t from = g.drawn.size();
        send();
        return std::vector<Drawn>(g.drawn.begin() + static_cast<ptrdiff_t>(from), g.drawn.end());
    }
    std::vector<Drawn> Redraw(HWND popup) {
        return DrawnBy(
            [&] { RedrawWindow(popup, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); });
    }
};

// ---- Skins ------------------------------------------------------------------

// Each skin setting's region spans its bitmap: its height, and its width in
// whole groups of four columns. Which pixels it cuts is the core's.
TEST_F(NotifierTest, EachSkinsRegionSpansItsBitmapForBothCategories) {
    const SIZE skins[] = {{196, 171}, {180, 152}, {180, 152}};
    for (int32_t style = 0; style < 3; ++style) {
        SCOPED_TRACE(style);
        Configure(style, 3);
        ASSERT_TRUE(IsWindow(Init()));
        const std::vector<HWND> popups = Popups();
        ASSERT_EQ(popups.size(), 2u) << "one per category";
        for (HWND popup : popups) {
            EXPECT_FALSE(IsWindowVisible(popup));
            EXPECT_NE(GetWindowLongA(popup, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
            EXPECT_EQ(GetWindowLongA(popup, GWL_STYLE) & (WS_POPUP | WS_CAPTION),
                      static_cast<LONG>(WS_POPUP));
            EXPECT_EQ(BoxText(RegionBox(popup)), BoxText({0, 0, skins[style].cx, skins[style].cy}));
        }
        Reload();
    }
}

// ---- Clicks ----------------------------------------------------------------------

TEST_F(NotifierTest, TheCloseBoxOnlyHidesAClickElsewhereAlsoBringsTheCenterForward) {
    HostWindow host;
    Init();
    SetActiveWindow(host.hwnd); // Nuntio_Init leaves its hidden window active
    ASSERT_FALSE(IsWindowVisible(center));
    // Inside the 20 x 20 box at the top right (197 wide: x 177 to 196), then
    // just outside it, left of and below the box.
    const struct {
        POINT at;
        bool close;
    } clicks[] = {{{177, 19}, true}, {{176, 5}, false}, {{190, 20}, false}};
    for (const auto& c : clicks) {
        SCOPED_TRACE(testing::Message() << c.at.x << "," << c.at.y);
        Alert("行情预警", "点击");
        HWND popup = Shown();
        ASSERT_NE(popup, nullptr);
        TickWhileRunning(popup, 1);
        SendMessageA(popup, WM_SETCURSOR, reinterpret_cast<WPARAM>(popup),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND))) << "the hand";
        const HWND active = GetActiveWindow();
        SendMessageA(popup, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c.at.x, c.at.y));
        SendMessageA(popup, WM_LBUTTONUP, 0, MAKELPARAM(c.at.x, c.at.y));
        EXPECT_FALSE(IsWindowVisible(popup));
        EXPECT_TRUE(Running(popup).empty());
        EXPECT_EQ(ClickPosted(), !c.close);
        EXPECT_EQ(GetActiveWindow(), active) << "the click did not activate the popup";
        Pump(50);
        EXPECT_EQ(IsWindowVisible(center) != FALSE, !c.close) << "the center came forward";
    }

    // Closing the popup's window only hides it; so does answering the tray
    // icon, both popups.
    Alert("行情预警", "关闭窗口");
    HWND popup = Shown();
    SendMessageA(popup, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(popup));
    EXPECT_FALSE(IsWindowVisible(popup));
    EXPECT_TRUE(Running(popup).empty());
    EXPECT_FALSE(ClickPosted());
    Alert("行情预警", "托盘");
    Trade("托盘", "委托成交");
    ASSERT_NE(Shown(Shown()), nullptr);
    SendMessageA(center, 0x8064, 20010, WM_LBUTTONDBLCLK);
    for (HWND h : Popups()) {
        EXPECT_FALSE(IsWindowVisible(h));
        EXPECT_TRUE(Running(h).empty());
    }
}

// ---- Painting ---------------------------------------------------------------------

TEST_F(NotifierTest, TitleAndBodyAreDrawnWithoutEmptyBracketsAndHoverUnderlinesTheBody) {
    Init();
    Alert("行情[]预警", "[]开头[]中间[]");
    HWND popup = Shown();
    ASSERT_NE(popup, nullptr);
    TickWhileRunning(popup, 1);
    const Drawn title{"行情[]预警", kTextFlags, RGB(64, 64, 225), FW_BOLD, false}; // keeps its brackets
    Drawn body{"600000:浦发银行\r\n最新价开头中间", kTextFlags, RGB(0, 0, 0), FW_BOLD, false};
    EXPECT_EQ(Redraw(popup), (std::vector<Drawn>{title, body}));
    body.underline = true;
    EXPECT_EQ(DrawnBy([&] { SendMessageA(popup, WM_MOUSEHOVER, 0, 0); }), (std::vector<Drawn>{title, body}));
    body.underline = false;
    EXPECT_EQ(DrawnBy([&] { SendMessageA(popup, WM_MOUSELEAVE, 0, 0); }), (std::vector<Drawn>{title, body}));
    // A new message while the popup is out is drawn at once.
    const std::vector<Drawn> next = DrawnBy([&] { Alert("第二条", "b"); });
    ASSERT_FALSE(next.empty());
    EXPECT_EQ(next[0].text, "第二条");

    // A trade: "交易-" and the event over the detail.
    SendMessageA(popup, WM_CLOSE, 0, 0);
    Trade("买入[] 浦发银行 100股", "委托成交");
    HWND trade = Shown();
    ASSERT_NE(trade, nullptr);
    TickWhileRunning(trade, 1);
    const std::vector<Drawn> t = Redraw(trade);
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].text, "交易-委托成交");
    EXPECT_EQ(t[1].text, "买入 浦发银行 100股");
}

// ---- With the real timers ---------------------------------------------------------------

// The whole road on the system's timers: out of the work area's edge on the
// taskbar's side (which side and how far is the core's plan) until wholly
// inside, the configured stay, back to where it came from (where it is left,
// hidden).
TEST_F(NotifierTest, OnTheRealTimersItSlidesOutOfTheTaskbarSideStaysAndSlidesBack) {
    Configure(0, 1);
    g.realTimers = true;
    Init();
    RECT work{}, inside{};
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    Alert("行情预警", "实时");
    HWND popup = Shown();
    ASSERT_NE(popup, nullptr);
    // Waits on what the popup does, with caps far beyond any machine's pace.
    for (int i = 0; i < 3000 && Running(popup) == std::vector<UINT_PTR>{1}; ++i)
        Pump(5);
    ASSERT_EQ(Running(popup), std::vector<UINT_PTR>{2});
    EXPECT_EQ(g.periods[popup][2], 1000u) << "the configured stay";
    const RECT shown = WindowBox(popup);
    EXPECT_TRUE(IntersectRect(&inside, &shown, &work) && EqualRect(&inside, &shown)) << BoxText(shown);
    for (int i = 0; i < 6000 && IsWindowVisible(popup); ++i)
        Pump(5);
    ASSERT_FALSE(IsWindowVisible(popup));
    EXPECT_TRUE(Running(popup).empty());
    const RECT back = WindowBox(popup);
    EXPECT_FALSE(IntersectRect(&inside, &back, &work)) << "back beyond the edge: " << BoxText(back);
    EXPECT_TRUE(shown.left == back.left || shown.top == back.top) << "straight out and back";
}

// A host that unloads the library in the middle of a slide: the popups and
// their class go with the library (no timer left to call into unloaded code),
// and a library loaded again shows its popup as before.
TEST_F(NotifierTest, UnloadingInTheMiddleOfASlideLeavesNothingBehind) {
    for (int run = 0; run < 2; ++run) {
        g = Record{};
        g.realTimers = true;
        ASSERT_TRUE(IsWindow(Init()));
        Alert("行情预警", "卸载");
        HWND popup = Shown();
        ASSERT_NE(popup, nullptr);
        for (int i = 0; i < 2000 && WindowBox(popup).right == WindowBox(popup).left; ++i)
            Pump(5);
        ASSERT_EQ(Running(popup), std::vector<UINT_PTR>{1}) << "still sliding";
        const HMODULE module = dll->Module();
        Reload();
        EXPECT_FALSE(IsWindow(popup));
        EXPECT_EQ(FindWindowExA(nullptr, nullptr, kPopupClass, nullptr), nullptr);
        WNDCLASSA wc{};
        EXPECT_FALSE(GetClassInfoA(module, kPopupClass, &wc));
        Pump(100);
    }
}

} // namespace
