// The popup notifier of both categories, driven through the exports: alerts
// with Visual and Popup set, trade messages in the default prompt mode. What
// the DLL asks of the system is observed at its import table: the work area
// it reads (simulated, to put the taskbar on each side), the window moves, the
// texts it draws, what it posts. Its window timers are held by the test, which
// delivers each WM_TIMER itself, so that every step of the animation is seen
// and nothing depends on how fast the machine is. Two tests let the real
// timers run.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
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
    char cls[64] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    return std::strcmp(cls, kPopupClass) == 0;
}

// ---- What the DLL asks of the system -------------------------------------

struct TimerCall {
    HWND hwnd;
    bool set; // SetTimer, else KillTimer
    UINT_PTR id;
    UINT period;
};
struct Move {
    HWND hwnd;
    int x, y, cx, cy;
    UINT flags;
};
struct Drawn {
    HWND hwnd;
    std::string text;
    UINT flags;
    COLORREF color;
    LONG weight;
    bool underline;
};
struct Posted {
    HWND hwnd;
    UINT msg;
};

struct Record {
    bool realTimers = false; // let the popup's timers run
    bool haveWorkArea = false;
    RECT workArea{};
    std::vector<TimerCall> timers;
    std::vector<Move> moves;
    std::vector<Drawn> drawn;
    std::vector<Posted> posted;
    void* setTimer = nullptr;
    void* killTimer = nullptr;
    void* setWindowPos = nullptr;
    void* spi = nullptr;
    void* drawText = nullptr;
    void* postMessage = nullptr;
};
Record g;

UINT_PTR WINAPI HookSetTimer(HWND hwnd, UINT_PTR id, UINT period, TIMERPROC proc) {
    if (!IsPopup(hwnd)) return reinterpret_cast<decltype(&SetTimer)>(g.setTimer)(hwnd, id, period, proc);
    g.timers.push_back({hwnd, true, id, period});
    if (g.realTimers) return reinterpret_cast<decltype(&SetTimer)>(g.setTimer)(hwnd, id, period, proc);
    return id;
}

BOOL WINAPI HookKillTimer(HWND hwnd, UINT_PTR id) {
    if (IsPopup(hwnd)) g.timers.push_back({hwnd, false, id, 0});
    return reinterpret_cast<decltype(&KillTimer)>(g.killTimer)(hwnd, id);
}

BOOL WINAPI HookSetWindowPos(HWND hwnd, HWND after, int x, int y, int cx, int cy, UINT flags) {
    if (IsPopup(hwnd)) g.moves.push_back({hwnd, x, y, cx, cy, flags});
    return reinterpret_cast<decltype(&SetWindowPos)>(g.setWindowPos)(hwnd, after, x, y, cx, cy, flags);
}

BOOL WINAPI HookSystemParametersInfoA(UINT action, UINT ui, PVOID pv, UINT winIni) {
    if (action == SPI_GETWORKAREA && g.haveWorkArea && pv != nullptr) {
        *static_cast<RECT*>(pv) = g.workArea;
        return TRUE;
    }
    return reinterpret_cast<decltype(&SystemParametersInfoA)>(g.spi)(action, ui, pv, winIni);
}

int WINAPI HookDrawTextA(HDC dc, LPCSTR text, int n, LPRECT rc, UINT flags) {
    HWND hwnd = WindowFromDC(dc);
    if (hwnd != nullptr && IsPopup(hwnd)) {
        LOGFONTA lf{};
        GetObjectA(GetCurrentObject(dc, OBJ_FONT), sizeof lf, &lf);
        g.drawn.push_back({hwnd, n < 0 ? std::string(text) : std::string(text, static_cast<size_t>(n)), flags,
                           GetTextColor(dc), lf.lfWeight, lf.lfUnderline != 0});
    }
    return reinterpret_cast<decltype(&DrawTextA)>(g.drawText)(dc, text, n, rc, flags);
}

BOOL WINAPI HookPostMessageA(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    g.posted.push_back({hwnd, msg});
    return reinterpret_cast<decltype(&PostMessageA)>(g.postMessage)(hwnd, msg, wp, lp);
}

struct Side {
    const char* name;
    int inset[4]; // left, top, right, bottom taken from the screen by the taskbar
};

class NotifierTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        g = Record{};
        sw = GetSystemMetrics(SM_CXSCREEN);
        sh = GetSystemMetrics(SM_CYSCREEN);
    }
    HWND Init() {
        Hook("user32.dll", "SetTimer", reinterpret_cast<void*>(&HookSetTimer), &g.setTimer);
        Hook("user32.dll", "KillTimer", reinterpret_cast<void*>(&HookKillTimer), &g.killTimer);
        Hook("user32.dll", "SetWindowPos", reinterpret_cast<void*>(&HookSetWindowPos), &g.setWindowPos);
        Hook("user32.dll", "SystemParametersInfoA", reinterpret_cast<void*>(&HookSystemParametersInfoA),
             &g.spi);
        Hook("user32.dll", "DrawTextA", reinterpret_cast<void*>(&HookDrawTextA), &g.drawText);
        Hook("user32.dll", "PostMessageA", reinterpret_cast<void*>(&HookPostMessageA), &g.postMessage);
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
    void SetWorkArea(int left, int top, int right, int bottom) {
        g.haveWorkArea = true;
        g.workArea = RECT{left, top, sw - right, sh - bottom};
    }

    // Both notifiers' windows, owned by the message-center window.
    std::vector<HWND> Popups() const {
        std::vector<HWND> out;
        for (HWND h = FindWindowExA(nullptr, nullptr, kPopupClass, nullptr); h != nullptr;
             h = FindWindowExA(nullptr, h, kPopupClass, nullptr)) {
            if (GetWindow(h, GW_OWNER) == center) out.push_back(h);
        }
        return out;
    }
    HWND Shown() const {
        for (HWND h : Popups())
            if (IsWindowVisible(h)) return h;
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
    void Trade(const char* event, const char* detail) {
        InboundMessage t = MakeTrade(event, detail, 1700000000);
        ASSERT_EQ(dll->SendToMsgCenter(0, &t), 1);
    }

    // Timers as the DLL has them: the last SetTimer of an id without a
    // KillTimer after it.
    std::vector<UINT_PTR> Running(HWND popup) const {
        std::vector<UINT_PTR> ids;
        for (UINT_PTR id = 1; id <= 3; ++id) {
            bool on = false;
            for (const TimerCall& t : g.timers)
                if (t.hwnd == popup && t.id == id) on = t.set;
            if (on) ids.push_back(id);
        }
        return ids;
    }
    size_t SetCount(HWND popup, UINT_PTR id) const {
        size_t n = 0;
        for (const TimerCall& t : g.timers)
            n += t.hwnd == popup && t.id == id && t.set;
        return n;
    }
    UINT LastPeriod(HWND popup, UINT_PTR id) const {
        UINT p = 0;
        for (const TimerCall& t : g.timers)
            if (t.hwnd == popup && t.id == id && t.set) p = t.period;
        return p;
    }
    void Tick(HWND popup, UINT_PTR id) { SendMessageA(popup, WM_TIMER, id, 0); }
    // Ticks of timer `id` while it runs (cap: far more than any slide needs).
    int TickWhileRunning(HWND popup, UINT_PTR id) {
        int n = 0;
        auto running = [&] {
            for (UINT_PTR r : Running(popup))
                if (r == id) return true;
            return false;
        };
        while (running() && n < 1000) {
            Tick(popup, id);
            ++n;
        }
        return n;
    }
    RECT Rect(HWND popup) const {
        RECT rc{};
        GetWindowRect(popup, &rc);
        return rc;
    }
    std::vector<Move> MovesOf(HWND popup) const {
        std::vector<Move> out;
        for (const Move& m : g.moves)
            if (m.hwnd == popup) out.push_back(m);
        return out;
    }
    std::vector<Drawn> DrawnSince(size_t from) const {
        return std::vector<Drawn>(g.drawn.begin() + static_cast<ptrdiff_t>(from), g.drawn.end());
    }

    // Draws the popup again and returns what it drew: the title, then the body.
    std::vector<Drawn> Redraw(HWND popup) {
        const size_t from = g.drawn.size();
        RedrawWindow(popup, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        return DrawnSince(from);
    }

    int sw = 0, sh = 0;
};

// ---- Skins ------------------------------------------------------------------

struct SkinCase {
    int32_t style;
    int width, height, regionWidth;
    std::vector<POINT> cut, kept;
};

void PrintTo(const SkinCase& c, std::ostream* os) {
    *os << "skin setting " << c.style;
}

class NotifierSkinTest : public NotifierTest, public ::testing::WithParamInterface<SkinCase> {};

TEST_P(NotifierSkinTest, SizeAndRegionOfEachSkinForBothCategories) {
    const SkinCase& c = GetParam();
    if (c.style != 0) Configure(c.style, 3);
    ASSERT_TRUE(IsWindow(Init()));
    const std::vector<HWND> popups = Popups();
    ASSERT_EQ(popups.size(), 2u) << "one per category";
    for (HWND popup : popups) {
        EXPECT_FALSE(IsWindowVisible(popup));
        EXPECT_NE(GetWindowLongA(popup, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
        EXPECT_EQ(GetWindowLongA(popup, GWL_STYLE) & (WS_POPUP | WS_CAPTION), static_cast<LONG>(WS_POPUP));
        HRGN rgn = CreateRectRgn(0, 0, 0, 0);
        ASSERT_NE(GetWindowRgn(popup, rgn), ERROR) << "the skin's region is the window's";
        RECT box{};
        GetRgnBox(rgn, &box);
        EXPECT_EQ(box.left, 0);
        EXPECT_EQ(box.top, 0);
        EXPECT_EQ(box.right, c.regionWidth) << "whole groups of four columns";
        EXPECT_EQ(box.bottom, c.height);
        for (POINT p : c.cut)
            EXPECT_FALSE(PtInRegion(rgn, p.x, p.y)) << p.x << "," << p.y;
        for (POINT p : c.kept)
            EXPECT_TRUE(PtInRegion(rgn, p.x, p.y)) << p.x << "," << p.y;
        DeleteObject(rgn);
    }

    HostWindow host;
    ASSERT_EQ(GetActiveWindow(), host.hwnd);
    Alert("行情预警", "上穿 10.00");
    HWND alert = Shown();
    ASSERT_NE(alert, nullptr);
    TickWhileRunning(alert, 1);
    RECT rc = Rect(alert);
    EXPECT_EQ(rc.right - rc.left, c.width);
    EXPECT_EQ(rc.bottom - rc.top, c.height);
    EXPECT_EQ(GetActiveWindow(), host.hwnd) << "showing never activates the popup";

    Trade("委托成交", "买入 浦发银行 100股");
    HWND trade = nullptr;
    for (HWND h : Popups())
        if (h != alert && IsWindowVisible(h)) trade = h;
    ASSERT_NE(trade, nullptr) << "the trade category's own popup";
    TickWhileRunning(trade, 1);
    rc = Rect(trade);
    EXPECT_EQ(rc.right - rc.left, c.width);
    EXPECT_EQ(rc.bottom - rc.top, c.height);
}

INSTANTIATE_TEST_SUITE_P(
    Skins, NotifierSkinTest,
    ::testing::Values(
        SkinCase{0, 197, 171, 196, {{196, 0}, {196, 100}}, {{0, 0}, {195, 0}, {195, 170}, {0, 170}}},
        SkinCase{1,
                 181,
                 152,
                 180,
                 {{0, 0}, {23, 4}, {156, 4}, {179, 0}, {180, 50}},
                 {{24, 0}, {155, 0}, {0, 5}, {179, 5}, {179, 151}}},
        SkinCase{2,
                 181,
                 152,
                 180,
                 {{0, 0}, {15, 3}, {164, 3}, {179, 0}},
                 {{16, 0}, {163, 0}, {0, 4}, {179, 4}, {0, 151}}}),
    [](const ::testing::TestParamInfo<SkinCase>& info) {
        return "Style" + std::to_string(info.param.style);
    });

// ---- Sides of the taskbar -----------------------------------------------------

void PrintTo(const Side& s, std::ostream* os) {
    *os << s.name;
}

class NotifierSideTest : public NotifierTest, public ::testing::WithParamInterface<Side> {};

// Skin 138 (197 x 171) slides out of the work area's edge on the taskbar's
// side until it is wholly inside, stays the stay seconds and slides back to
// where it started, hidden.
TEST_P(NotifierSideTest, SlidesOutOfTheTaskbarSideAndBack) {
    const Side& side = GetParam();
    Init();
    SetWorkArea(side.inset[0], side.inset[1], side.inset[2], side.inset[3]);
    const RECT& work = g.workArea;
    POINT start{}, dir{};
    if (side.inset[2] != 0) {
        start = {work.right, work.bottom - 171};
        dir = {-1, 0};
    } else if (side.inset[0] != 0) {
        start = {work.left - 197, work.bottom - 171};
        dir = {1, 0};
    } else if (side.inset[1] != 0) {
        start = {work.right - 197, work.top - 171};
        dir = {0, 1};
    } else {
        start = {work.right - 197, work.bottom};
        dir = {0, -1};
    }
    const int travel = dir.x != 0 ? 198 : 172;

    Alert("行情预警", "上穿 10.00");
    HWND popup = Shown();
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(Running(popup), std::vector<UINT_PTR>{1});
    TickWhileRunning(popup, 1);
    ASSERT_FALSE(MovesOf(popup).empty());
    EXPECT_EQ(MovesOf(popup)[0].x, start.x + 2 * dir.x) << "the first step out of the edge";
    EXPECT_EQ(MovesOf(popup)[0].y, start.y + 2 * dir.y);
    const RECT shown = Rect(popup);
    EXPECT_EQ(shown.left, start.x + travel * dir.x);
    EXPECT_EQ(shown.top, start.y + travel * dir.y);
    EXPECT_EQ(shown.right - shown.left, 197);
    EXPECT_EQ(shown.bottom - shown.top, 171);
    ASSERT_EQ(Running(popup), std::vector<UINT_PTR>{2});
    EXPECT_EQ(LastPeriod(popup, 2), 3000u) << "3 stay seconds by default";

    Tick(popup, 2);
    ASSERT_EQ(Running(popup), std::vector<UINT_PTR>{3});
    TickWhileRunning(popup, 3);
    EXPECT_TRUE(Running(popup).empty());
    EXPECT_FALSE(IsWindowVisible(popup));
    EXPECT_EQ(MovesOf(popup).back().x, start.x) << "back where it started";
    EXPECT_EQ(MovesOf(popup).back().y, start.y);
}

INSTANTIATE_TEST_SUITE_P(Taskbar, NotifierSideTest,
                         ::testing::Values(Side{"Bottom", {0, 0, 0, 30}}, Side{"Right", {0, 0, 40, 0}},
                                           Side{"Left", {40, 0, 0, 0}}, Side{"Top", {0, 30, 0, 0}},
                                           Side{"NoTaskbar", {0, 0, 0, 0}}),
                         [](const ::testing::TestParamInfo<Side>& info) {
                             return std::string(info.param.name);
                         });

// ---- State machine -------------------------------------------------------------

TEST_F(NotifierTest, NewMessagesWhileShowingChangeTheTextRestartTheStayOrComeBack) {
    Init();
    SetWorkArea(0, 0, 0, 30);
    const int top = g.workArea.bottom - 172; // where the slide out stops
    Alert("第一条", "a");
    HWND popup = Shown();
    ASSERT_NE(popup, nullptr);
    for (int i = 0; i < 10; ++i)
        Tick(popup, 1);
    const RECT sliding = Rect(popup);
    EXPECT_EQ(sliding.top, g.workArea.bottom - 20);

    // Appearing: the text changes at once, the slide goes on from where it is.
    size_t drawn = g.drawn.size();
    Alert("第二条", "b");
    EXPECT_EQ(Shown(), popup);
    EXPECT_EQ(SetCount(popup, 1), 1u);
    EXPECT_EQ(Rect(popup).top, sliding.top);
    ASSERT_FALSE(DrawnSince(drawn).empty());
    EXPECT_EQ(DrawnSince(drawn).front().text, "第二条");
    TickWhileRunning(popup, 1);
    EXPECT_EQ(Rect(popup).top, top);
    ASSERT_EQ(SetCount(popup, 2), 1u);

    // Waiting: the stay starts over.
    drawn = g.drawn.size();
    Alert("第三条", "c");
    EXPECT_EQ(SetCount(popup, 2), 2u) << "timer 2 set again with the whole stay";
    EXPECT_EQ(Running(popup), std::vector<UINT_PTR>{2});
    EXPECT_EQ(Rect(popup).top, top);
    ASSERT_FALSE(DrawnSince(drawn).empty());
    EXPECT_EQ(DrawnSince(drawn).front().text, "第三条");

    // Disappearing: back at the fully shown place at once, waiting again.
    Tick(popup, 2);
    for (int i = 0; i < 5; ++i)
        Tick(popup, 3);
    EXPECT_EQ(Rect(popup).top, top + 10);
    Alert("第四条", "d");
    EXPECT_EQ(Running(popup), std::vector<UINT_PTR>{2});
    EXPECT_EQ(SetCount(popup, 2), 3u);
    EXPECT_EQ(Rect(popup).top, g.workArea.bottom - 171) << "the work-area bottom less the skin height";
    EXPECT_EQ(Rect(popup).bottom, g.workArea.bottom);
    EXPECT_TRUE(IsWindowVisible(popup));

    // Out of sequence ticks (already queued when the state changed) are ignored.
    const RECT before = Rect(popup);
    Tick(popup, 1);
    Tick(popup, 3);
    EXPECT_EQ(Rect(popup).top, before.top);
    EXPECT_EQ(Running(popup), std::vector<UINT_PTR>{2});

    Tick(popup, 2);
    TickWhileRunning(popup, 3);
    EXPECT_FALSE(IsWindowVisible(popup));
    EXPECT_TRUE(Running(popup).empty());

    // Idle again: a new message slides out from the start.
    g.moves.clear();
    Alert("第五条", "e");
    EXPECT_EQ(Running(popup), std::vector<UINT_PTR>{1});
    Tick(popup, 1);
    ASSERT_FALSE(MovesOf(popup).empty());
    EXPECT_EQ(MovesOf(popup).back().y, g.workArea.bottom - 2);
}

TEST_F(NotifierTest, AStayOfZeroSlidesBackAtTheFirstTickAfterTheSlideOut) {
    Configure(0, 0);
    Init();
    Trade("委托撤单", "撤单 100股");
    HWND popup = Shown();
    ASSERT_NE(popup, nullptr);
    TickWhileRunning(popup, 1);
    EXPECT_EQ(LastPeriod(popup, 2), 0u);
    Tick(popup, 2);
    EXPECT_EQ(Running(popup), std::vector<UINT_PTR>{3});
}

// ---- Clicks ----------------------------------------------------------------------

TEST_F(NotifierTest, TheCloseBoxOnlyHidesAClickElsewhereAlsoBringsTheCenterForward) {
    HostWindow host;
    Init();
    SetActiveWindow(host.hwnd); // Nuntio_Init leaves its hidden window active
    ASSERT_EQ(GetActiveWindow(), host.hwnd);
    ASSERT_FALSE(IsWindowVisible(center));
    auto clicks = [&] {
        size_t n = 0;
        for (const Posted& p : g.posted)
            n += p.msg == kPopupClicked && p.hwnd == center;
        return n;
    };

    Alert("行情预警", "关闭");
    HWND popup = Shown();
    ASSERT_NE(popup, nullptr);
    TickWhileRunning(popup, 1);
    // The hand over the popup.
    SendMessageA(popup, WM_SETCURSOR, reinterpret_cast<WPARAM>(popup), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));

    // Inside the 20 x 20 box at the top right (197 wide: x 177 to 196).
    SendMessageA(popup, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(177, 19));
    SendMessageA(popup, WM_LBUTTONUP, 0, MAKELPARAM(177, 19));
    EXPECT_FALSE(IsWindowVisible(popup));
    EXPECT_TRUE(Running(popup).empty());
    Pump(50);
    EXPECT_EQ(clicks(), 0u);
    EXPECT_FALSE(IsWindowVisible(center));
    EXPECT_EQ(GetActiveWindow(), host.hwnd) << "the click did not activate the popup";

    // Just outside it, left of and below the box.
    for (POINT p : {POINT{176, 5}, POINT{190, 20}}) {
        Alert("行情预警", "打开");
        ASSERT_EQ(Shown(), popup);
        TickWhileRunning(popup, 1);
        const size_t before = clicks();
        SendMessageA(popup, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        SendMessageA(popup, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
        EXPECT_FALSE(IsWindowVisible(popup));
        EXPECT_TRUE(Running(popup).empty());
        EXPECT_EQ(clicks(), before + 1) << p.x << "," << p.y;
    }
    Pump(50);
    EXPECT_TRUE(IsWindowVisible(center)) << "the center came forward";

    // Closing the popup's window only hides it.
    Alert("行情预警", "关闭窗口");
    SendMessageA(popup, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(popup));
    EXPECT_FALSE(IsWindowVisible(popup));
    EXPECT_TRUE(Running(popup).empty());
    EXPECT_EQ(clicks(), 2u);
}

TEST_F(NotifierTest, AnsweringTheTrayIconHidesBothPopups) {
    Init();
    Alert("行情预警", "托盘");
    Trade("委托成交", "托盘");
    std::vector<HWND> shown;
    for (HWND h : Popups())
        if (IsWindowVisible(h)) shown.push_back(h);
    ASSERT_EQ(shown.size(), 2u);
    TickWhileRunning(shown[0], 1);
    SendMessageA(center, 0x8064, 20010, WM_LBUTTONDBLCLK);
    for (HWND h : shown) {
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
    const std::vector<Drawn> d = Redraw(popup);
    ASSERT_EQ(d.size(), 2u);
    const Drawn &title = d[0], &body = d[1];
    EXPECT_EQ(title.text, "行情[]预警") << "the title keeps its brackets";
    EXPECT_EQ(body.text, "600000:浦发银行\r\n最新价开头中间");
    EXPECT_EQ(title.flags, kTextFlags);
    EXPECT_EQ(body.flags, kTextFlags);
    EXPECT_EQ(title.color, RGB(64, 64, 225));
    EXPECT_EQ(body.color, RGB(0, 0, 0));
    EXPECT_EQ(title.weight, FW_BOLD);
    EXPECT_FALSE(title.underline);
    EXPECT_FALSE(body.underline);

    size_t from = g.drawn.size();
    SendMessageA(popup, WM_MOUSEHOVER, 0, 0);
    std::vector<Drawn> hovered = DrawnSince(from);
    ASSERT_EQ(hovered.size(), 2u);
    EXPECT_FALSE(hovered[0].underline) << "the title never changes";
    EXPECT_TRUE(hovered[1].underline);
    EXPECT_EQ(hovered[1].weight, FW_BOLD);

    from = g.drawn.size();
    SendMessageA(popup, WM_MOUSELEAVE, 0, 0);
    std::vector<Drawn> left = DrawnSince(from);
    ASSERT_EQ(left.size(), 2u);
    EXPECT_FALSE(left[1].underline);

    // A trade: "交易-" and the event over the detail.
    SendMessageA(popup, WM_CLOSE, 0, 0);
    Trade("委托成交", "买入[] 浦发银行 100股");
    HWND trade = Shown();
    ASSERT_NE(trade, nullptr);
    TickWhileRunning(trade, 1);
    const std::vector<Drawn> t = Redraw(trade);
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].text, "交易-委托成交");
    EXPECT_EQ(t[1].text, "买入 浦发银行 100股");
}

// ---- With the real timers ---------------------------------------------------------------

// The whole road with the system's timers: out, stay, back, hidden.
TEST_F(NotifierTest, TheRealTimersSlideOutStayAndSlideBack) {
    Configure(0, 1);
    g.realTimers = true;
    Init();
    SetWorkArea(0, 0, 0, 30);
    Alert("行情预警", "实时");
    HWND popup = Shown();
    ASSERT_NE(popup, nullptr);
    // Waits on what the popup does, with caps far beyond any machine's pace.
    for (int i = 0; i < 3000 && SetCount(popup, 2) == 0; ++i)
        Pump(5);
    ASSERT_EQ(SetCount(popup, 2), 1u);
    EXPECT_EQ(Rect(popup).top, g.workArea.bottom - 172);
    EXPECT_EQ(Rect(popup).bottom - Rect(popup).top, 171);
    for (int i = 0; i < 6000 && IsWindowVisible(popup); ++i)
        Pump(5);
    ASSERT_FALSE(IsWindowVisible(popup));
    EXPECT_TRUE(Running(popup).empty());
}

// A host that unloads the library in the middle of a slide: the popups go
// with the library (no timer left to call into unloaded code), and a library
// loaded again shows its popup as before.
TEST_F(NotifierTest, UnloadingInTheMiddleOfASlideLeavesNothingBehind) {
    for (int run = 0; run < 2; ++run) {
        g = Record{};
        g.realTimers = true;
        ASSERT_TRUE(IsWindow(Init()));
        Alert("行情预警", "卸载");
        HWND popup = Shown();
        ASSERT_NE(popup, nullptr);
        for (int i = 0; i < 2000 && MovesOf(popup).size() < 5; ++i)
            Pump(5);
        ASSERT_GE(MovesOf(popup).size(), 5u);
        ASSERT_EQ(Running(popup), std::vector<UINT_PTR>{1}) << "still sliding";
        Reload();
        EXPECT_FALSE(IsWindow(popup));
        EXPECT_EQ(FindWindowExA(nullptr, nullptr, kPopupClass, nullptr), nullptr);
        Pump(100);
    }
}

} // namespace
