// The column settings dialog, the find window and the font and colour sheet,
// opened through the window's real commands and driven with messages: which
// columns the list shows afterwards and in which order, what a search finds
// and where a result leads, where the find window comes back, and what font
// and colours the list ends up with. The column arrangement, the search and
// the font sizes are the core's, tested natively.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "nuntio_host.h"
#include "ui_driver.h"

using namespace testhost;

namespace {

constexpr WPARAM kAlertColumns = 24996, kTradePage = 27995, kTradeColumns = 27996;
constexpr WPARAM kFind = 32805;
// Column dialog
constexpr int kAvailable = 5005, kApplied = 5006, kAdd = 5007, kRemove = 5008, kAddAll = 5009,
              kRemoveAll = 5010, kUp = 5011, kDown = 5012;
constexpr size_t kColumnPositions = 82; // in the configuration file, one word per slot
// Font and colour page: the wells, and the picker's size and style controls
constexpr int kTextWell = 5020, kBackWell = 5021, kSize = 103, kBold = 104, kUnderline = 106;
// Find window
constexpr int kKeyword = 5029, kRange = 5030, kSearch = 5031, kResults = 5032;

using Texts = std::vector<std::string>;

int IndexOf(HWND list, const char* text) {
    LVFINDINFOA find{LVFI_STRING, text, 0, {}, 0};
    return static_cast<int>(
        SendMessageA(list, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
}

// The colour dialog's stand-in: records where it started, answers g_pickedColor.
COLORREF g_pickedColor = 0;
std::vector<COLORREF> g_starts;
BOOL WINAPI FakeChooseColor(LPCHOOSECOLORA cc) {
    g_starts.push_back(cc->rgbResult);
    cc->rgbResult = g_pickedColor;
    return TRUE;
}

class DialogsTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        ASSERT_TRUE(IsWindow(Init()));
    }
    void Alert(const char* content, const char* window = "分时走势") {
        AlertRecord a = MakeAlert("行情预警", content);
        std::strcpy(a.szWindow, window);
        std::strcpy(a.szCode, "600000");
        ASSERT_EQ(dll->DoAlert(&a), 1);
    }
    // Runs the column dialog of `command`; `action` works on the dialog and
    // ends it.
    void Columns(WPARAM command, const DialogAnswerer::Action& action) {
        DialogAnswerer answer(action);
        SendMessageA(center, WM_COMMAND, command, 0);
        ASSERT_EQ(answer.Seen().size(), 1u);
        EXPECT_EQ(answer.Seen()[0].caption, "列设置");
    }

    // ---- the find window ----
    HWND OpenFind() {
        SendMessageA(center, WM_COMMAND, kFind, 0);
        for (HWND h : ThreadDialogs())
            if (WindowText(h) == "查找") return h;
        return nullptr;
    }
    void Search(HWND find, const char* keyword, int range = -1) {
        SetDlgItemTextA(find, kKeyword, keyword);
        if (range >= 0) {
            HWND box = GetDlgItem(find, kRange);
            SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(range), 0);
            SendMessageA(find, WM_COMMAND, MAKEWPARAM(kRange, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
        }
        Press(find, kSearch);
    }

    // ---- the font and colour sheet ----
    static HWND Page(HWND sheet) {
        return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    }
    // Space on a colour well opens the colour dialog.
    static void PickColour(HWND sheet, int well, COLORREF colour) {
        g_pickedColor = colour;
        SendMessageA(GetDlgItem(Page(sheet), well), WM_KEYDOWN, VK_SPACE, 0);
    }
};

} // namespace

// ---------------------------------------------------------------- columns

// What the dialog's buttons do is the core's arrangement; here they reach the
// list's columns and its configuration, and Cancel keeps them.
TEST_F(DialogsTest, ColumnsDraggedRemovedAddedAndMovedReachTheListAndCancelKeepsThem) {
    Alert("一");
    // Columns dragged in the list open in their new order; the icon column
    // dragged away comes back first.
    int order[9] = {3, 1, 0, 2, 4, 5, 6, 7, 8}; // 模块, 时间, the icons, ...
    ASSERT_TRUE(ListView_SetColumnOrderArray(List(kAlertList), 9, order));
    Texts opened;
    Columns(kAlertColumns, [&](HWND dlg) {
        opened = ColumnTexts(GetDlgItem(dlg, kApplied), 0);
        Press(dlg, IDOK);
    });
    const Texts dragged = {"",         "模块",   "时间",     "窗口",    "商品简称",
                           "商品代码", "工作区", "报警对象", "报警内容"};
    EXPECT_EQ(opened, Texts(dragged.begin() + 1, dragged.end()));
    EXPECT_EQ(Headings(List(kAlertList)), dragged);
    Columns(kAlertColumns, [](HWND dlg) {
        Press(dlg, kRemoveAll);
        Press(dlg, IDCANCEL);
    });
    EXPECT_EQ(Headings(List(kAlertList)), dragged);
    Columns(kAlertColumns, [](HWND dlg) {
        Press(dlg, kRemoveAll);
        Press(dlg, IDOK);
    });
    EXPECT_EQ(Headings(List(kAlertList)), Texts{""});
    EXPECT_EQ(Rows(kAlertList), 1);
    Columns(kAlertColumns, [](HWND dlg) {
        HWND applied = GetDlgItem(dlg, kApplied);
        HWND available = GetDlgItem(dlg, kAvailable);
        SelectOnly(available, {IndexOf(available, "工作区")});
        Press(dlg, kAdd);
        Press(dlg, kAddAll);
        SelectOnly(applied, {IndexOf(applied, "模块")});
        Press(dlg, kRemove);
        SelectOnly(applied, {IndexOf(applied, "报警内容")});
        Press(dlg, kUp);
        Press(dlg, IDOK);
    });
    const Texts moved = {"", "工作区", "时间", "窗口", "商品简称", "商品代码", "报警内容", "报警对象"};
    EXPECT_EQ(Headings(List(kAlertList)), moved);
    EXPECT_EQ(Cell(kAlertList, 0, 7), "一") << "the rows are filled again, in slot order";
    Reload();
    const std::vector<uint8_t> cfg = Cfg("AlertMsg.cfg");
    EXPECT_EQ(I32At(cfg, kColumnPositions + 4 * 3), -1) << "模块 hidden";
    EXPECT_EQ(I32At(cfg, kColumnPositions + 4 * 8), 6) << "报警内容 sixth";
    Init();
    EXPECT_EQ(Headings(List(kAlertList)), moved) << "the next start opens on them";
}

TEST_F(DialogsTest, ButtonsFollowTheFocusedListAndADoubleClickMoves) {
    std::vector<bool> afterApplied, afterAvailable;
    Columns(kTradeColumns, [&](HWND dlg) {
        auto enabled = [dlg] {
            std::vector<bool> v;
            for (int id : {kAdd, kRemove, kUp, kDown})
                v.push_back(Enabled(dlg, id));
            return v;
        };
        HWND appliedList = GetDlgItem(dlg, kApplied);
        SelectOnly(appliedList, {0});
        SetFocus(appliedList);
        afterApplied = enabled();
        NMITEMACTIVATE dbl{};
        dbl.hdr = {appliedList, static_cast<UINT_PTR>(kApplied), static_cast<UINT>(NM_DBLCLK)};
        SendMessageA(dlg, WM_NOTIFY, kApplied, reinterpret_cast<LPARAM>(&dbl));
        HWND availableList = GetDlgItem(dlg, kAvailable);
        SelectOnly(availableList, {0});
        SetFocus(availableList);
        afterAvailable = enabled();
        Press(dlg, IDOK);
    });
    EXPECT_EQ(afterApplied, (std::vector<bool>{false, true, true, true}));
    EXPECT_EQ(afterAvailable, (std::vector<bool>{true, false, true, true}))
        << "up and down stay as they were";
    EXPECT_EQ(Headings(List(kTradeList)), (Texts{"", "详细说明", "发生时间"}));
}

// ---------------------------------------------------------------- find

// What matches is the core's; here the window takes its keys without the
// host's help, searches the range chosen, shows the page's columns (a hidden
// one shifts the rest) and says what it found.
TEST_F(DialogsTest, FindTakesItsKeysSearchesTheChosenRangeInItsColumnsAndSaysWhatItFound) {
    Alert("内容一", "K线图");
    Alert("内容二");
    Trade("卖出 浦发银行 200股", "撤单事件");
    Columns(kAlertColumns, [](HWND dlg) {
        HWND applied = GetDlgItem(dlg, kApplied);
        SelectOnly(applied, {IndexOf(applied, "窗口")});
        Press(dlg, kRemove);
        Press(dlg, IDOK);
    });
    HWND find = OpenFind();
    ASSERT_NE(find, nullptr);
    HWND results = GetDlgItem(find, kResults), edit = GetDlgItem(find, kKeyword);
    EXPECT_EQ(GetFocus(), edit);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(find, kSearch))) << "no keyword yet";
    SendMessageA(find, WM_COMMAND, IDOK, 0); // Enter
    EXPECT_EQ(StatusText(find), "请输入查找关键字！");
    EXPECT_EQ(SendMessageA(GetDlgItem(find, kRange), CB_GETCURSEL, 0, 0), 1) << "the current tab";
    SetWindowTextA(edit, "浦发");
    PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 0); // presses the search button
    Pump();
    EXPECT_EQ(StatusText(find), "共查找到1条消息。");
    EXPECT_EQ(Headings(results), (Texts{"", "事件", "详细说明", "发生时间"}));
    EXPECT_EQ(CellText(results, 0, 1), "撤单事件");
    PostMessageA(edit, WM_KEYDOWN, VK_TAB, 0);
    Pump();
    EXPECT_NE(GetFocus(), edit) << "Tab leaves the edit";

    Search(find, "K线", 0);
    EXPECT_EQ(StatusText(find), "共查找到1条消息。");
    ASSERT_EQ(ListView_GetItemCount(results), 1);
    EXPECT_EQ(Headings(results),
              (Texts{"", "时间", "模块", "商品简称", "商品代码", "工作区", "报警对象", "报警内容"}));
    EXPECT_EQ(CellText(results, 0, 7), "内容一") << "under its heading";
    EXPECT_EQ(RowIcon(results, 0), 2) << "the row's own icon: an earlier alert";
    SendMessageA(GetDlgItem(find, kRange), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    Press(find, kSearch);
    EXPECT_EQ(StatusText(find), "指定的范围无效！");
}

