// What the lists and toolbars answer: the Delete key, delete-all with its
// question, the font zoom, and the toolbars' buttons, enabling and
// arrangement kept per user and per toolbar in the registry.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "nuntio_host.h"
#include "ui_driver.h"

using namespace testhost;

namespace {

constexpr const char* kToolbarKey = "Software\\Corvane\\Ostrel证券平台\\User\\%s\\MsgCent\\Toolbar";

// The registry outlives the test: each run has users of its own.
class CommandsTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        user = "trader-" + std::to_string(GetCurrentProcessId());
        MakeDirs(root + "\\User\\" + user);
        MakeDirs(root + "\\User\\" + user + "2");
    }
    void TearDown() override {
        HostTest::TearDown();
        for (const std::string& u : {user, user + "2"}) {
            const std::string key = RegKey(u);
            RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());                                   // ...\Toolbar
            RegDeleteKeyA(HKEY_CURRENT_USER, key.substr(0, key.rfind('\\')).c_str());        // ...\MsgCent
            RegDeleteKeyA(HKEY_CURRENT_USER, key.substr(0, key.rfind("\\MsgCent")).c_str()); // ...\<user>
        }
    }
    static std::string RegKey(const std::string& u) {
        char key[256];
        std::snprintf(key, sizeof key, kToolbarKey, u.c_str());
        return key;
    }
    void Restart(const std::string& who) {
        Reload();
        ASSERT_TRUE(IsWindow(Init(who)));
    }
    HWND Toolbar(int id) const { return FindChild(center, TOOLBARCLASSNAMEA, id); }
    std::vector<int> Selection(int id) const {
        std::vector<int> rows;
        for (int i = -1; (i = ListView_GetNextItem(List(id), i, LVNI_SELECTED)) != -1;)
            rows.push_back(i);
        return rows;
    }
    void Alert(const char* content) {
        AlertRecord a = MakeAlert("模块", content);
        ASSERT_EQ(dll->DoAlert(&a), 1);
    }
    // The buttons of a toolbar as command ids, 0 for a separator.
    std::vector<int> Buttons(int id) const {
        HWND tb = Toolbar(id);
        std::vector<int> out;
        const int n = static_cast<int>(SendMessageA(tb, TB_BUTTONCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            TBBUTTON b{};
            SendMessageA(tb, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&b));
            out.push_back((b.fsStyle & TBSTYLE_SEP) ? 0 : b.idCommand);
        }
        return out;
    }

    std::string user;
};

} // namespace

TEST_F(CommandsTest, DeleteKeyRemovesTheSelectionAndSelectsTheRowAtTheLastDeletedPlace) {
    Init(user);
    for (const char* c : {"五", "四", "三", "二", "一"})
        Alert(c); // top row "一"
    ListView_SetItemState(List(kAlertList), -1, 0, LVIS_SELECTED);
    ListView_SetItemState(List(kAlertList), 1, LVIS_SELECTED, LVIS_SELECTED); // "二"
    ListView_SetItemState(List(kAlertList), 3, LVIS_SELECTED, LVIS_SELECTED); // "四"
    SetFocus(List(kAlertList));
    SendMessageA(List(kAlertList), WM_KEYDOWN, VK_DELETE, 0);
    ASSERT_EQ(Rows(kAlertList), 3);
    EXPECT_EQ(Cell(kAlertList, 0, 8), "一");
    EXPECT_EQ(Cell(kAlertList, 1, 8), "三");
    EXPECT_EQ(Cell(kAlertList, 2, 8), "五");
    // The last deletion was at row 2 (after "二" went, "四" stood at 2).
    EXPECT_EQ(Selection(kAlertList), std::vector<int>({2}));

    // Deleting the last row leaves nothing selected.
    ListView_SetItemState(List(kAlertList), -1, 0, LVIS_SELECTED);
    ListView_SetItemState(List(kAlertList), 2, LVIS_SELECTED, LVIS_SELECTED);
    SendMessageA(center, WM_COMMAND, 24993, 0);
    EXPECT_EQ(Rows(kAlertList), 2);
    EXPECT_TRUE(Selection(kAlertList).empty());
}

