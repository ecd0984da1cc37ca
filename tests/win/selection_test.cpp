// The alert list's selection while messages arrive: every new alert is
// selected and the earlier selection moves down with its rows, also after the
// user changed the selection in between (the category keeps the rows it
// selected itself, and must notice every change it did not make). How runs
// of rows move is the core's rule, tested natively.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <vector>

#include "nuntio_host.h"
#include "ui_driver.h"

using namespace testhost;

namespace {

class SelectionTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        ASSERT_TRUE(IsWindow(Init()));
        list = List(kAlertList);
    }
    void Alert(int n = 1) {
        for (int i = 0; i < n; ++i) {
            InboundMessage a = MakeInbound(0, MakeAlert("sel", "x"));
            ASSERT_EQ(dll->SendToMsgCenter(0, &a), 1);
        }
    }

    HWND list = nullptr;
};

} // namespace

TEST_F(SelectionTest, NewAlertsAreSelectedAndTheUsersSelectionMovesDownWithItsRows) {
    Alert(4);
    EXPECT_EQ(SelectedRows(list), (std::vector<int>{0, 1, 2, 3}));
    SelectOnly(list, {2});
    Alert();
    EXPECT_EQ(SelectedRows(list), (std::vector<int>{0, 3}));
    SelectOnly(list, {3, 4}); // as many rows as the category selected, other ones
    Alert();
    EXPECT_EQ(SelectedRows(list), (std::vector<int>{0, 4, 5}));
    // Deleting the selection, then a new alert: only the new one.
    SendMessageA(center, WM_COMMAND, 24993, 0); // delete the selected
    EXPECT_EQ(ListView_GetItemCount(list), 3);
    SelectOnly(list, {});
    Alert();
    EXPECT_EQ(SelectedRows(list), (std::vector<int>{0}));
}

// With the window shown, a burst of alerts reaches the view at once (rows,
// selection, focus), and its drawing, scroll bar included, follows when the
// host's message loop runs again.
TEST_F(SelectionTest, AShownWindowTakesABurstAtOnceAndDrawsItAfter) {
    dll->ToggleMsgCenter();
    Pump(50);
    ASSERT_TRUE(IsWindowVisible(list));
    Alert(3);
    ListView_SetItemState(list, 1, LVIS_FOCUSED, LVIS_FOCUSED);
    Alert(300);
    EXPECT_EQ(ListView_GetItemCount(list), 303);
    EXPECT_EQ(ListView_GetSelectedCount(list), 303u);
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_FOCUSED), 301);
    Pump(100);
    EXPECT_TRUE(IsWindowVisible(list));
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0};
    ASSERT_TRUE(GetScrollInfo(list, SB_VERT, &si));
    EXPECT_EQ(si.nMax, 302);
    EXPECT_GT(si.nPage, 0u);
    // Hiding the window in the middle of a burst leaves nothing held.
    Alert(5);
    dll->ToggleMsgCenter();
    dll->ToggleMsgCenter();
    Pump(50);
    ASSERT_TRUE(GetScrollInfo(list, SB_VERT, &si));
    EXPECT_EQ(si.nMax, 307);
}