// Results stay until the next show, range change or search: a found message
// deleted meanwhile keeps its row and texts and says so, and the others still
// lead to their messages (their tab comes forward, the row is selected and
// scrolled into view), also when newer messages moved them.
TEST_F(DialogsTest, FoundMessagesLeadToTheirRowsAndStayWhenDeleted) {
    for (const char* content : {"目标 甲", "其他", "目标 乙", "目标 丙"})
        Alert(content);
    ShowWindow(center, SW_SHOW);
    HWND find = OpenFind();
    ASSERT_NE(find, nullptr);
    Search(find, "目标", 0);
    HWND results = GetDlgItem(find, kResults);
    ASSERT_EQ(ListView_GetItemCount(results), 3);
    for (int i = 0; i < 60; ++i)
        Alert("其他");
    const Texts found = {"目标 丙", "目标 乙", "目标 甲"};
    EXPECT_EQ(ColumnTexts(results, 8), found);

    HWND alerts = List(kAlertList);
    SelectOnly(alerts, {61}); // 目标 乙
    SendMessageA(center, WM_COMMAND, 24993, 0);
    ASSERT_EQ(Rows(kAlertList), 63);
    EXPECT_EQ(ColumnTexts(results, 8), found) << "the deleted one keeps its row";
    Trade("买入"); // the trade tab comes forward
    ASSERT_EQ(CurrentTab(), 1);
    SelectOnly(alerts, {});
    SelectOnly(results, {1});
    EXPECT_EQ(StatusText(find), "该消息已被删除。");
    EXPECT_EQ(CurrentTab(), 1) << "nothing is shown for it";
    EXPECT_EQ(ListView_GetSelectedCount(alerts), 0u);
    SelectOnly(results, {2});
    EXPECT_EQ(CurrentTab(), 0);
    EXPECT_EQ(ListView_GetItemState(alerts, 62, LVIS_SELECTED), static_cast<UINT>(LVIS_SELECTED))
        << "目标 甲 stands at row 62 now";
    const int top = ListView_GetTopIndex(alerts);
    EXPECT_LE(top, 62);
    EXPECT_LT(62, top + ListView_GetCountPerPage(alerts) + 1) << "scrolled into view";
    Press(find, IDCANCEL);
    EXPECT_EQ(OpenFind(), find);
    EXPECT_EQ(ListView_GetItemCount(results), 0) << "the next show clears them";
}

