// The message-center window and its two categories, driven through the
// exports and window messages: rows and icons, serial numbers, the requests
// to the host, Nuntio.ini, saving at unload and at process exit, the tray
// icon's flashing, and a damaged message file.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "child_scenarios.h"
#include "nuntio_host.h"
#include "ui_driver.h"

using namespace testhost;

namespace {

struct TrayCall {
    DWORD action;
    UINT id;
    bool hasIcon;
    std::string tip;
};
std::vector<TrayCall> g_trayCalls;

int g_trayAddsToFail = 0; // the shell is not up yet

BOOL WINAPI RecordTrayCall(DWORD action, PNOTIFYICONDATAA data) {
    g_trayCalls.push_back({action, data->uID, data->hIcon != nullptr, data->szTip});
    if (action == NIM_ADD && g_trayAddsToFail > 0) {
        --g_trayAddsToFail;
        return FALSE;
    }
    return TRUE;
}

size_t Count(DWORD action) {
    return static_cast<size_t>(std::count_if(g_trayCalls.begin(), g_trayCalls.end(),
                                             [action](const TrayCall& c) { return c.action == action; }));
}

class CenterTest : public HostTest {
protected:
    HWND Init() {
        g_trayCalls.clear();
        Hook("shell32.dll", "Shell_NotifyIconA", reinterpret_cast<void*>(&RecordTrayCall));
        return HostTest::Init();
    }
    void Alert(const char* content, AlertProperty prop = {1, 0, 0, 1, 0, 0, 0, 0, 0, 0},
               HWND source = nullptr) {
        AlertRecord a = MakeAlert("行情预警", content);
        a.prop = prop;
        a.hSourceWnd = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(source));
        a.nVoiceId = 77;
        ASSERT_EQ(dll->DoAlert(&a), 1);
    }
    std::string Ini(const char* key) const {
        char text[64] = {};
        GetPrivateProfileStringA("MainDlg", key, "<none>", text, sizeof text,
                                 (Folder() + "Nuntio.ini").c_str());
        return text;
    }
    bool StatusShown() const {
        return IsWindowVisible(FindWindowExA(center, nullptr, STATUSCLASSNAMEA, nullptr));
    }
};

} // namespace

// The rows of both kinds; alerts take two serial numbers each, and the files
// keep them at unload. A damaged message file keeps what decodes, is kept
// aside, and the status bar says so.
TEST_F(CenterTest, RowsShowBothKindsTheFilesKeepThemAndADamagedFileIsKeptAside) {
    ASSERT_TRUE(IsWindow(Init()));
    Alert("第一条");
    Alert("第二条");
    Alert("第三条");
    Trade("买入 浦发银行 100股");
    EXPECT_EQ(Contents(), (std::vector<std::string>{"第三条", "第二条", "第一条"}));
    EXPECT_EQ(Icon(kAlertList, 0), 0) << "latest";
    EXPECT_EQ(Icon(kAlertList, 2), 2) << "earlier";
    ASSERT_EQ(Rows(kTradeList), 1);
    EXPECT_EQ(Cell(kTradeList, 0, 2), "买入 浦发银行 100股");
    EXPECT_EQ(Icon(kTradeList, 0), 4);

    Reload();
    std::vector<uint8_t> dat = ReadFileBytes(Folder() + "AlertMsg.DAT");
    ASSERT_EQ(dat.size(), 1530u) << "count, one class record, three 502-byte alerts";
    EXPECT_EQ(I32At(dat, 2 + 18), 4) << "newest first";
    EXPECT_EQ(I32At(dat, 2 + 18 + 502 + 2), 2);
    EXPECT_EQ(I32At(dat, 2 + 18 + 2 * (502 + 2)), 0);
    EXPECT_EQ(I32At(Cfg("AlertMsg.cfg"), 162), 6) << "next serial";

    dat.resize(dat.size() - 100); // the oldest alert is cut short
    WriteFileBytes(Folder() + "AlertMsg.DAT", std::string(dat.begin(), dat.end()));
    Init();
    EXPECT_EQ(Contents(), (std::vector<std::string>{"第三条", "第二条"}));
    const std::vector<std::string> kept = FilesLike(Folder(), "AlertMsg.DAT.damaged-*");
    ASSERT_EQ(kept.size(), 1u) << "the damaged file is kept aside";
    EXPECT_EQ(ReadFileBytes(Folder() + kept[0]).size(), dat.size());
    ASSERT_EQ(dll->ToggleMsgCenter(), 1);
    const std::string text = StatusText(center);
    EXPECT_NE(text.find("已损坏"), std::string::npos) << text;
    EXPECT_NE(text.find(kept[0]), std::string::npos) << text;
}

