// The column settings dialog, the find window and the font and colour sheet,
// opened through the window's real commands and driven with messages: which
// columns the list shows afterwards and in which order, what a search finds
// and where a result leads, where the find window comes back, and what font
// and colours the list ends up with.
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

constexpr WPARAM kAlertPage = 24995, kAlertColumns = 24996, kTradePage = 27995, kTradeColumns = 27996;
constexpr WPARAM kFind = 32805;
// Column dialog
constexpr int kAvailable = 5005, kApplied = 5006, kAdd = 5007, kRemove = 5008, kAddAll = 5009,
              kRemoveAll = 5010, kUp = 5011, kDown = 5012;
// Find window
constexpr int kKeyword = 5029, kRange = 5030, kSearch = 5031, kResults = 5032, kStatus = 5035;

const std::vector<std::string> kDefaultAlertColumns = {"时间",     "窗口",   "模块",     "商品简称",
                                                       "商品代码", "工作区", "报警对象", "报警内容"};

std::vector<std::string> Items(HWND list) {
    std::vector<std::string> out;
    for (int i = 0; i < ListView_GetItemCount(list); ++i)
        out.push_back(CellText(list, i, 0));
    return out;
}

void SelectItem(HWND list, int row) {
    ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

int IndexOf(HWND list, const char* text) {
    const std::vector<std::string> items = Items(list);
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i] == text) return static_cast<int>(i);
    return -1;
}

