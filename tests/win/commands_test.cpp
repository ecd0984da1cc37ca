// What the lists and toolbars answer: the Delete key, the delete commands
// with their enabling and question, and the toolbars' buttons, tooltips and
// arrangement kept per user and per toolbar in the registry.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "nuntio_host.h"
#include "ui_driver.h"

using namespace testhost;

namespace {

constexpr const char* kToolbarKey = "Software\\Corvane\\Ostrel证券平台\\User\\%s\\MsgCent\\Toolbar";
constexpr int kDelete = 24993, kDeleteAll = 24994;

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
            RegDeleteTreeA(HKEY_CURRENT_USER, key.substr(0, key.rfind("\\MsgCent")).c_str()); // ...\<user>
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

// The delete buttons and menu items follow the list and its selection however
// it changes (another window such as the find window, the keyboard); the Delete
// key removes the selection and selects the row at the last deleted place;
// delete-all asks first and No changes nothing.
TEST_F(CommandsTest, DeletingFollowsTheSelectionAndDeleteAllAsksFirst) {
    Init(user);
    dll->ToggleMsgCenter();
    HWND tb = Toolbar(4001), list = List(kAlertList);
    HMENU edit = GetSubMenu(GetMenu(center), 0);
    auto enabled = [&](int command) {
        const bool button = SendMessageA(tb, TB_ISBUTTONENABLED, static_cast<WPARAM>(command), 0) != 0;
        EXPECT_EQ(button, (GetMenuState(edit, static_cast<UINT>(command), MF_BYCOMMAND) & MF_GRAYED) == 0)
            << command << ": button and menu agree";
        return button;
    };
    EXPECT_FALSE(enabled(kDelete));
    EXPECT_FALSE(enabled(kDeleteAll));
    Alerts({"五", "四", "三", "二",
            "一"}); // top row "一"; each selects the alert tab, whose Show refreshes the buttons
    EXPECT_TRUE(enabled(kDeleteAll));
    EXPECT_TRUE(enabled(kDelete)) << "the new alert is selected";
    SelectOnly(list, {});
    EXPECT_FALSE(enabled(kDelete));
    SelectOnly(list, {1});
    EXPECT_TRUE(enabled(kDelete));
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    SetFocus(list);
    SendMessageA(list, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(SelectedRows(list), (std::vector<int>{2}));
    EXPECT_TRUE(enabled(kDelete));

    SelectOnly(list, {1, 3}); // "二", "四"
    SendMessageA(list, WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(Contents(), (std::vector<std::string>{"一", "三", "五"}));
    EXPECT_EQ(SelectedRows(list), (std::vector<int>{2})) << "after 二 went, 四 stood at row 2";
    SendMessageA(center, WM_COMMAND, kDelete, 0);
    EXPECT_EQ(Rows(kAlertList), 2);
    EXPECT_TRUE(SelectedRows(list).empty()) << "the last row went";
    EXPECT_FALSE(enabled(kDelete));

    {
        DialogAnswerer no(DialogAnswerer::Press(IDNO));
        SendMessageA(center, WM_COMMAND, kDeleteAll, 0);
        ASSERT_EQ(no.Seen().size(), 1u);
        EXPECT_EQ(no.Seen()[0].caption, "确认");
        EXPECT_EQ(no.Seen()[0].message, "删除所有列表的消息？");
    }
    EXPECT_EQ(Rows(kAlertList), 2);
    {
        DialogAnswerer yes(DialogAnswerer::Press(IDYES));
        SendMessageA(center, WM_COMMAND, kDeleteAll, 0);
    }
    EXPECT_EQ(Rows(kAlertList), 0);
    EXPECT_FALSE(enabled(kDeleteAll));
    Restart(user);
    EXPECT_EQ(Rows(kAlertList), 0) << "the deletion reaches the file";
}

// The customise dialog gets each of the seven buttons of both toolbars with
// a text, each button has its tooltip, and the dialog's help says there is
// none; a removed button stays removed, for that toolbar and that user only.
TEST_F(CommandsTest, ToolbarsHaveTheirTextsAndKeepTheirArrangementPerToolbarAndPerUser) {
    Init(user);
    dll->ToggleMsgCenter();
    for (int toolbar : {4001, 5027}) {
        HWND tips = reinterpret_cast<HWND>(SendMessageA(Toolbar(toolbar), TB_GETTOOLTIPS, 0, 0));
        for (int i = 0; i < 8; ++i) {
            char text[128] = {};
            NMTOOLBARA button{};
            button.hdr = {Toolbar(toolbar), static_cast<UINT_PTR>(toolbar),
                          static_cast<UINT>(TBN_GETBUTTONINFOA)};
            button.iItem = i;
            button.pszText = text;
            button.cchText = sizeof text;
            const bool given =
                SendMessageA(center, WM_NOTIFY, toolbar, reinterpret_cast<LPARAM>(&button)) != 0;
            EXPECT_EQ(given, i < 7) << i << ": seven buttons";
            if (!given) break;
            const int id = button.tbButton.idCommand;
            EXPECT_EQ(id, (toolbar == 4001 ? 24993 : 27993) + i);
            EXPECT_NE(text[0], '\0') << "button " << id;
            NMTTDISPINFOA tip{};
            tip.hdr = {tips, static_cast<UINT_PTR>(id), static_cast<UINT>(TTN_NEEDTEXTA)};
            SendMessageA(center, WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&tip));
            if (IS_INTRESOURCE(tip.lpszText))
                LoadStringA(tip.hinst, static_cast<UINT>(reinterpret_cast<uintptr_t>(tip.lpszText)), text,
                            sizeof text);
            else
                lstrcpynA(text, tip.lpszText != nullptr ? tip.lpszText : "", sizeof text);
            EXPECT_NE(text[0], '\0') << "tooltip " << id;
        }
    }
    DialogAnswerer answer(DialogAnswerer::Press(IDOK));
    NMHDR help{Toolbar(5027), 5027, static_cast<UINT>(TBN_CUSTHELP)};
    SendMessageA(center, WM_NOTIFY, 5027, reinterpret_cast<LPARAM>(&help));
    ASSERT_EQ(answer.Seen().size(), 1u);
    EXPECT_EQ(answer.Seen()[0].message, "Help not implemented!");

    const std::vector<int> initial = {27993, 27994, 0, 27995, 27996, 27997, 0, 27998, 27999, 0};
    const std::vector<int> removed = {24993, 0, 24995, 24996, 24997, 0, 24998, 24999, 0};
    EXPECT_EQ(Buttons(4001), std::vector<int>({24993, 24994, 0, 24995, 24996, 24997, 0, 24998, 24999, 0}));
    EXPECT_EQ(Buttons(5027), initial);
    SendMessageA(Toolbar(4001), TB_DELETEBUTTON, 1, 0); // "删除全部内容"
    // What the toolbar tells its parent when the customise dialog closes.
    NMTOOLBARA nm{};
    nm.hdr = {Toolbar(4001), 4001, static_cast<UINT>(TBN_ENDADJUST)};
    SendMessageA(center, WM_NOTIFY, 4001, reinterpret_cast<LPARAM>(&nm));
    // The arrangement: one little-endian command id per button, 0 for a separator.
    uint32_t data[16] = {};
    DWORD size = sizeof data;
    ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, RegKey(user).c_str(), "4001", RRF_RT_REG_BINARY, nullptr, data,
                           &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::vector<int>(data, data + size / 4), removed);
    EXPECT_NE(
        RegGetValueA(HKEY_CURRENT_USER, RegKey(user).c_str(), "5027", RRF_RT_ANY, nullptr, nullptr, nullptr),
        ERROR_SUCCESS);
    Restart(user);
    EXPECT_EQ(Buttons(4001), removed);
    EXPECT_EQ(Buttons(5027), initial) << "the trade toolbar keeps its own arrangement";
    Restart(user + "2");
    EXPECT_EQ(Buttons(4001).size(), 10u) << "another user keeps the initial arrangement";
}
