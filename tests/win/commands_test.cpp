// What the lists and toolbars answer: the Delete key, delete-all with its
// question, the font zoom and its header rule, and the toolbars' buttons,
// enabling and arrangement kept per user and per toolbar in the registry.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "nuntio_host.h"
#include "ui_driver.h"

using namespace testhost;

namespace {

constexpr int kAlertList = 4000;
constexpr int kTradeList = 4001;
constexpr const char* kToolbarKey = "Software\\Corvane\\Ostrel证券平台\\User\\%s\\MsgCent\\Toolbar";

class CommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dll->Loaded());
        root = NewTempRoot("commands");
        char name[64];
        std::snprintf(name, sizeof name, "trader-%lu", GetCurrentProcessId());
        user = name;
        MakeDirs(root + "\\User\\" + user);
        MakeDirs(root + "\\User\\" + user + "2");
    }
    void TearDown() override {
        dll.reset();
        for (const std::string& u : {user, user + "2"}) {
            const std::string key = RegKey(u);
            RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());                                   // ...\Toolbar
            RegDeleteKeyA(HKEY_CURRENT_USER, key.substr(0, key.rfind('\\')).c_str());        // ...\MsgCent
            RegDeleteKeyA(HKEY_CURRENT_USER, key.substr(0, key.rfind("\\MsgCent")).c_str()); // ...\<user>
        }
        RemoveTree(root);
    }
    static std::string RegKey(const std::string& u) {
        char key[256];
        std::snprintf(key, sizeof key, kToolbarKey, u.c_str());
        return key;
    }
    void Init(const std::string& who) {
        center = reinterpret_cast<HWND>(static_cast<uintptr_t>(dll->Init(0, 0, root.c_str(), who.c_str())));
        ASSERT_TRUE(IsWindow(center));
    }
    void Restart(const std::string& who) {
        dll.reset();
        dll = std::make_unique<NuntioDll>();
        Init(who);
    }
    std::string Folder(const std::string& who) const { return root + "\\User\\" + who + "\\Nuntio\\"; }
    HWND Child(const char* cls, int id) const { return FindChild(center, cls, id); }
    HWND List(int id) const { return Child(WC_LISTVIEWA, id); }
    HWND Toolbar(int id) const { return Child(TOOLBARCLASSNAMEA, id); }
    int Rows(int id) const { return ListView_GetItemCount(List(id)); }
    std::string Content(int row) const {
        char text[300] = {};
        ListView_GetItemText(List(kAlertList), row, 8, text, sizeof text);
        return text;
    }
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
    // What the toolbar tells its parent when the customise dialog closes.
    void EndCustomise(int id) {
        NMTOOLBARA nm{};
        nm.hdr.hwndFrom = Toolbar(id);
        nm.hdr.idFrom = static_cast<UINT_PTR>(id);
        nm.hdr.code = TBN_ENDADJUST;
        SendMessageA(center, WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&nm));
    }
    void PatchCfg(const std::string& who, size_t offset, const void* bytes, size_t n) {
        std::vector<uint8_t> cfg = ReadFileBytes(Folder(who) + "AlertMsg.cfg");
        ASSERT_EQ(cfg.size(), 170u);
        std::memcpy(&cfg[offset], bytes, n);
        WriteFileBytes(Folder(who) + "AlertMsg.cfg", std::string(cfg.begin(), cfg.end()));
    }
    int32_t CfgFontHeight(const std::string& who) const {
        std::vector<uint8_t> cfg = ReadFileBytes(Folder(who) + "AlertMsg.cfg");
        int32_t h = 0;
        if (cfg.size() == 170) std::memcpy(&h, &cfg[22], 4);
        return h;
    }

    std::unique_ptr<NuntioDll> dll = std::make_unique<NuntioDll>();
    std::string root, user;
    HWND center = nullptr;
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
    EXPECT_EQ(Content(0), "一");
    EXPECT_EQ(Content(1), "三");
    EXPECT_EQ(Content(2), "五");
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
    Init(user);
    dll.reset();
    struct Case {
        int32_t height;
        int command;
        int32_t expected;
    } cases[] = {{1, 24999, 1}, {-1, 24999, -1},   {0, 24998, -1},
                 {5, 24998, 6}, {-12, 24998, -13}, {-12, 24999, -11}};
    for (const Case& c : cases) {
        PatchCfg(user, 22, &c.height, 4);
        dll = std::make_unique<NuntioDll>();
        Init(user);
        SendMessageA(center, WM_COMMAND, static_cast<WPARAM>(c.command), 0);
        dll.reset();
        EXPECT_EQ(CfgFontHeight(user), c.expected) << "height " << c.height << " command " << c.command;
    }
}