void Click(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// The column headings of a list in display order.
std::vector<std::string> Headings(HWND list) {
    HWND header = ListView_GetHeader(list);
    const int n = Header_GetItemCount(header);
    std::vector<int> order(static_cast<size_t>(n));
    if (n > 0) ListView_GetColumnOrderArray(list, n, order.data());
    std::vector<std::string> out;
    for (int index : order) {
        char text[64] = {};
        HDITEMA item{};
        item.mask = HDI_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
        out.emplace_back(text);
    }
    return out;
}

LOGFONTA FontOf(HWND hwnd) {
    LOGFONTA lf{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf;
}

COLORREF g_pickedColor = 0;
COLORREF g_startColor = 0;
int g_chooseColorCalls = 0;
BOOL WINAPI FakeChooseColor(LPCHOOSECOLORA cc) {
    ++g_chooseColorCalls;
    g_startColor = cc->rgbResult;
    cc->rgbResult = g_pickedColor;
    return TRUE;
}

class DialogsTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        ASSERT_TRUE(IsWindow(Init()));
    }
    int CurrentTab() const {
        return static_cast<int>(SendMessageA(GetDlgItem(center, 5000), TCM_GETCURSEL, 0, 0));
    }
    void Alert(const char* content, const char* window = "分时走势") {
        AlertRecord a = MakeAlert("行情预警", content);
        std::strcpy(a.szWindow, window);
        std::strcpy(a.szCode, "600000");
        ASSERT_EQ(dll->DoAlert(&a), 1);
    }
    void Trade(const char* event, const char* detail) {
        InboundMessage t = MakeTrade(event, detail, 1700000000);
        ASSERT_EQ(dll->SendToMsgCenter(0, &t), 1);
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
    std::string Status(HWND find) const {
        char text[128] = {};
        SendMessageA(GetDlgItem(find, kStatus), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
        return text;
    }
    void Search(HWND find, const char* keyword, int range = -1) {
        SetDlgItemTextA(find, kKeyword, keyword);
        if (range >= 0) {
            HWND box = GetDlgItem(find, kRange);
            SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(range), 0);
            SendMessageA(find, WM_COMMAND, MAKEWPARAM(kRange, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
        }
        Click(find, kSearch);
    }
    std::string FindIni(const char* key) const {
        char text[32] = {};
        GetPrivateProfileStringA("FindDlg", key, "none", text, sizeof text,
                                 (Folder() + "Nuntio.ini").c_str());
        return text;
    }

    // ---- the font and colour sheet ----
    static HWND Page(HWND sheet) {
        return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    }
    static HWND Picker(HWND sheet) {
        return FindWindowExA(Page(sheet), nullptr, "NuntioSelectFont", nullptr);
    }
    // Space on a colour well opens the colour dialog.
    static void PickColour(HWND sheet, int well, COLORREF colour) {
        g_pickedColor = colour;
        SendMessageA(GetDlgItem(Page(sheet), well), WM_KEYDOWN, VK_SPACE, 0);
    }
};

} // namespace

// ---------------------------------------------------------------- columns

TEST_F(DialogsTest, RemoveAllAddAllAndOneColumnAddedBackWhichLandsRightAfterTheIconColumn) {
    Alert("一");
    std::vector<std::string> available, applied;
    bool addEnabled = true, addAllEnabled = false, upEnabled = true;
    Columns(kAlertColumns, [&](HWND dlg) {
        available = Items(GetDlgItem(dlg, kAvailable));
        applied = Items(GetDlgItem(dlg, kApplied));
        addEnabled = IsWindowEnabled(GetDlgItem(dlg, kAdd)) != FALSE;
        addAllEnabled = IsWindowEnabled(GetDlgItem(dlg, kAddAll)) != FALSE;
        upEnabled = IsWindowEnabled(GetDlgItem(dlg, kUp)) != FALSE;
        Click(dlg, kRemoveAll);
        Click(dlg, IDOK);
    });
    EXPECT_TRUE(available.empty());
    EXPECT_EQ(applied, kDefaultAlertColumns);
    EXPECT_FALSE(addEnabled);
    EXPECT_TRUE(addAllEnabled);
    EXPECT_FALSE(upEnabled);
    EXPECT_EQ(Headings(List(kAlertList)), std::vector<std::string>{""});
    EXPECT_EQ(Rows(kAlertList), 1) << "rows are filled again";
    Columns(kAlertColumns, [&](HWND dlg) {
        available = Items(GetDlgItem(dlg, kAvailable));
        Click(dlg, kAddAll);
        Click(dlg, IDOK);
    });
    EXPECT_EQ(available, kDefaultAlertColumns) << "hidden columns in slot order";
    std::vector<std::string> shown = kDefaultAlertColumns;
    shown.insert(shown.begin(), "");
    EXPECT_EQ(Headings(List(kAlertList)), shown);
    EXPECT_EQ(Cell(kAlertList, 0, 8), "一");

    // Cancel after changes keeps the columns.
    Columns(kAlertColumns, [](HWND dlg) {
        Click(dlg, kRemoveAll);
        Click(dlg, kAddAll);
        SelectItem(GetDlgItem(dlg, kApplied), 2);
        Click(dlg, kRemove);
        Click(dlg, IDCANCEL);
    });
    EXPECT_EQ(Headings(List(kAlertList)), shown);
    int order[9] = {1, 2, 0, 3, 4, 5, 6, 7, 8}; // the icon column dragged to third place comes back first
    ASSERT_TRUE(ListView_SetColumnOrderArray(List(kAlertList), 9, order));
    Columns(kAlertColumns, DialogAnswerer::Press(IDOK));
    EXPECT_EQ(Headings(List(kAlertList)), shown);

    Columns(kAlertColumns, [](HWND dlg) {
        HWND applied = GetDlgItem(dlg, kApplied);
        HWND available = GetDlgItem(dlg, kAvailable);
        SelectItem(applied, IndexOf(applied, "工作区"));
        Click(dlg, kRemove);
        SelectItem(applied, IndexOf(applied, "模块"));
        Click(dlg, kRemove);
        // The removed ones went to the top of the available list; add 工作区 back.
        SelectItem(available, IndexOf(available, "工作区"));
        Click(dlg, kAdd);
        Click(dlg, IDOK);
    });
    EXPECT_EQ(Headings(List(kAlertList)), (std::vector<std::string>{"", "工作区", "时间", "窗口", "商品简称",
                                                                    "商品代码", "报警对象", "报警内容"}));
}

TEST_F(DialogsTest, ButtonsFollowTheFocusedListMovesStopAtTheEndsAndDraggedColumnsAreTaken) {
    std::vector<bool> afterApplied, afterAvailable;
    std::vector<std::string> applied, available;
    Columns(kTradeColumns, [&](HWND dlg) {
        auto enabled = [dlg] {
            std::vector<bool> v;
            for (int id : {kAdd, kRemove, kUp, kDown})
                v.push_back(IsWindowEnabled(GetDlgItem(dlg, id)) != FALSE);
            return v;
        };
        HWND appliedList = GetDlgItem(dlg, kApplied);
        SelectItem(appliedList, 0);
        SetFocus(appliedList);
        afterApplied = enabled();
        NMITEMACTIVATE dbl{};
        dbl.hdr = {appliedList, static_cast<UINT_PTR>(kApplied), static_cast<UINT>(NM_DBLCLK)};
        dbl.iItem = 0;
        SendMessageA(dlg, WM_NOTIFY, kApplied, reinterpret_cast<LPARAM>(&dbl));
        HWND availableList = GetDlgItem(dlg, kAvailable);
        SelectItem(availableList, 0);
        SetFocus(availableList);
        afterAvailable = enabled();
        applied = Items(appliedList);
        available = Items(availableList);
        Click(dlg, IDCANCEL);
    });
    EXPECT_EQ(afterApplied, (std::vector<bool>{false, true, true, true}));
    EXPECT_EQ(afterAvailable, (std::vector<bool>{true, false, true, true}))
        << "up and down stay as they were";
    EXPECT_EQ(available, std::vector<std::string>{"事件"});
    EXPECT_EQ(applied, (std::vector<std::string>{"详细说明", "发生时间"}));
    EXPECT_EQ(Headings(List(kTradeList)), (std::vector<std::string>{"", "事件", "详细说明", "发生时间"}))
        << "Cancel keeps the columns";

    HWND list = List(kAlertList);
    int order[9] = {0, 3, 1, 2, 4, 5, 6, 7, 8}; // 模块 dragged to the front
    ASSERT_TRUE(ListView_SetColumnOrderArray(list, 9, order));
    std::vector<std::string> opened, moved;
    Columns(kAlertColumns, [&](HWND dlg) {
        HWND appliedList = GetDlgItem(dlg, kApplied);
        opened = Items(appliedList);
        SelectItem(appliedList, 0);
        Click(dlg, kUp); // already first
        Click(dlg, kDown);
        Click(dlg, kDown);
        SelectItem(appliedList, 7);
        Click(dlg, kDown); // already last
        Click(dlg, kUp);
        moved = Items(appliedList);
        Click(dlg, IDOK);
    });
    EXPECT_EQ(opened, (std::vector<std::string>{"模块", "时间", "窗口", "商品简称", "商品代码", "工作区",
                                                "报警对象", "报警内容"}));
    const std::vector<std::string> expected = {"时间",     "窗口",   "模块",     "商品简称",
                                               "商品代码", "工作区", "报警内容", "报警对象"};
    EXPECT_EQ(moved, expected);
    std::vector<std::string> shown = expected;
    shown.insert(shown.begin(), "");
    EXPECT_EQ(Headings(list), shown);
}

// ---------------------------------------------------------------- find

TEST_F(DialogsTest, FindIsCaseSensitiveLooksAtATradesDetailOnlyAndReportsItsCount) {
    Alert("xxABCxx");
    Alert("abc");
    Alert("其他");
    Trade("撤单事件", "卖出 浦发银行 200股");
    HWND find = OpenFind();
    ASSERT_NE(find, nullptr);
    HWND results = GetDlgItem(find, kResults);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(find, kSearch))) << "no keyword yet";
    // Enter without a keyword: the OK command.
    SendMessageA(find, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(Status(find), "请输入查找关键字！");
    EXPECT_EQ(SendMessageA(GetDlgItem(find, kRange), CB_GETCURSEL, 0, 0), 1) << "the current tab";
    Search(find, "撤单事件");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(find, kSearch)));
    EXPECT_EQ(Status(find), "共查找到0条消息。");
    EXPECT_EQ(ListView_GetItemCount(results), 0);
    EXPECT_EQ(Headings(results), (std::vector<std::string>{"", "事件", "详细说明", "发生时间"}));
    Search(find, "浦发");
    EXPECT_EQ(Status(find), "共查找到1条消息。");
    EXPECT_EQ(CellText(results, 0, 1), "撤单事件");

    Search(find, "ABC", 0);
    EXPECT_EQ(Status(find), "共查找到1条消息。");
    ASSERT_EQ(ListView_GetItemCount(results), 1);
    EXPECT_EQ(CellText(results, 0, 8), "xxABCxx");
    EXPECT_EQ(CellText(results, 0, 3), "行情预警");
    EXPECT_EQ(RowIcon(results, 0), 2) << "the row's own icon: an earlier alert";
    EXPECT_EQ(Headings(results).size(), 9u);
    // A range that is no category.
    SendMessageA(GetDlgItem(find, kRange), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    Click(find, kSearch);
    EXPECT_EQ(Status(find), "指定的范围无效！");
}

