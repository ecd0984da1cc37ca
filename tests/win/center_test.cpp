// The message-center window and its two categories, driven through the
// exports and window messages: rows and icons, serial numbers, the requests
// to the host, Nuntio.ini, retention on the list, saving at unload and at
// process exit, the tray icon's flashing, and a damaged message file.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "child_scenarios.h"
#include "iat_hook.h"
#include "nuntio_host.h"
#include "ui_driver.h"

using namespace testhost;

namespace {

constexpr int kAlertList = 4000;
constexpr int kTradeList = 4001;

struct TrayCall {
    DWORD action;
    UINT id;
    bool hasIcon;
    std::string tip;
};
std::vector<TrayCall> g_trayCalls;

BOOL WINAPI RecordTrayCall(DWORD action, PNOTIFYICONDATAA data) {
    g_trayCalls.push_back({action, data->uID, data->hIcon != nullptr, data->szTip});
    return TRUE;
}

// A visible top-level window standing for the host's main window; it records
// the requests Nuntio sends it.
struct HostWindow {
    struct Request {
        UINT msg;
        WPARAM wp;
        LPARAM lp;
        std::string text; // what lParam points at, for the voice request
    };
    static std::vector<Request>& Requests() {
        static std::vector<Request> r;
        return r;
    }
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == 0x0839 || msg == 0x083C) {
            Request r{msg, wp, lp, {}};
            if (msg == 0x083C && lp != 0) r.text = reinterpret_cast<const char*>(lp);
            Requests().push_back(r);
            return 0;
        }
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
    HostWindow() {
        Requests().clear();
        WNDCLASSA wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "NuntioTestHost";
        RegisterClassA(&wc);
        hwnd = CreateWindowExA(0, wc.lpszClassName, "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                               nullptr, nullptr, wc.hInstance, nullptr);
    }
    ~HostWindow() { DestroyWindow(hwnd); }
    HWND hwnd;
};

class CenterTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dll->Loaded());
        root = NewTempRoot("center");
        MakeDirs(root + "\\User\\trader01");
        g_trayCalls.clear();
    }
    void TearDown() override {
        Unload();
        RemoveTree(root);
    }
    void Unload() {
        tray.reset();
        dll.reset();
    }
    void Reload() {
        Unload();
        dll = std::make_unique<NuntioDll>();
    }
    HWND Init() {
        tray = std::make_unique<IatHook>(dll->Module(), "shell32.dll", "Shell_NotifyIconA",
                                         reinterpret_cast<void*>(&RecordTrayCall));
        center = reinterpret_cast<HWND>(static_cast<uintptr_t>(dll->Init(0, 0, root.c_str(), "trader01")));
        return center;
    }
    std::string Folder() const { return root + "\\User\\trader01\\Nuntio\\"; }
    HWND List(int id) const { return FindChild(center, WC_LISTVIEWA, id); }
    int Rows(int id) const { return static_cast<int>(ListView_GetItemCount(List(id))); }
    std::string Cell(int id, int row, int sub) const {
        char text[512] = {};
        LVITEMA item{};
        item.iSubItem = sub;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(List(id), LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        return text;
    }
    int Icon(int id, int row) const {
        LVITEMA item{};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        SendMessageA(List(id), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        return item.iImage;
    }
    bool Selected(int id, int row) const {
        return ListView_GetItemState(List(id), row, LVIS_SELECTED) == LVIS_SELECTED;
    }
    HWND StatusBar() const { return FindWindowExA(center, nullptr, STATUSCLASSNAMEA, nullptr); }
    void Alert(const char* content, AlertProperty prop = {1, 0, 0, 1, 0, 0, 0, 0, 0, 0},
               uint32_t source = 0) {
        AlertRecord a = MakeAlert("行情预警", content);
        a.prop = prop;
        a.hSourceWnd = source;
        a.nVoiceId = 77;
        std::strcpy(a.szCode, "600000");
        std::strcpy(a.szName, "浦发银行");
        std::strcpy(a.szWindow, "分时走势");
        ASSERT_EQ(dll->DoAlert(&a), 1);
    }
    void Trade(const char* detail) {
        InboundMessage t = MakeTrade("成交", detail, 1700000000);
        ASSERT_EQ(dll->SendToMsgCenter(0, &t), 1);
    }
    std::string Ini(const char* key) const {
        char text[64] = {};
        GetPrivateProfileStringA("MainDlg", key, "<none>", text, sizeof text,
                                 (Folder() + "Nuntio.ini").c_str());
        return text;
    }

    std::unique_ptr<NuntioDll> dll = std::make_unique<NuntioDll>();
    std::unique_ptr<IatHook> tray;
    std::string root;
    HWND center = nullptr;
};

int32_t I32At(const std::vector<uint8_t>& b, size_t off) {
    int32_t v = 0;
    if (off + 4 <= b.size()) std::memcpy(&v, b.data() + off, 4);
    return v;
}

} // namespace

