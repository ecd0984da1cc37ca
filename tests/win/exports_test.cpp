// The host boundary: the export table, refusals before start-up and on bad
// input, routing to the two categories, and the per-user default alert
// settings in AlertCentre.ini.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "nuntio_host.h"
#include "ui_driver.h"

using namespace testhost;

namespace {

class NuntioTest : public HostTest {
protected:
    std::string AlertIni(const char* user = "trader01") const { return Folder(user) + "AlertCentre.ini"; }
};

} // namespace

TEST_F(NuntioTest, ExactlyTheNinePlainNamesAreExported) {
    auto base = reinterpret_cast<const uint8_t*>(dll->Module());
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    auto exp = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(
        base + nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress);
    EXPECT_EQ(exp->NumberOfNames, 9u);
    EXPECT_EQ(exp->NumberOfFunctions, 9u) << "every export has a name";
    for (const char* name :
         {"DoAlert", "GetAlertDefaultSet", "Nuntio_ChangeUser", "Nuntio_Exit", "Nuntio_Init",
          "OpenAlertPropertyDlg", "SendToMsgCenter", "SetAlertDefaultSet", "ToggleMsgCenter"})
        EXPECT_NE(GetProcAddress(dll->Module(), name), nullptr) << name;
}

// A host may load and unload the library any number of times. Each load must
// give back the thread-local storage slots it took: a process has about a
// thousand, and running out aborts it inside LoadLibrary.
TEST_F(NuntioTest, EveryLoadGivesBackItsThreadLocalSlots) {
    const auto freeSlots = [] {
        std::vector<DWORD> taken;
        for (DWORD i; (i = TlsAlloc()) != TLS_OUT_OF_INDEXES;)
            taken.push_back(i);
        for (DWORD i : taken)
            TlsFree(i);
        return taken.size();
    };
    const auto session = [&] {
        Reload();
        ASSERT_NE(Init(), nullptr);
        InboundMessage m = MakeInbound(NUNTIO_CATEGORY_ALERT, AlertRecord{});
        EXPECT_EQ(dll->SendToMsgCenter(0, &m), 1);
        Unload();
    };
    session();
    const size_t before = freeSlots();
    for (int i = 0; i < 5; ++i)
        session();
    EXPECT_EQ(freeSlots(), before);
}

TEST_F(NuntioTest, BeforeInitOnNullPointersAndWithoutItsWindowNothingIsDelivered) {
    InboundMessage alert = MakeInbound(0, MakeAlert("M", "C"));
    EXPECT_EQ(dll->SendToMsgCenter(0, &alert), 0);
    EXPECT_EQ(dll->ToggleMsgCenter(), 0);
    AlertRecord on = MakeAlert("M", "C");
    EXPECT_EQ(dll->DoAlert(&on), 1);
    EXPECT_EQ(dll->Exit(), 1);

    EXPECT_EQ(dll->Init(0, 0, nullptr, "u"), 0u);
    EXPECT_EQ(dll->Init(0, 0, root.c_str(), nullptr), 0u);
    EXPECT_EQ(dll->DoAlert(nullptr), 1);
    EXPECT_EQ(dll->GetAlertDefaultSet(nullptr), 0);
    EXPECT_EQ(dll->SetAlertDefaultSet(nullptr), 0);
    EXPECT_EQ(dll->OpenAlertPropertyDlg(nullptr), 0);
    dll->ChangeUser(nullptr);
    ASSERT_TRUE(IsWindow(Init()));
    EXPECT_EQ(dll->SendToMsgCenter(0, nullptr), 0);

    ASSERT_TRUE(DestroyWindow(center));
    EXPECT_EQ(dll->SendToMsgCenter(0, &alert), 0);
    EXPECT_EQ(dll->ToggleMsgCenter(), 0);
}