TEST_F(DialogsTest, AHiddenWindowColumnShiftsTheResultColumnsAndIsStillSearched) {
    Alert("内容一", "K线图");
    Alert("内容二", "分时走势");
    Columns(kAlertColumns, [](HWND dlg) {
        HWND applied = GetDlgItem(dlg, kApplied);
        SelectItem(applied, IndexOf(applied, "窗口"));
        Click(dlg, kRemove);
        Click(dlg, IDOK);
    });
    HWND find = OpenFind();
    ASSERT_NE(find, nullptr);
    Search(find, "K线");
    EXPECT_EQ(Status(find), "共查找到1条消息。");
    HWND results = GetDlgItem(find, kResults);
    EXPECT_EQ(Headings(results), (std::vector<std::string>{"", "时间", "模块", "商品简称", "商品代码",
                                                           "工作区", "报警对象", "报警内容"}));
    EXPECT_EQ(CellText(results, 0, 2), "行情预警");
    EXPECT_EQ(CellText(results, 0, 7), "内容一");
}

TEST_F(DialogsTest, SelectingATradeResultSwitchesTabsAndSelectsTheRowButAStaleOneDoesNothing) {
    for (int i = 0; i < 60; ++i)
        Trade("成交", i == 3 ? "目标 600000" : "其他");
    Alert("报警");
    ASSERT_EQ(CurrentTab(), 0);
    ShowWindow(center, SW_SHOW);
    HWND trades = List(kTradeList);
    HWND find = OpenFind();
    ASSERT_NE(find, nullptr);
    Search(find, "目标", 1);
    HWND results = GetDlgItem(find, kResults);
    ASSERT_EQ(ListView_GetItemCount(results), 1);
    SelectItem(results, 0);
    EXPECT_EQ(CurrentTab(), 1);
    EXPECT_TRUE(IsWindowVisible(trades));
    const int row = 60 - 1 - 3; // newest first
    EXPECT_EQ(ListView_GetItemState(trades, row, LVIS_SELECTED), static_cast<UINT>(LVIS_SELECTED));
    const int top = ListView_GetTopIndex(trades);
    EXPECT_LE(top, row);
    EXPECT_LT(row, top + ListView_GetCountPerPage(trades) + 1) << "scrolled into view";

    // The result row outlives the trades it points at.
    {
        DialogAnswerer yes(DialogAnswerer::Press(IDYES));
        SendMessageA(center, WM_COMMAND, 27994, 0); // delete all trades
    }
    ASSERT_EQ(Rows(kTradeList), 0);
    HWND tabs = GetDlgItem(center, 5000);
    TabCtrl_SetCurSel(tabs, 0);
    NMHDR change{tabs, 5000, static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageA(center, WM_NOTIFY, 5000, reinterpret_cast<LPARAM>(&change));
    ASSERT_EQ(CurrentTab(), 0);
    ListView_SetItemState(results, 0, 0, LVIS_SELECTED | LVIS_FOCUSED);
    SelectItem(results, 0);
    NMITEMACTIVATE dbl{};
    dbl.hdr = {results, static_cast<UINT_PTR>(kResults), static_cast<UINT>(NM_DBLCLK)};
    SendMessageA(find, WM_NOTIFY, kResults, reinterpret_cast<LPARAM>(&dbl));
    EXPECT_EQ(CurrentTab(), 0) << "the tab stays";
    EXPECT_EQ(Rows(kTradeList), 0);
}

// Results stay until the next show, range change or search: a found message
// deleted meanwhile keeps its row and texts and says so, and the others still
// lead to their messages, also when the serial numbers came round after the
// highest one and no longer fall down the list.
TEST_F(DialogsTest, FoundMessagesStayWhenTheyAreDeletedAndWhateverOrderTheSerialsHave) {
    Reload();
    PatchCfg("AlertMsg.cfg", 162, int32_t{INT32_MAX - 1});
    ASSERT_TRUE(IsWindow(Init()));
    for (const char* content : {"目标 甲", "其他", "目标 乙", "目标 丙"})
        Alert(content);
    ShowWindow(center, SW_SHOW);
    HWND find = OpenFind();
    ASSERT_NE(find, nullptr);
    Search(find, "目标", 0);
    HWND results = GetDlgItem(find, kResults);
    ASSERT_EQ(ListView_GetItemCount(results), 3);
    Alert("其他");
    auto contents = [&] {
        std::vector<std::string> out;
        for (int row = 0; row < ListView_GetItemCount(results); ++row)
            out.push_back(CellText(results, row, 8));
        return out;
    };
    const std::vector<std::string> found = {"目标 丙", "目标 乙", "目标 甲"};
    EXPECT_EQ(contents(), found);

    HWND alerts = List(kAlertList);
    ListView_SetItemState(alerts, -1, 0, LVIS_SELECTED);
    ListView_SetItemState(alerts, 2, LVIS_SELECTED, LVIS_SELECTED); // 目标 乙
    SendMessageA(center, WM_COMMAND, 24993, 0);
    ASSERT_EQ(Rows(kAlertList), 4);
    EXPECT_EQ(contents(), found) << "the deleted one keeps its row";
    EXPECT_EQ(CellText(results, 1, 1).find("（已删除）"), 0u) << CellText(results, 1, 1);
    EXPECT_EQ(CellText(results, 2, 1).find("已删除"), std::string::npos);
    ListView_SetItemState(alerts, -1, 0, LVIS_SELECTED);
    SelectItem(results, 1);
    EXPECT_EQ(Status(find), "该消息已被删除。");
    EXPECT_EQ(ListView_GetSelectedCount(alerts), 0u) << "nothing is selected for it";
    SelectItem(results, 2);
    EXPECT_EQ(ListView_GetItemState(alerts, 3, LVIS_SELECTED), static_cast<UINT>(LVIS_SELECTED))
        << "目标 甲 stands at row 3 now";

    {
        DialogAnswerer yes(DialogAnswerer::Press(IDYES));
        SendMessageA(center, WM_COMMAND, 24994, 0); // delete all alerts
    }
    ASSERT_EQ(Rows(kAlertList), 0);
    EXPECT_EQ(contents(), found);
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(CellText(results, row, 1).find("（已删除）"), 0u) << row;
    Click(find, IDCANCEL);
    EXPECT_EQ(OpenFind(), find);
    EXPECT_EQ(ListView_GetItemCount(results), 0) << "the next show clears them";
}

TEST_F(DialogsTest, TheCloseBoxKeepsThePositionAndCancelDoesNot) {
    ASSERT_EQ(dll->ToggleMsgCenter(), 1);
    HWND find = OpenFind();
    ASSERT_NE(find, nullptr);
    MoveWindow(find, 40, 50, 420, 300, TRUE);
    SendMessageA(find, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindowVisible(find));
    EXPECT_EQ(FindIni("right"), "460");

    dll->ToggleMsgCenter(); // hiding the center ends the find window
    EXPECT_FALSE(IsWindow(find));
    dll->ToggleMsgCenter();
    find = OpenFind();
    ASSERT_NE(find, nullptr);
    RECT rc{};
    GetWindowRect(find, &rc);
    EXPECT_EQ(rc.left, 40);
    EXPECT_EQ(rc.top, 50);
    EXPECT_EQ(rc.right, 460);
    EXPECT_EQ(rc.bottom, 350);

    MoveWindow(find, 100, 120, 420, 300, TRUE);
    Click(find, IDCANCEL);
    EXPECT_FALSE(IsWindowVisible(find));
    dll->ToggleMsgCenter();
    dll->ToggleMsgCenter();
    find = OpenFind();
    ASSERT_NE(find, nullptr);
    GetWindowRect(find, &rc);
    EXPECT_EQ(rc.left, 40) << "Cancel did not store the move";
    EXPECT_EQ(rc.top, 50);
}

TEST_F(DialogsTest, FindKeysWorkWithoutTheHostsHelpAndTheSizeHasALowerLimit) {
    Alert("xxABCxx");
    HWND find = OpenFind();
    ASSERT_NE(find, nullptr);
    HWND edit = GetDlgItem(find, kKeyword);
    EXPECT_EQ(GetFocus(), edit);
    SetWindowTextA(edit, "ABC");
    // Enter in the edit presses the search button.
    PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    Pump();
    EXPECT_EQ(Status(find), "共查找到1条消息。");
    // Tab leaves the edit.
    PostMessageA(edit, WM_KEYDOWN, VK_TAB, 0);
    Pump();
    EXPECT_NE(GetFocus(), edit);
    // Esc hides the window, without storing the position.
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
    Pump();
    EXPECT_FALSE(IsWindowVisible(find));
    EXPECT_EQ(FindIni("left"), "none");

    RECT small{10, 10, 100, 60};
    SendMessageA(find, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&small));
    EXPECT_EQ(small.right, 260);
    EXPECT_EQ(small.bottom, 150);
    // The results list grows with the window.
    auto grow = [&](int cx, int cy) {
        SetWindowPos(find, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER);
        RECT rc{};
        GetWindowRect(GetDlgItem(find, kResults), &rc);
        return SIZE{rc.right - rc.left, rc.bottom - rc.top};
    };
    const SIZE before = grow(500, 400), after = grow(580, 450);
    EXPECT_EQ(after.cx - before.cx, 80);
    EXPECT_EQ(after.cy - before.cy, 50);
}