TEST_F(CenterTest, RowsShowTheTextsAndIconsOfBothKinds) {
    ASSERT_TRUE(IsWindow(Init()));
    Alert("第一条");
    Alert("第二条");
    Alert("第三条");
    Trade("买入 浦发银行 100股");
    ASSERT_EQ(Rows(kAlertList), 3);
    ASSERT_EQ(Rows(kTradeList), 1);
    // Columns: icon, 时间, 窗口, 模块, 商品简称, 商品代码, 工作区, 报警对象, 报警内容.
    EXPECT_EQ(Cell(kAlertList, 0, 8), "第三条");
    EXPECT_EQ(Cell(kAlertList, 2, 8), "第一条");
    EXPECT_EQ(Cell(kAlertList, 0, 2), "分时走势");
    EXPECT_EQ(Cell(kAlertList, 0, 3), "行情预警");
    EXPECT_EQ(Cell(kAlertList, 0, 4), "浦发银行");
    EXPECT_EQ(Cell(kAlertList, 0, 5), "600000");
    EXPECT_EQ(Cell(kAlertList, 0, 1).size(), 17u) << "yy-mm-dd hh:mm:ss";
    EXPECT_EQ(Icon(kAlertList, 0), 0) << "latest";
    EXPECT_EQ(Icon(kAlertList, 1), 2) << "earlier";
    EXPECT_EQ(Icon(kAlertList, 2), 2);
    // Trade columns: icon, 事件, 详细说明, 发生时间 (the event's own time).
    EXPECT_EQ(Cell(kTradeList, 0, 1), "成交");
    EXPECT_EQ(Cell(kTradeList, 0, 2), "买入 浦发银行 100股");
    EXPECT_EQ(Icon(kTradeList, 0), 4);
    // Every new alert is selected and the ones selected before stay so.
    EXPECT_TRUE(Selected(kAlertList, 0));
    EXPECT_TRUE(Selected(kAlertList, 2));
}

TEST_F(CenterTest, AlertsTakeTwoSerialNumbersAndTheFilesKeepThemAfterUnload) {
    Init();
    Alert("a");
    Alert("b");
    Alert("c");
    Reload();
    const std::vector<uint8_t> dat = ReadFileBytes(Folder() + "AlertMsg.DAT");
    ASSERT_EQ(dat.size(), 1530u) << "count, one class record, three 502-byte alerts";
    EXPECT_EQ(I32At(dat, 2 + 18), 4) << "newest first";
    EXPECT_EQ(I32At(dat, 2 + 18 + 502 + 2), 2);
    EXPECT_EQ(I32At(dat, 2 + 18 + 2 * (502 + 2)), 0);
    const std::vector<uint8_t> cfg = ReadFileBytes(Folder() + "AlertMsg.cfg");
    ASSERT_EQ(cfg.size(), 170u);
    EXPECT_EQ(I32At(cfg, 162), 6) << "next serial";

    Init();
    ASSERT_EQ(Rows(kAlertList), 3);
    EXPECT_EQ(Cell(kAlertList, 0, 8), "c");
    EXPECT_EQ(Cell(kAlertList, 2, 8), "a");
}

TEST_F(CenterTest, VoiceRequestAndBringForwardReachTheHostWindow) {
    HostWindow host;
    HWND source =
        CreateWindowExA(0, "STATIC", "source", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    Init();
    Alert("语音", {1, 1, 0, 1, 0, 0, 0, 0, 0, 0}, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(source)));
    Pump(50);
    ASSERT_EQ(HostWindow::Requests().size(), 1u);
    EXPECT_EQ(HostWindow::Requests()[0].msg, 0x083Cu);
    EXPECT_EQ(HostWindow::Requests()[0].wp, 77u);
    EXPECT_EQ(HostWindow::Requests()[0].text, "") << "an empty text that is still readable";

    // Enter in the list: the window gets IDOK and opens the selected alert.
    SendMessageA(center, WM_COMMAND, IDOK, 0);
    ASSERT_EQ(HostWindow::Requests().size(), 2u);
    EXPECT_EQ(HostWindow::Requests()[1].msg, 0x0839u);
    EXPECT_EQ(HostWindow::Requests()[1].wp, 2u);
    EXPECT_EQ(HostWindow::Requests()[1].lp, reinterpret_cast<LPARAM>(source));
    EXPECT_EQ(Icon(kAlertList, 0), 1) << "opened";
    DestroyWindow(source);
}