TEST_F(NuntioTest, DeliveryWhileHiddenSwitchesTheTabAndOnlyToggleShows) {
    ASSERT_TRUE(IsWindow(Init()));
    EXPECT_FALSE(IsWindowVisible(center));
    EXPECT_EQ(WindowText(center), "消息中心");
    EXPECT_EQ(GetParent(center), nullptr);
    InboundMessage trade = MakeTrade("撤单", "撤单成功", 1700000000);
    EXPECT_EQ(dll->SendToMsgCenter(12345, &trade), 1);
    EXPECT_EQ(CurrentTab(), 1);
    AlertRecord alert = MakeAlert("行情", "价格突破10.00");
    EXPECT_EQ(dll->DoAlert(&alert), 1);
    EXPECT_EQ(CurrentTab(), 0);
    EXPECT_FALSE(IsWindowVisible(center));

    // Refused: categories other than 0 and 1, and an alert whose status is 0.
    ASSERT_EQ(dll->SendToMsgCenter(0, &trade), 1);
    for (int32_t bad : {-1, 2, 0x7FFFFFFF, static_cast<int32_t>(0x80000000)}) {
        InboundMessage m = MakeInbound(bad, MakeAlert("M", "C"));
        EXPECT_EQ(dll->SendToMsgCenter(0, &m), 0) << bad;
        EXPECT_EQ(CurrentTab(), 1) << bad;
    }
    AlertRecord off = MakeAlert("行情", "off", 0);
    EXPECT_EQ(dll->DoAlert(&off), 1);
    EXPECT_EQ(CurrentTab(), 1);
    EXPECT_EQ(Rows(kAlertList), 1);

    EXPECT_EQ(dll->ToggleMsgCenter(), 1);
    EXPECT_TRUE(IsWindowVisible(center));
    EXPECT_EQ(dll->ToggleMsgCenter(), 0);
    EXPECT_FALSE(IsWindowVisible(center));
    EXPECT_EQ(dll->ToggleMsgCenter(), 1);
}

// What the stored values mean is the core's; here the file they go to.
TEST_F(NuntioTest, AlertDefaultsGoToTheFirstUsersFileAndComeBack) {
    Init();
    const AlertProperty p = {1, 2, 0, 1, 1, 0, 0, 1, 255, 9};
    ASSERT_EQ(dll->SetAlertDefaultSet(&p), 1);
    char text[32] = {};
    GetPrivateProfileStringA("ALERTPROPERTY", "Reserved1", "", text, sizeof text, AlertIni().c_str());
    EXPECT_STREQ(text, "255");
    // After a change of user the defaults still come from the first user's folder.
    MakeDirs(Folder("trader02"));
    dll->ChangeUser("trader02");
    AlertProperty back{};
    ASSERT_EQ(dll->GetAlertDefaultSet(&back), 1);
    EXPECT_EQ(std::memcmp(&p, &back, sizeof p), 0);
    EXPECT_FALSE(FileExists(AlertIni("trader02")));
}

TEST_F(NuntioTest, ThePropertyDialogIsModalForTheHostAndOpensOnce) {
    HostWindow host;
    HWND owner = nullptr, first = nullptr;
    bool hostEnabled = true, inFront = false;
    int again = -1;
    DialogAnswerer answer([&](HWND dialog) {
        if (first != nullptr) { // a second dialog: not wanted
            DialogAnswerer::Close()(dialog);
            return;
        }
        first = dialog;
        owner = GetWindow(dialog, GW_OWNER);
        hostEnabled = IsWindowEnabled(host.hwnd) != FALSE;
        AlertProperty other{};
        again = dll->OpenAlertPropertyDlg(&other); // from a host timer, say
        inFront = GetForegroundWindow() == dialog;
        DialogAnswerer::Close()(dialog);
    });
    AlertProperty prop{};
    EXPECT_EQ(dll->OpenAlertPropertyDlg(&prop), 0);
    EXPECT_EQ(owner, host.hwnd);
    EXPECT_FALSE(hostEnabled) << "the host waits for the dialog";
    EXPECT_EQ(again, 0);
    EXPECT_TRUE(inFront) << "the dialog that is up comes forward";
    EXPECT_EQ(answer.Seen().size(), 1u) << "one dialog";
    EXPECT_TRUE(IsWindowEnabled(host.hwnd));
    EXPECT_EQ(GetActiveWindow(), host.hwnd);
}