TEST_F(CommandsTest, AnUnderlinedFontUnderlinesRowsButNotTheHeader) {
    Init(user);
    dll.reset();
    const uint8_t underline = 1;
    PatchCfg(user, 43, &underline, 1);
    dll = std::make_unique<NuntioDll>();
    Init(user);
    SendMessageA(center, WM_COMMAND, 24998, 0); // zoom remakes both fonts
    LOGFONTA list{}, header{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(List(kAlertList), WM_GETFONT, 0, 0)), sizeof list, &list);
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(ListView_GetHeader(List(kAlertList)), WM_GETFONT, 0, 0)),
               sizeof header, &header);
    EXPECT_EQ(list.lfUnderline, 1);
    EXPECT_EQ(list.lfHeight, -13);
    EXPECT_EQ(header.lfUnderline, 0);
    EXPECT_EQ(header.lfHeight, -13);
    EXPECT_STREQ(header.lfFaceName, list.lfFaceName);
}

TEST_F(CommandsTest, ToolbarsStartWithSevenButtonsAndThreeSeparators) {
    Init(user);
    EXPECT_EQ(Buttons(4001), std::vector<int>({24993, 24994, 0, 24995, 24996, 24997, 0, 24998, 24999, 0}));
    EXPECT_EQ(Buttons(5027), std::vector<int>({27993, 27994, 0, 27995, 27996, 27997, 0, 27998, 27999, 0}));
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
    SendMessageA(Toolbar(4001), TB_DELETEBUTTON, 1, 0); // "删除全部内容"
    EndCustomise(4001);
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
    EXPECT_EQ(Buttons(5027).size(), 10u) << "the trade toolbar keeps its own arrangement";

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
    Init(user);
    HWND list = List(kAlertList);
    // Header order: icon, 模块, 时间, 窗口, then the rest.
    int order[9] = {0, 3, 1, 2, 4, 5, 6, 7, 8};
    ASSERT_TRUE(ListView_SetColumnOrderArray(list, 9, order));
    ListView_SetColumnWidth(list, 8, 300); // 报警内容
    dll.reset();
    std::vector<uint8_t> cfg = ReadFileBytes(Folder(user) + "AlertMsg.cfg");
    ASSERT_EQ(cfg.size(), 170u);
    auto at = [&](size_t off) {
        int32_t v;
        std::memcpy(&v, &cfg[off], 4);
        return v;
    };
    EXPECT_EQ(at(82 + 4 * 3), 1) << "模块 is shown second";
    EXPECT_EQ(at(82 + 4 * 1), 2) << "时间 third";
    EXPECT_EQ(at(82 + 4 * 2), 3);
    EXPECT_EQ(at(122 + 4 * 8), 300) << "the width the user dragged";

    dll = std::make_unique<NuntioDll>();
    Init(user);
    int back[9] = {};
    ASSERT_TRUE(ListView_GetColumnOrderArray(List(kAlertList), 9, back));
    EXPECT_EQ(std::vector<int>(back, back + 9), std::vector<int>(order, order + 9));
    EXPECT_EQ(ListView_GetColumnWidth(List(kAlertList), 8), 300);
}