// ---------------------------------------------------------------- font and colour

TEST_F(DialogsTest, AnUnderlinedFontUnderlinesRowsAndLeavesTheHeaderPlainAlsoAfterAZoom) {
    HWND list = List(kAlertList);
    const LOGFONTA before = FontOf(list);
    std::string caption;
    std::string shownSize;
    DialogAnswerer answer([&](HWND sheet) {
        caption = WindowText(sheet);
        HWND picker = Picker(sheet);
        HWND size = GetDlgItem(picker, 103);
        shownSize = WindowText(size);
        SendMessageA(GetDlgItem(picker, 106), BM_CLICK, 0, 0); // 下划线
        SendMessageA(GetDlgItem(picker, 104), BM_CLICK, 0, 0); // 粗体
        SendMessageA(size, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("12"));
        SendMessageA(picker, WM_COMMAND, MAKEWPARAM(103, CBN_SELCHANGE), reinterpret_cast<LPARAM>(size));
        SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    });
    SendMessageA(center, WM_COMMAND, kAlertPage, 0);
    ASSERT_EQ(answer.Seen().size(), 1u);
    EXPECT_EQ(caption, "报警 - 页面设置");
    LOGFONTA rows = FontOf(list), header = FontOf(ListView_GetHeader(list));
    EXPECT_EQ(shownSize, "9") << "the list's 12-pixel font in points";
    EXPECT_EQ(before.lfHeight, -12);
    EXPECT_EQ(rows.lfUnderline, 1);
    EXPECT_EQ(rows.lfHeight, -16) << "12 points at 96 dpi";
    EXPECT_EQ(rows.lfWeight, FW_BOLD);
    EXPECT_STREQ(rows.lfFaceName, before.lfFaceName);
    EXPECT_EQ(header.lfUnderline, 0);
    EXPECT_EQ(header.lfHeight, -16);
    EXPECT_EQ(header.lfWeight, FW_BOLD);
    // The zoom makes both fonts again, by the same rule.
    SendMessageA(center, WM_COMMAND, 24998, 0);
    rows = FontOf(list);
    header = FontOf(ListView_GetHeader(list));
    EXPECT_EQ(rows.lfUnderline, 1);
    EXPECT_EQ(rows.lfHeight, -17);
    EXPECT_EQ(header.lfUnderline, 0);
    EXPECT_EQ(header.lfHeight, -17);
    EXPECT_STREQ(header.lfFaceName, rows.lfFaceName);
    // The category keeps the font: the configuration file has it after unload.
    Unload();
    const std::vector<uint8_t> cfg = Cfg("AlertMsg.cfg");
    ASSERT_EQ(cfg.size(), 170u);
    EXPECT_EQ(cfg[43], 1) << "lfUnderline of m_lfList";
}