// Voice and bring-forward requests go to the host's main window, also when a
// floating window of the host's is in front or the host hides in the
// notification area; the host keeps the keyboard while messages arrive; a
// source window closed since is told and the alert is still opened.
TEST_F(CenterTest, RequestsReachTheHostsMainWindowWhichKeepsTheKeyboard) {
    HostWindow host;
    SetForegroundWindow(host.hwnd);
    HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, host.hwnd, nullptr,
                                nullptr, nullptr);
    SetFocus(edit);
    ASSERT_EQ(GetFocus(), edit);
    HWND source =
        CreateWindowExA(0, "STATIC", "source", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    Init();
    EXPECT_EQ(GetActiveWindow(), host.hwnd);
    Alert("语音", {1, 1, 0, 1, 1, 1, 0, 0, 0, 0}, source); // voice, flash and popup
    Trade("交易");
    Pump(50);
    EXPECT_EQ(GetActiveWindow(), host.hwnd);
    EXPECT_EQ(GetFocus(), edit) << "the trader goes on typing in the host";
    ASSERT_EQ(HostWindow::requests.size(), 1u);
    EXPECT_EQ(HostWindow::requests[0].msg, 0x083Cu);
    EXPECT_EQ(HostWindow::requests[0].wp, 77u);
    EXPECT_EQ(HostWindow::requests[0].text, "") << "an empty text that is still readable";
    EXPECT_EQ(HostWindow::requests[0].to, host.hwnd);

    // A floating quote window of the host's, unowned, in front of everything.
    HWND quote = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "quote", WS_POPUP | WS_VISIBLE, 50, 50, 200, 100,
                                 nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(quote);
    Alert("浮动窗口", {1, 1, 0, 1, 0, 0, 0, 0, 0, 0}, source);
    Pump(50);
    ASSERT_EQ(HostWindow::requests.size(), 2u);
    EXPECT_EQ(HostWindow::requests[1].to, host.hwnd);
    // The trader minimised the host to the notification area; Enter in the
    // list: the window gets IDOK and opens the selected alert.
    ShowWindow(host.hwnd, SW_HIDE);
    SelectOnly(List(kAlertList), {0});
    SendMessageA(center, WM_COMMAND, IDOK, 0);
    ASSERT_EQ(HostWindow::requests.size(), 3u);
    EXPECT_EQ(HostWindow::requests[2].msg, 0x0839u);
    EXPECT_EQ(HostWindow::requests[2].wp, 2u);
    EXPECT_EQ(HostWindow::requests[2].lp, reinterpret_cast<LPARAM>(source));
    EXPECT_EQ(HostWindow::requests[2].to, host.hwnd);
    EXPECT_EQ(Icon(kAlertList, 0), 1) << "opened";
    DestroyWindow(quote);

    DestroyWindow(source);
    Alert("来源已关闭", {1, 0, 0, 1, 0, 0, 0, 0, 0, 0}, source);
    SelectOnly(List(kAlertList), {0});
    DialogAnswerer answer(DialogAnswerer::Press(IDOK));
    SendMessageA(center, WM_COMMAND, IDOK, 0);
    ASSERT_EQ(answer.Seen().size(), 1u);
    EXPECT_EQ(answer.Seen()[0].caption, "提示");
    EXPECT_EQ(answer.Seen()[0].message, "该窗口或工作区已经关闭！");
    EXPECT_EQ(Icon(kAlertList, 0), 1);
    EXPECT_EQ(HostWindow::requests.size(), 3u);
}

// Nuntio.ini keeps the page; the first show centres the window with both
// bars; showing again gives the keyboard to the list; the window has its
// icons for Alt+Tab.
TEST_F(CenterTest, NuntioIniKeepsThePageAndTheFirstShowCentresTheWindowWithBothBars) {
    Init();
    Reload();
    EXPECT_EQ(Ini("ActivePage"), "-1") << "a window never shown writes only the page";
    EXPECT_EQ(Ini("left"), "<none>");
    EXPECT_EQ(Ini("StatusBar"), "<none>");

    Init();
    Trade("x");
    Reload();
    EXPECT_EQ(Ini("ActivePage"), "1");
    EXPECT_EQ(Ini("ToolBar"), "<none>");

    Init();
    ASSERT_EQ(dll->ToggleMsgCenter(), 1);
    EXPECT_EQ(CurrentTab(), 1) << "the page from the ini";
    EXPECT_TRUE(StatusShown());
    EXPECT_TRUE(IsWindowVisible(FindChild(center, TOOLBARCLASSNAMEA, 5027))) << "the trade page's toolbar";
    const RECT rc = WindowBox(center);
    EXPECT_EQ(rc.left, (GetSystemMetrics(SM_CXSCREEN) - (rc.right - rc.left)) / 2);
    SetFocus(GetDlgItem(center, 5000)); // the trader clicked the tab strip
    ASSERT_EQ(dll->ToggleMsgCenter(), 0);
    EXPECT_EQ(Ini("left") + "," + Ini("bottom"), std::to_string(rc.left) + "," + std::to_string(rc.bottom));
    EXPECT_EQ(Ini("StatusBar") + Ini("ToolBar") + Ini("ActivePage"), "111") << "status bar, toolbar, page";
    ASSERT_EQ(dll->ToggleMsgCenter(), 1);
    EXPECT_EQ(GetFocus(), List(kTradeList));
    EXPECT_NE(SendMessageA(center, WM_GETICON, ICON_BIG, 0), 0) << "for Alt+Tab";
    EXPECT_NE(SendMessageA(center, WM_GETICON, ICON_SMALL, 0), 0);
}