TEST_F(CenterTest, AClosedSourceWindowIsReportedAndTheAlertStillMarkedOpened) {
    HostWindow host;
    HWND source =
        CreateWindowExA(0, "STATIC", "gone", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    const uint32_t gone = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(source));
    DestroyWindow(source);
    Init();
    Alert("来源已关闭", {1, 0, 0, 1, 0, 0, 0, 0, 0, 0}, gone);
    DialogAnswerer answer(DialogAnswerer::Press(IDOK));
    SendMessageA(center, WM_COMMAND, IDOK, 0);
    ASSERT_EQ(answer.Seen().size(), 1u);
    EXPECT_EQ(answer.Seen()[0].caption, "提示");
    EXPECT_EQ(answer.Seen()[0].message, "该窗口或工作区已经关闭！");
    EXPECT_EQ(Icon(kAlertList, 0), 1);
    EXPECT_TRUE(HostWindow::Requests().empty());
}

TEST_F(CenterTest, AWindowNeverShownWritesOnlyActivePage) {
    Init();
    Reload();
    EXPECT_EQ(Ini("ActivePage"), "-1");
    EXPECT_EQ(Ini("left"), "<none>");
    EXPECT_EQ(Ini("StatusBar"), "<none>");

    Init();
    Trade("x");
    Reload();
    EXPECT_EQ(Ini("ActivePage"), "1");
    EXPECT_EQ(Ini("ToolBar"), "<none>");
}

TEST_F(CenterTest, FirstShowCentresTheWindowWithBothBarsAndHidingSavesPlacement) {
    Init();
    ASSERT_EQ(dll->ToggleMsgCenter(), 1);
    EXPECT_TRUE(IsWindowVisible(StatusBar()));
    EXPECT_TRUE(IsWindowVisible(FindWindowExA(center, nullptr, TOOLBARCLASSNAMEA, nullptr)));
    RECT rc;
    GetWindowRect(center, &rc);
    const int sw = GetSystemMetrics(SM_CXSCREEN), w = rc.right - rc.left;
    EXPECT_EQ(rc.left, (sw - w) / 2);
    ASSERT_EQ(dll->ToggleMsgCenter(), 0);
    EXPECT_EQ(Ini("left"), std::to_string(rc.left));
    EXPECT_EQ(Ini("bottom"), std::to_string(rc.bottom));
    EXPECT_EQ(Ini("StatusBar"), "1");
    EXPECT_EQ(Ini("ToolBar"), "1");
    EXPECT_EQ(Ini("ActivePage"), "0");
}