TEST_F(CommandsTest, DeleteAllAsksFirstAndNoChangesNothing) {
    Init(user);
    Alert("a");
    Alert("b");
    {
        DialogAnswerer no(DialogAnswerer::Press(IDNO));
        SendMessageA(center, WM_COMMAND, 24994, 0);
        ASSERT_EQ(no.Seen().size(), 1u);
        EXPECT_EQ(no.Seen()[0].caption, "确认");
        EXPECT_EQ(no.Seen()[0].message, "删除所有列表的消息？");
    }
    EXPECT_EQ(Rows(kAlertList), 2);
    {
        DialogAnswerer yes(DialogAnswerer::Press(IDYES));
        SendMessageA(center, WM_COMMAND, 24994, 0);
    }
    EXPECT_EQ(Rows(kAlertList), 0);
    Restart(user);
    EXPECT_EQ(Rows(kAlertList), 0) << "the deletion reaches the file";
}

TEST_F(CommandsTest, ZoomNeverLetsTheHeightReachZero) {
    Init();
    struct Case {
        int32_t height;
        int command;
        int32_t expected;
    } cases[] = {{1, 24999, 1}, {-1, 24999, -1},   {0, 24998, -1},
                 {5, 24998, 6}, {-12, 24998, -13}, {-12, 24999, -11}};
    for (const Case& c : cases) {
        Reload();
        PatchCfg("AlertMsg.cfg", 22, c.height);
        Init();
        SendMessageA(center, WM_COMMAND, static_cast<WPARAM>(c.command), 0);
        Unload();
        EXPECT_EQ(I32At(Cfg("AlertMsg.cfg"), 22), c.expected)
            << "height " << c.height << " command " << c.command;
    }
}

TEST_F(CommandsTest, DeleteButtonsFollowTheList) {
    Init(user);
    dll->ToggleMsgCenter();
    HWND tb = Toolbar(4001);
    EXPECT_FALSE(SendMessageA(tb, TB_ISBUTTONENABLED, 24993, 0));
    EXPECT_FALSE(SendMessageA(tb, TB_ISBUTTONENABLED, 24994, 0));
    Alert("x"); // selects the alert tab, whose Show refreshes the buttons
    EXPECT_TRUE(SendMessageA(tb, TB_ISBUTTONENABLED, 24994, 0));
    EXPECT_TRUE(SendMessageA(tb, TB_ISBUTTONENABLED, 24993, 0)) << "the new alert is selected";
    HMENU edit = GetSubMenu(GetMenu(center), 0);
    EXPECT_EQ(GetMenuState(edit, 24994, MF_BYCOMMAND) & MF_GRAYED, 0u);
}