// The close box stores the find window's place, Esc and Cancel do not.
TEST_F(DialogsTest, OnlyTheCloseBoxKeepsTheFindWindowsPlace) {
    ASSERT_EQ(dll->ToggleMsgCenter(), 1);
    HWND find = OpenFind();
    ASSERT_NE(find, nullptr);
    MoveWindow(find, 40, 50, 420, 300, TRUE);
    SendMessageA(find, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindowVisible(find));
    for (bool esc : {true, false}) {
        SCOPED_TRACE(esc ? "Esc" : "Cancel");
        find = OpenFind();
        MoveWindow(find, 100, 120, 420, 300, TRUE);
        if (esc) {
            PostMessageA(GetDlgItem(find, kKeyword), WM_KEYDOWN, VK_ESCAPE, 0);
            Pump();
        } else {
            Press(find, IDCANCEL);
        }
        EXPECT_FALSE(IsWindowVisible(find));
        dll->ToggleMsgCenter(); // hiding the center ends the find window
        EXPECT_FALSE(IsWindow(find));
        dll->ToggleMsgCenter();
        EXPECT_EQ(BoxText(WindowBox(OpenFind())), "40,50,460,350");
    }
}

// ---------------------------------------------------------------- font and colour

// The font and colours picked reach the list (the header takes the font
// without its underline, also after a zoom) and its file; Cancel changes
// nothing. Each sheet starts from the list's look: the wells hand its
// colours to the colour dialog as the start value.
TEST_F(DialogsTest, FontAndColoursReachTheListAndItsFileAndCancelChangesNothing) {
    HWND list = List(kTradeList);
    Hook("comdlg32.dll", "ChooseColorA", reinterpret_cast<void*>(&FakeChooseColor));
    const COLORREF text0 = ListView_GetTextColor(list), back0 = ListView_GetBkColor(list);
    const LOGFONTA font0 = FontOf(list);
    g_starts.clear();
    auto sheet = [&](int button) {
        DialogAnswerer answer([&](HWND s) {
            HWND picker = FindWindowExA(Page(s), nullptr, "NuntioSelectFont", nullptr);
            HWND size = GetDlgItem(picker, kSize);
            for (int box : {kBold, kUnderline})
                SendMessageA(GetDlgItem(picker, box), BM_CLICK, 0, 0);
            SendMessageA(size, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("12"));
            SendMessageA(picker, WM_COMMAND, MAKEWPARAM(kSize, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(size));
            PickColour(s, kTextWell, RGB(200, 0, 0));
            PickColour(s, kBackWell, RGB(0, 0, 90));
            SendMessageA(s, PSM_PRESSBUTTON, button, 0);
        });
        SendMessageA(center, WM_COMMAND, kTradePage, 0);
        ASSERT_EQ(answer.Seen().size(), 1u);
        EXPECT_EQ(answer.Seen()[0].caption, "交易 - 页面设置");
    };
    sheet(PSBTN_CANCEL);
    EXPECT_EQ(ListView_GetTextColor(list), text0);
    EXPECT_EQ(ListView_GetBkColor(list), back0);
    const LOGFONTA unchanged = FontOf(list);
    EXPECT_EQ(std::memcmp(&unchanged, &font0, sizeof font0), 0);
    sheet(PSBTN_OK);
    EXPECT_EQ(ListView_GetTextColor(list), RGB(200, 0, 0));
    EXPECT_EQ(ListView_GetTextBkColor(list), RGB(0, 0, 90));
    EXPECT_EQ(ListView_GetBkColor(list), RGB(0, 0, 90));
    EXPECT_EQ(ImageList_GetBkColor(ListView_GetImageList(list, LVSIL_SMALL)), RGB(0, 0, 90));
    // 12 points at 96 dpi zoomed larger (by how much is the core's): both
    // fonts again; bold, and underlined in the rows only.
    SendMessageA(center, WM_COMMAND, 27998, 0);
    const LOGFONTA rows = FontOf(list), header = FontOf(ListView_GetHeader(list));
    EXPECT_EQ((std::vector<LONG>{rows.lfHeight, rows.lfWeight, rows.lfUnderline, header.lfHeight,
                                 header.lfWeight, header.lfUnderline}),
              (std::vector<LONG>{-17, FW_BOLD, 1, -17, FW_BOLD, 0}));
    EXPECT_STREQ(rows.lfFaceName, font0.lfFaceName);
    sheet(PSBTN_CANCEL);
    EXPECT_EQ(g_starts, (std::vector<COLORREF>{text0, back0, text0, back0, RGB(200, 0, 0), RGB(0, 0, 90)}));
    Unload();
    const std::vector<uint8_t> cfg = Cfg("TradeMsg.cfg");
    EXPECT_EQ(I32At(cfg, 14), static_cast<int32_t>(RGB(200, 0, 0))) << "text colour";
    EXPECT_EQ(I32At(cfg, 18), static_cast<int32_t>(RGB(0, 0, 90))) << "background";
    EXPECT_EQ(I32At(cfg, 22), -17) << "the list font's height, zoomed";
    EXPECT_EQ(cfg[43], 1) << "lfUnderline of the list font";
}