TEST_F(CenterTest, FirstShowRestoresBarsPlaceAndPageFromTheIni) {
    MakeDirs(Folder());
    WriteFileBytes(Folder() + "Nuntio.ini", "[MainDlg]\r\nleft=100\r\ntop=80\r\nright=600\r\nbottom=480\r\n"
                                            "StatusBar=0\r\nToolBar=0\r\nActivePage=1\r\n");
    Init();
    ASSERT_EQ(dll->ToggleMsgCenter(), 1);
    RECT rc;
    GetWindowRect(center, &rc);
    EXPECT_EQ(rc.left, 100);
    EXPECT_EQ(rc.top, 80);
    EXPECT_EQ(rc.right, 600);
    EXPECT_EQ(rc.bottom, 480);
    EXPECT_FALSE(IsWindowVisible(StatusBar()));
    EXPECT_FALSE(IsWindowVisible(FindWindowExA(center, nullptr, TOOLBARCLASSNAMEA, nullptr)));
    EXPECT_EQ(SendMessageA(GetDlgItem(center, 5000), TCM_GETCURSEL, 0, 0), 1);
    // Command 4000 toggles the status bar and its check mark in the menu.
    SendMessageA(center, WM_COMMAND, 4000, 0);
    EXPECT_TRUE(IsWindowVisible(StatusBar()));
    HMENU view = GetSubMenu(GetMenu(center), 1);
    EXPECT_EQ(GetMenuState(view, 4000, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
}

TEST_F(CenterTest, AMessageRoutedBeforeTheFirstShowWinsOverTheIni) {
    MakeDirs(Folder());
    WriteFileBytes(Folder() + "Nuntio.ini", "[MainDlg]\r\nActivePage=0\r\n");
    Init();
    Trade("交易先到");
    ASSERT_EQ(dll->ToggleMsgCenter(), 1);
    EXPECT_EQ(SendMessageA(GetDlgItem(center, 5000), TCM_GETCURSEL, 0, 0), 1);
}

TEST_F(CenterTest, RetentionByCountDropsTheOldestRowFromTheBottom) {
    Init();
    Reload();
    std::vector<uint8_t> cfg = ReadFileBytes(Folder() + "AlertMsg.cfg");
    ASSERT_EQ(cfg.size(), 170u);
    cfg[1] = 2; // keep by count
    const int32_t limit = 3;
    std::memcpy(&cfg[10], &limit, 4);
    WriteFileBytes(Folder() + "AlertMsg.cfg", std::string(cfg.begin(), cfg.end()));
    Init();
    for (const char* c : {"一", "二", "三", "四"})
        Alert(c);
    ASSERT_EQ(Rows(kAlertList), 3);
    EXPECT_EQ(Cell(kAlertList, 0, 8), "四");
    EXPECT_EQ(Cell(kAlertList, 2, 8), "二");
}

TEST_F(CenterTest, FilesAreWrittenWhenTheHostExitsWithoutUnloading) {
    ASSERT_EQ(SpawnChild("exit-without-unload", root), 0);
    const std::vector<uint8_t> dat = ReadFileBytes(Folder() + "AlertMsg.DAT");
    EXPECT_EQ(dat.size(), 1530u);
    // The column widths survive: the windows were gone before the files were written.
    const std::vector<uint8_t> cfg = ReadFileBytes(Folder() + "AlertMsg.cfg");
    ASSERT_EQ(cfg.size(), 170u);
    const int32_t widths[9] = {24, 130, 113, 62, 62, 62, 60, 38, 121};
    for (int slot = 0; slot < 9; ++slot)
        EXPECT_EQ(I32At(cfg, 122 + 4 * slot), widths[slot]) << "slot " << slot;
    Init();
    EXPECT_EQ(Rows(kAlertList), 3);
    ASSERT_EQ(Rows(kTradeList), 2);
    EXPECT_EQ(Cell(kTradeList, 0, 2), "exit-trade-1");
}

TEST_F(CenterTest, TheTrayIconFlashesUntilStoppedAndADoubleClickShowsTheWindow) {
    Init();
    ASSERT_FALSE(g_trayCalls.empty());
    EXPECT_EQ(g_trayCalls[0].action, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(g_trayCalls[0].id, 20010u);
    EXPECT_EQ(g_trayCalls[0].tip, "消息中心");
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

    SendMessageA(center, 0x8064, 20010, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(IsWindowVisible(center));
    dll->ToggleMsgCenter();
    Unload();
    ASSERT_FALSE(g_trayCalls.empty());
}

TEST_F(CenterTest, ADamagedMessageFileKeepsWhatDecodesAndIsKeptAside) {
    Init();
    Alert("保留的第一条");
    Alert("保留的第二条");
    Reload();
    std::vector<uint8_t> dat = ReadFileBytes(Folder() + "AlertMsg.DAT");
    ASSERT_EQ(dat.size(), 2u + 18 + 502 + 2 + 502);
    dat.resize(dat.size() - 100); // the second alert is cut short
    WriteFileBytes(Folder() + "AlertMsg.DAT", std::string(dat.begin(), dat.end()));

    Init();
    ASSERT_EQ(Rows(kAlertList), 1);
    EXPECT_EQ(Cell(kAlertList, 0, 8), "保留的第二条");
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((Folder() + "AlertMsg.DAT.damaged-*").c_str(), &fd);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << "the damaged file is kept aside";
    FindClose(h);
    EXPECT_EQ(ReadFileBytes(Folder() + fd.cFileName).size(), dat.size());

    ASSERT_EQ(dll->ToggleMsgCenter(), 1);
    char text[512] = {};
    SendMessageA(StatusBar(), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_NE(std::string(text).find("已损坏"), std::string::npos) << text;
    EXPECT_NE(std::string(text).find(fd.cFileName), std::string::npos) << text;
}

TEST_F(CenterTest, TheHostKeepsTheKeyboardWhileMessagesArriveBehindAHiddenWindow) {
    HostWindow host;
    SetForegroundWindow(host.hwnd);
    SetActiveWindow(host.hwnd);
    HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, host.hwnd, nullptr,
                                nullptr, nullptr);
    SetFocus(edit);
    ASSERT_EQ(GetFocus(), edit);
    Init();
    EXPECT_EQ(GetActiveWindow(), host.hwnd);
    Alert("弹出", {1, 0, 0, 1, 1, 1, 0, 0, 0, 0});
    Trade("交易");
    Pump(50);
    EXPECT_EQ(GetActiveWindow(), host.hwnd);
    EXPECT_EQ(GetFocus(), edit) << "the trader goes on typing in the host";
}