// The first show takes the bars and the place from Nuntio.ini, but a message
// routed before wins the tab; a maximised window saves its normal place.
// Where a place off every monitor goes is the core's.
TEST_F(CenterTest, FirstShowRestoresBarsAndPlaceButAMessageRoutedBeforeWinsTheTab) {
    MakeDirs(Folder());
    WriteFileBytes(Folder() + "Nuntio.ini", "[MainDlg]\r\nleft=100\r\ntop=80\r\nright=600\r\nbottom=480\r\n"
                                            "StatusBar=0\r\nToolBar=0\r\nActivePage=1\r\n");
    Init();
    Alert("报警先到");
    ASSERT_EQ(dll->ToggleMsgCenter(), 1);
    EXPECT_EQ(BoxText(WindowBox(center)), "100,80,600,480");
    EXPECT_FALSE(StatusShown());
    EXPECT_FALSE(IsWindowVisible(FindChild(center, TOOLBARCLASSNAMEA, 4001)));
    EXPECT_EQ(CurrentTab(), 0);
    // Command 4000 toggles the status bar and its check mark in the menu.
    SendMessageA(center, WM_COMMAND, 4000, 0);
    EXPECT_TRUE(StatusShown());
    HMENU view = GetSubMenu(GetMenu(center), 1);
    EXPECT_EQ(GetMenuState(view, 4000, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
    SendMessageA(center, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    ASSERT_EQ(dll->ToggleMsgCenter(), 0);
    EXPECT_EQ(Ini("left") + "," + Ini("top") + "," + Ini("right") + "," + Ini("bottom"), "100,80,600,480");
}

TEST_F(CenterTest, FilesAreWrittenWhenTheHostExitsWithoutUnloading) {
    ASSERT_EQ(SpawnChild("exit-without-unload", root), 0);
    EXPECT_EQ(ReadFileBytes(Folder() + "AlertMsg.DAT").size(), 1530u);
    // The column widths survive: the windows were gone before the files were written.
    const std::vector<uint8_t> cfg = Cfg("AlertMsg.cfg");
    const int32_t widths[9] = {24, 130, 113, 62, 62, 62, 60, 38, 121};
    for (int slot = 0; slot < 9; ++slot)
        EXPECT_EQ(I32At(cfg, 122 + 4 * slot), widths[slot]) << "slot " << slot;
    Init();
    EXPECT_EQ(Rows(kAlertList), 3);
    ASSERT_EQ(Rows(kTradeList), 2);
    EXPECT_EQ(Cell(kTradeList, 0, 2), "exit-trade-1");
}

// The tray icon is added again when the shell was not up yet or restarts; it
// flashes until the host stops it, also in a burst of alerts faster than its
// period; a double click shows the window.
TEST_F(CenterTest, TheTrayIconComesBackWithTheShellAndFlashesUntilStopped) {
    g_trayAddsToFail = 1; // no notification area yet at the start
    Init();
    ASSERT_FALSE(g_trayCalls.empty());
    EXPECT_EQ(g_trayCalls[0].action, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(g_trayCalls[0].id, 20010u);
    EXPECT_EQ(g_trayCalls[0].tip, "消息中心");
    for (int i = 0; i < 400 && Count(NIM_ADD) < 2; ++i)
        Pump(10);
    EXPECT_EQ(Count(NIM_ADD), 2u) << "the failed add is tried again";
    g_trayCalls.clear();
    SendMessageA(center, RegisterWindowMessageA("TaskbarCreated"), 0, 0); // Explorer restarted
    EXPECT_EQ(Count(NIM_ADD), 1u);

    g_trayCalls.clear();
    Alert("闪烁", {1, 0, 0, 1, 1, 0, 0, 0, 0, 0});
    for (int i = 0; i < 200 && g_trayCalls.size() < 3; ++i)
        Pump(10);
    ASSERT_GE(g_trayCalls.size(), 3u);
    EXPECT_FALSE(g_trayCalls[0].hasIcon);
    EXPECT_EQ(g_trayCalls[0].tip, "新消息到达!");
    EXPECT_TRUE(g_trayCalls[1].hasIcon);
    EXPECT_EQ(g_trayCalls[1].tip, "双击察看!");
    EXPECT_FALSE(g_trayCalls[2].hasIcon);
    SendMessageA(center, 0x381B, 0, 0); // the host asks the flash to stop
    EXPECT_TRUE(g_trayCalls.back().hasIcon);
    EXPECT_EQ(g_trayCalls.back().tip, "消息中心");
    const size_t calls = g_trayCalls.size();
    Pump(400);
    EXPECT_EQ(g_trayCalls.size(), calls) << "no tick after the stop";

    g_trayCalls.clear();
    for (int i = 0; i < 15; ++i) {
        Alert("连续", {1, 0, 0, 1, 1, 0, 0, 0, 0, 0});
        Pump(100);
    }
    EXPECT_GE(Count(NIM_MODIFY), 3u) << "the icon blinks all the same";
    SendMessageA(center, 0x8064, 20010, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(IsWindowVisible(center));
}