TEST_F(DialogsTest, OkRecoloursTextBackgroundAndIconsAndCancelChangesNothing) {
    HWND list = List(kTradeList);
    Hook("comdlg32.dll", "ChooseColorA", reinterpret_cast<void*>(&FakeChooseColor));
    const COLORREF text0 = ListView_GetTextColor(list), back0 = ListView_GetBkColor(list);
    const LOGFONTA font0 = FontOf(list);
    // Italic and both colours picked: Cancel changes nothing, OK all three.
    auto sheet = [&](int button) {
        DialogAnswerer answer([&](HWND s) {
            SendMessageA(GetDlgItem(Picker(s), 105), BM_CLICK, 0, 0); // 斜体
            PickColour(s, 5020, RGB(200, 0, 0));
            PickColour(s, 5021, RGB(0, 0, 90));
            SendMessageA(s, PSM_PRESSBUTTON, button, 0);
        });
        SendMessageA(center, WM_COMMAND, kTradePage, 0);
        ASSERT_EQ(answer.Seen().size(), 1u);
        EXPECT_EQ(answer.Seen()[0].caption, "交易 - 页面设置");
    };
    sheet(PSBTN_CANCEL);
    EXPECT_EQ(g_chooseColorCalls, 2);
    EXPECT_EQ(ListView_GetTextColor(list), text0);
    EXPECT_EQ(ListView_GetBkColor(list), back0);
    EXPECT_EQ(FontOf(list).lfItalic, font0.lfItalic);
    sheet(PSBTN_OK);
    EXPECT_NE(FontOf(list).lfItalic, font0.lfItalic);
    EXPECT_EQ(ListView_GetTextColor(list), RGB(200, 0, 0));
    EXPECT_EQ(ListView_GetTextBkColor(list), RGB(0, 0, 90));
    EXPECT_EQ(ListView_GetBkColor(list), RGB(0, 0, 90));
    EXPECT_EQ(ImageList_GetBkColor(ListView_GetImageList(list, LVSIL_SMALL)), RGB(0, 0, 90));
    // The next sheet starts from the list's colours: the wells hand them to
    // the colour dialog as its start value.
    {
        DialogAnswerer answer([&](HWND sheet) {
            PickColour(sheet, 5020, 0);
            EXPECT_EQ(g_startColor, RGB(200, 0, 0));
            PickColour(sheet, 5021, 0);
            EXPECT_EQ(g_startColor, RGB(0, 0, 90));
            SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        });
        SendMessageA(center, WM_COMMAND, kTradePage, 0);
        ASSERT_EQ(answer.Seen().size(), 1u);
    }
    Unload();
    const std::vector<uint8_t> cfg = Cfg("TradeMsg.cfg");
    EXPECT_EQ(I32At(cfg, 14), static_cast<int32_t>(RGB(200, 0, 0))) << "text colour";
    EXPECT_EQ(I32At(cfg, 18), static_cast<int32_t>(RGB(0, 0, 90))) << "background";
}