TEST_F(CommandsTest, ARemovedButtonStaysRemovedPerToolbarAndPerUser) {
    Init(user);
    const std::vector<int> initial = {27993, 27994, 0, 27995, 27996, 27997, 0, 27998, 27999, 0};
    EXPECT_EQ(Buttons(4001), std::vector<int>({24993, 24994, 0, 24995, 24996, 24997, 0, 24998, 24999, 0}));
    EXPECT_EQ(Buttons(5027), initial);
    SendMessageA(Toolbar(4001), TB_DELETEBUTTON, 1, 0); // "删除全部内容"
    // What the toolbar tells its parent when the customise dialog closes.
    NMTOOLBARA nm{};
    nm.hdr = {Toolbar(4001), 4001, static_cast<UINT>(TBN_ENDADJUST)};
    SendMessageA(center, WM_NOTIFY, 4001, reinterpret_cast<LPARAM>(&nm));
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, RegKey(user).c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "4001", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    // The arrangement: one little-endian command id per button, 0 for a separator.
    std::vector<uint8_t> data(size);
    RegQueryValueExA(key, "4001", nullptr, &type, data.data(), &size);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    const std::vector<uint32_t> expected = {24993, 0, 24995, 24996, 24997, 0, 24998, 24999, 0};
    ASSERT_EQ(data.size(), expected.size() * 4);
    EXPECT_EQ(std::memcmp(data.data(), expected.data(), data.size()), 0);
    EXPECT_NE(RegQueryValueExA(key, "5027", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    RegCloseKey(key);

    Restart(user);
    EXPECT_EQ(Buttons(4001), std::vector<int>({24993, 0, 24995, 24996, 24997, 0, 24998, 24999, 0}));
    EXPECT_EQ(Buttons(5027), initial) << "the trade toolbar keeps its own arrangement";

    Restart(user + "2");
    EXPECT_EQ(Buttons(4001).size(), 10u) << "another user keeps the initial arrangement";
}

TEST_F(CommandsTest, TheCustomiseDialogGetsTheButtonsWithTheirFullTextsAndItsHelpSaysSo) {
    Init(user);
    HWND tb = Toolbar(5027);
    char text[128];
    NMTOOLBARA info{};
    info.hdr = {tb, 5027, static_cast<UINT>(TBN_GETBUTTONINFOA)};
    info.pszText = text;
    info.cchText = sizeof text;
    const char* expected[] = {"删除选择内容", "删除全部内容", "设置页面格式", "设置列字段格式",
                              "设置消息格式", "字体放大",     "字体缩小"};
    for (int i = 0; i < 7; ++i) {
        info.iItem = i;
        text[0] = '\0';
        EXPECT_TRUE(SendMessageA(center, WM_NOTIFY, 5027, reinterpret_cast<LPARAM>(&info))) << i;
        EXPECT_STREQ(text, expected[i]);
        EXPECT_EQ(info.tbButton.idCommand, 27993 + i);
    }
    info.iItem = 7;
    EXPECT_FALSE(SendMessageA(center, WM_NOTIFY, 5027, reinterpret_cast<LPARAM>(&info)))
        << "no eighth button";

    DialogAnswerer answer(DialogAnswerer::Press(IDOK));
    NMHDR help{tb, 5027, static_cast<UINT>(TBN_CUSTHELP)};
    SendMessageA(center, WM_NOTIFY, 5027, reinterpret_cast<LPARAM>(&help));
    ASSERT_EQ(answer.Seen().size(), 1u);
    EXPECT_EQ(answer.Seen()[0].message, "Help not implemented!");
}

TEST_F(CommandsTest, DraggedColumnsAndWidthsReachTheConfigurationAtUnload) {
    Init();
    HWND list = List(kAlertList);
    // Header order: icon, 模块, 时间, 窗口, then the rest.
    int order[9] = {0, 3, 1, 2, 4, 5, 6, 7, 8};
    ASSERT_TRUE(ListView_SetColumnOrderArray(list, 9, order));
    ListView_SetColumnWidth(list, 8, 300); // 报警内容
    Reload();
    const std::vector<uint8_t> cfg = Cfg("AlertMsg.cfg");
    EXPECT_EQ(I32At(cfg, 82 + 4 * 3), 1) << "模块 is shown second";
    EXPECT_EQ(I32At(cfg, 82 + 4 * 1), 2) << "时间 third";
    EXPECT_EQ(I32At(cfg, 82 + 4 * 2), 3);
    EXPECT_EQ(I32At(cfg, 122 + 4 * 8), 300) << "the width the user dragged";

    Init();
    int back[9] = {};
    ASSERT_TRUE(ListView_GetColumnOrderArray(List(kAlertList), 9, back));
    EXPECT_EQ(std::vector<int>(back, back + 9), std::vector<int>(order, order + 9));
    EXPECT_EQ(ListView_GetColumnWidth(List(kAlertList), 8), 300);
}

TEST_F(CommandsTest, DeleteCommandsFollowTheSelectionHoweverItChanges) {
    Init(user);
    dll->ToggleMsgCenter();
    for (const char* t : {"a", "b", "c"})
        Alert(t);
    HWND tb = Toolbar(4001), list = List(kAlertList);
    HMENU edit = GetSubMenu(GetMenu(center), 0);
    auto deleteEnabled = [&] {
        const bool button = SendMessageA(tb, TB_ISBUTTONENABLED, 24993, 0) != 0;
        EXPECT_EQ(button, (GetMenuState(edit, 24993, MF_BYCOMMAND) & MF_GRAYED) == 0)
            << "button and menu agree";
        return button;
    };
    ASSERT_TRUE(deleteEnabled());
    // Another window (the find window) clears or sets the selection.
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    EXPECT_FALSE(deleteEnabled());
    ListView_SetItemState(list, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_TRUE(deleteEnabled());
    // The keyboard moves it.
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    SetFocus(list);
    SendMessageA(list, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(Selection(kAlertList), (std::vector<int>{2}));
    EXPECT_TRUE(deleteEnabled());
    // Deleting the last row leaves nothing selected.
    SendMessageA(center, WM_COMMAND, 24993, 0);
    EXPECT_FALSE(deleteEnabled());
}

TEST_F(CommandsTest, EveryToolbarButtonHasItsTooltip) {
    Init(user);
    dll->ToggleMsgCenter();
    for (int toolbar : {4001, 5027}) {
        const int first = toolbar == 4001 ? 24993 : 27993;
        HWND tips = reinterpret_cast<HWND>(SendMessageA(Toolbar(toolbar), TB_GETTOOLTIPS, 0, 0));
        for (int id = first; id <= first + 6; ++id) {
            NMTTDISPINFOA info{};
            info.hdr.hwndFrom = tips;
            info.hdr.idFrom = static_cast<UINT_PTR>(id);
            info.hdr.code = TTN_NEEDTEXTA;
            SendMessageA(center, WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&info));
            char text[128] = {};
            if (IS_INTRESOURCE(info.lpszText))
                LoadStringA(info.hinst, static_cast<UINT>(reinterpret_cast<uintptr_t>(info.lpszText)), text,
                            sizeof text);
            else if (info.lpszText != nullptr)
                lstrcpynA(text, info.lpszText, sizeof text);
            EXPECT_NE(text[0], '\0') << "button " << id;
        }
    }
}

TEST_F(CommandsTest, StoredColumnPositionsOutOfRangeKeepTheIconFirstAndEveryHeadingOverItsData) {
    Init(user);
    Alert("内容");
    Reload();
    const std::string cfg = root + "\\User\\" + user + "\\Nuntio\\AlertMsg.cfg";
    std::vector<uint8_t> bytes = ReadFileBytes(cfg);
    ASSERT_EQ(bytes.size(), 170u);
    const int32_t positions[10] = {-1, 99, 1, 5, -7, 3, 3, 7, 2, -1}; // at 82, one i32 per column slot
    std::memcpy(&bytes[82], positions, sizeof positions);
    WriteFileBytes(cfg, std::string(bytes.begin(), bytes.end()));
    ASSERT_TRUE(IsWindow(Init(user)));
    HWND list = List(kAlertList), header = ListView_GetHeader(list);
    const int columns = Header_GetItemCount(header);
    ASSERT_EQ(columns, 8) << "the icon and the seven columns not hidden (-1 or below)";
    std::vector<int> order(static_cast<size_t>(columns));
    ListView_GetColumnOrderArray(list, columns, order.data());
    EXPECT_EQ(order[0], 0) << "the icon column first";
    // Each heading stands over its own data: the content column reads "内容".
    for (int i = 1; i < columns; ++i) {
        char title[64] = {};
        HDITEMA item{};
        item.mask = HDI_TEXT;
        item.pszText = title;
        item.cchTextMax = sizeof title;
        Header_GetItem(header, i, &item);
        if (std::string(title) == "报警内容") {
            EXPECT_EQ(CellText(list, 0, i), "内容");
        }
    }
    std::vector<int> sorted(order);
    std::sort(sorted.begin(), sorted.end());
    for (int i = 0; i < columns; ++i)
        EXPECT_EQ(sorted[static_cast<size_t>(i)], i) << "every column once";
}
