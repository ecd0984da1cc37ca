// The settings windows, driven as a trader drives them: the category settings
// sheet opened by the categories' commands (24997 alert, 27997 trade) with its
// prompt page and alert action page, and the alert property dialog of the
// export OpenAlertPropertyDlg. The tests click, type and read the real
// controls, then check the configuration file and AlertCentre.ini byte for
// byte, the list, the tray flash and the popup.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "nuntio_host.h"
#include "ui_driver.h"

using namespace testhost;

namespace {

constexpr int kAlertSettings = 24997;
constexpr int kTradeSettings = 27997;
constexpr UINT kFlashTimer = 1;

// Prompt page controls.
constexpr int kByDate = 1046, kDays = 1017, kByCount = 1047, kCount = 1019;
constexpr int kNoPrompt = 1024, kPopup = 1040, kSkin = 1043, kPreview = 1042, kStay = 1048;
// Alert action controls.
constexpr int kSound = 4051, kBeep = 4054, kVoice = 4063, kOnce = 4062, kRepeat = 4064;
constexpr int kVisual = 4166, kIconFlash = 4167, kPopupBox = 4168;
constexpr int kEmail = 4053, kEmailSet = 4049, kShortMsg = 4060, kShortMsgSet = 4050, kHelp = 1000;

// Offsets of the configuration file.
constexpr size_t kPromptMode = 0, kKeepMode = 1, kPopupStyle = 2, kStay4 = 6, kKeepLimit = 10,
                 kNextSerial = 162;

HWND Item(HWND dialog, int id) {
    return GetDlgItem(dialog, id);
}
bool Checked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}
bool Enabled(HWND dialog, int id) {
    return IsWindowEnabled(Item(dialog, id)) != FALSE;
}
std::string Text(HWND dialog, int id) {
    return WindowText(Item(dialog, id));
}
void Click(HWND dialog, int id) {
    SendMessageA(Item(dialog, id), BM_CLICK, 0, 0);
}
void Type(HWND dialog, int id, const char* text) {
    SetDlgItemTextA(dialog, id, text);
}
// A key pressed in an edit (the spinners take the arrow keys of their edit).
void Key(HWND dialog, int id, UINT vk) {
    SendMessageA(Item(dialog, id), WM_KEYDOWN, vk, 1);
    SendMessageA(Item(dialog, id), WM_KEYUP, vk, 0xC0000001);
}
// A key as the sheet's own message loop hands it to the dialog manager, sent
// to the control that has the focus.
void DialogKey(HWND sheet, UINT msg, WPARAM key, LPARAM lp = 0) {
    MSG m{GetFocus(), msg, key, lp, 0, {}};
    PropSheet_IsDialogMessage(sheet, &m);
}
void PickSkin(HWND page, int index) {
    SendMessageA(Item(page, kSkin), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(kSkin, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Item(page, kSkin)));
}

// The pixels of a bitmap as 32-bit top-down rows, with its size in front.
std::vector<uint32_t> Pixels(HBITMAP bitmap) {
    BITMAP bm{};
    if (bitmap == nullptr || GetObjectA(bitmap, sizeof bm, &bm) == 0) return {};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = bm.bmWidth;
    info.bmiHeader.biHeight = -bm.bmHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> out(2 + static_cast<size_t>(bm.bmWidth) * static_cast<size_t>(bm.bmHeight));
    out[0] = static_cast<uint32_t>(bm.bmWidth);
    out[1] = static_cast<uint32_t>(bm.bmHeight);
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, bitmap, 0, static_cast<UINT>(bm.bmHeight), out.data() + 2, &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    return out;
}

// What the help entry point was asked to open: the DLL's lookup of HtmlHelpA
// is answered with a stand-in.
std::vector<std::string> g_helpPaths;
HWND WINAPI RecordHelp(HWND, LPCSTR path, UINT command, DWORD_PTR) {
    if (command == 1) g_helpPaths.push_back(path != nullptr ? path : "");
    return nullptr;
}
HMODULE WINAPI FakeLoadLibrary(LPCSTR) {
    return GetModuleHandleA(nullptr);
}
FARPROC WINAPI FakeGetProcAddress(HMODULE module, LPCSTR name) {
    if (reinterpret_cast<uintptr_t>(name) == 14)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&RecordHelp));
    return GetProcAddress(module, name);
}

class SettingsTest : public HostTest {
protected:
    void HookHelp() {
        g_helpPaths.clear();
        Hook("kernel32.dll", "LoadLibraryA", reinterpret_cast<void*>(&FakeLoadLibrary));
        Hook("kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(&FakeGetProcAddress));
    }
    std::string AlertIni() const { return Folder() + "AlertCentre.ini"; }
    void Alert(const char* content) {
        const AlertRecord a = MakeAlert("行情预警", content);
        ASSERT_EQ(dll->DoAlert(&a), 1);
    }
    void Trade(const char* detail) {
        const InboundMessage m = MakeTrade("成交", detail, 1700000000);
        ASSERT_EQ(dll->SendToMsgCenter(0, &m), 1);
    }
    // The preview the prompt page shows, and a bitmap of the library's resources.
    static std::vector<uint32_t> Preview(HWND page) {
        return Pixels(
            reinterpret_cast<HBITMAP>(SendMessageA(Item(page, kPreview), STM_GETIMAGE, IMAGE_BITMAP, 0)));
    }
    std::vector<uint32_t> Bitmap(int id) const {
        HBITMAP b =
            static_cast<HBITMAP>(LoadImageA(dll->Module(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0));
        std::vector<uint32_t> out = Pixels(b);
        DeleteObject(b);
        return out;
    }

    // Runs the settings command of a category; `drive` works on the open sheet
    // and closes it with Ok or Cancel (a sheet left open is cancelled).
    // Returns how many sheets opened.
    size_t RunSheet(int command, const std::function<void(HWND sheet)>& drive) {
        closed = false;
        DialogAnswerer answer([&](HWND sheet) {
            drive(sheet);
            if (!closed) Cancel(sheet);
        });
        SendMessageA(center, WM_COMMAND, static_cast<WPARAM>(command), 0);
        if (!answer.Seen().empty()) sheetCaption = answer.Seen()[0].caption;
        return answer.Seen().size();
    }
    void Ok(HWND sheet) {
        closed = true;
        PropSheet_PressButton(sheet, PSBTN_OK);
    }
    void Cancel(HWND sheet) {
        closed = true;
        PropSheet_PressButton(sheet, PSBTN_CANCEL);
    }
    // Clicks OK (the button's own command: PSM_PRESSBUTTON only posts it); a
    // message box that the sheet raises is answered with `answer`. Returns
    // the boxes seen. A sheet that raised none has closed.
    std::vector<SeenDialog> OkAnswering(HWND sheet, int answer) {
        DialogAnswerer box(DialogAnswerer::Press(answer));
        SendMessageA(sheet, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(Item(sheet, IDOK)));
        closed = box.Seen().empty();
        return box.Seen();
    }
    static HWND Page(HWND sheet) { return PropSheet_GetCurrentPageHwnd(sheet); }
    static HWND ShowPage(HWND sheet, int index) {
        PropSheet_SetCurSel(sheet, nullptr, index);
        return Page(sheet);
    }

    // Opens the alert property dialog through the export; `drive` works on it
    // and presses a button (a dialog left open is cancelled).
    int RunPropertyDialog(AlertProperty& prop, const std::function<void(HWND dialog)>& drive) {
        closed = false;
        DialogAnswerer answer([&](HWND dialog) {
            drive(dialog);
            if (!closed) PressButton(dialog, IDCANCEL);
        });
        const int r = dll->OpenAlertPropertyDlg(&prop);
        EXPECT_EQ(answer.Seen().size(), 1u);
        if (!answer.Seen().empty()) sheetCaption = answer.Seen()[0].caption;
        return r;
    }
    void PressButton(HWND dialog, int id) {
        if (id == IDOK || id == IDCANCEL) closed = true;
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(Item(dialog, id)));
    }

    // The notifier's window of the message-center window, once it has been
    // moved on screen: waits for the slide to begin, for at most about 3 s.
    HWND WaitForPopup() const {
        for (int i = 0; i < 300; ++i) {
            for (HWND h = GetWindow(GetDesktopWindow(), GW_CHILD); h != nullptr;
                 h = GetWindow(h, GW_HWNDNEXT)) {
                if (GetWindowThreadProcessId(h, nullptr) != GetCurrentThreadId()) continue;
                if (GetWindow(h, GW_OWNER) != center || ClassName(h) == "#32770") continue;
                RECT rc{};
                GetWindowRect(h, &rc);
                if (IsWindowVisible(h) && rc.right > rc.left) return h;
            }
            Pump(10);
        }
        return nullptr;
    }

    bool closed = false;
    std::string sheetCaption;
};

// ---- the category settings sheet ----

TEST_F(SettingsTest, AlertSheetShowsTheStoredSettingsOnTwoPagesWithItsOwnButtons) {
    Init();
    const std::vector<uint8_t> before = Cfg("AlertMsg.cfg");
    ASSERT_EQ(before.size(), 170u);
    ASSERT_EQ(RunSheet(kAlertSettings,
                       [&](HWND sheet) {
                           EXPECT_EQ(GetParent(sheet), center);
                           EXPECT_TRUE(IsWindowVisible(Item(sheet, IDHELP)));
                           HWND apply = Item(sheet, 0x3021);
                           EXPECT_TRUE(apply == nullptr || !IsWindowVisible(apply)) << "no Apply button";
                           EXPECT_NE(SendMessageA(sheet, WM_GETICON, ICON_BIG, 0) |
                                         SendMessageA(sheet, WM_GETICON, ICON_SMALL, 0),
                                     0);
                           HWND tabs = PropSheet_GetTabControl(sheet);
                           ASSERT_EQ(TabCtrl_GetItemCount(tabs), 2);
                           char text[64] = {};
                           TCITEMA tab{};
                           tab.mask = TCIF_TEXT;
                           tab.pszText = text;
                           tab.cchTextMax = sizeof text;
                           SendMessageA(tabs, TCM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tab));
                           EXPECT_STREQ(text, "消息提示");
                           SendMessageA(tabs, TCM_GETITEMA, 1, reinterpret_cast<LPARAM>(&tab));
                           EXPECT_STREQ(text, "报警缺省设置");

                           // A new configuration: keep by date 1 day, style one, 3 s.
                           HWND page = Page(sheet);
                           EXPECT_TRUE(Checked(page, kByDate));
                           EXPECT_FALSE(Checked(page, kByCount));
                           EXPECT_EQ(Text(page, kDays), "1");
                           EXPECT_TRUE(Enabled(page, kDays));
                           EXPECT_EQ(Text(page, kCount), "");
                           EXPECT_FALSE(Enabled(page, kCount));
                           for (int id : {kNoPrompt, kPopup}) {
                               EXPECT_FALSE(Enabled(page, id)) << id;
                               EXPECT_FALSE(Checked(page, id)) << id;
                           }
                           HWND skin = Item(page, kSkin);
                           EXPECT_EQ(SendMessageA(skin, CB_GETCOUNT, 0, 0), 3);
                           EXPECT_EQ(SendMessageA(skin, CB_GETCURSEL, 0, 0), 0);
                           EXPECT_EQ(Preview(page), Bitmap(5008)) << "preview of style one (82 x 55)";
                           EXPECT_EQ(Text(page, kStay), "3");
                           Cancel(sheet);
                       }),
              1u);
    EXPECT_EQ(sheetCaption, "报警设置");
    EXPECT_EQ(Cfg("AlertMsg.cfg"), before);
    EXPECT_FALSE(FileExists(AlertIni())) << "Cancel writes no defaults";
}

TEST_F(SettingsTest, CountModeAsksThenTrimsTheListAtOnceAndAtEachNewMessage) {
    Init();
    for (const char* c : {"一", "二", "三"})
        Alert(c);
    const std::vector<uint8_t> before = Cfg("AlertMsg.cfg");
    ASSERT_EQ(RunSheet(kAlertSettings,
                       [&](HWND sheet) {
                           HWND page = Page(sheet);
                           Key(page, kDays, VK_UP);
                           EXPECT_EQ(Text(page, kDays), "2");
                           Key(page, kDays, VK_DOWN);
                           Key(page, kDays, VK_DOWN);
                           EXPECT_EQ(Text(page, kDays), "1") << "stops at 1";
                           Type(page, kDays, "3653");
                           Key(page, kDays, VK_UP);
                           EXPECT_EQ(Text(page, kDays), "3654") << "a typed number goes on from itself";
                           Click(page, kByCount);
                           EXPECT_TRUE(Checked(page, kByCount));
                           EXPECT_FALSE(Checked(page, kByDate));
                           EXPECT_TRUE(Enabled(page, kCount));
                           EXPECT_FALSE(Enabled(page, kDays));
                           Type(page, kCount, "99999");
                           Key(page, kCount, VK_UP);
                           Key(page, kCount, VK_UP);
                           EXPECT_EQ(Text(page, kCount), "100000") << "stops at 100000";
                           Type(page, kDays, "0"); // disabled: not taken
                           Type(page, kCount, "1");
                           Type(page, kStay, "");
                           // Two of the three would go: asked, and No keeps the sheet,
                           // back on the rule also when OK came from the other page.
                           std::vector<SeenDialog> boxes = OkAnswering(sheet, IDNO);
                           ASSERT_EQ(boxes.size(), 1u);
                           EXPECT_EQ(boxes[0].caption, "报警设置");
                           EXPECT_NE(boxes[0].message.find("删除最早的2条消息"), std::string::npos)
                               << boxes[0].message;
                           EXPECT_EQ(GetFocus(), Item(page, kCount));
                           ShowPage(sheet, 1);
                           EXPECT_EQ(OkAnswering(sheet, IDNO).size(), 1u);
                           EXPECT_EQ(Page(sheet), page);
                           Pump();
                           EXPECT_EQ(GetFocus(), Item(page, kCount));
                           EXPECT_EQ(Rows(kAlertList), 3);
                           EXPECT_EQ(Cfg("AlertMsg.cfg"), before);
                           boxes = OkAnswering(sheet, IDYES);
                           EXPECT_EQ(boxes.size(), 1u);
                           closed = true;
                       }),
              1u);
    std::vector<uint8_t> after = Cfg("AlertMsg.cfg");
    ASSERT_EQ(after.size(), 170u);
    EXPECT_EQ(after[kKeepMode], 2);
    EXPECT_EQ(I32At(after, kKeepLimit), 1);
    EXPECT_EQ(I32At(after, kStay4), 0) << "an empty stay time is 0";
    EXPECT_EQ(after[kPromptMode], 1) << "the alert page carries the prompt mode through";
    EXPECT_EQ(I32At(after, kPopupStyle), 0);
    EXPECT_TRUE(std::equal(after.begin() + 14, after.begin() + kNextSerial, before.begin() + 14))
        << "only the first 14 bytes change, and the serial counter the alerts moved";
    // OK stores the defaults as read even when their page was never shown.
    EXPECT_TRUE(FileExists(AlertIni()));
    ASSERT_EQ(Rows(kAlertList), 1);
    EXPECT_EQ(Cell(kAlertList, 0, 8), "三");
    Alert("四");
    ASSERT_EQ(Rows(kAlertList), 1) << "the oldest row goes from the bottom";
    EXPECT_EQ(Cell(kAlertList, 0, 8), "四");

    // Back to by date: the days field is taken, the count field is ignored;
    // the sheet opens on the stored count. Today's message stays: no question.
    ASSERT_EQ(RunSheet(kAlertSettings,
                       [&](HWND sheet) {
                           HWND page = Page(sheet);
                           EXPECT_TRUE(Checked(page, kByCount));
                           EXPECT_EQ(Text(page, kCount), "1");
                           EXPECT_EQ(Text(page, kDays), "");
                           EXPECT_EQ(Text(page, kStay), "0");
                           Click(page, kByDate);
                           EXPECT_FALSE(Enabled(page, kCount));
                           Type(page, kCount, "0");
                           Type(page, kDays, "7");
                           Type(page, kStay, "12");
                           EXPECT_TRUE(OkAnswering(sheet, IDNO).empty());
                       }),
              1u);
    after = Cfg("AlertMsg.cfg");
    EXPECT_EQ(after[kKeepMode], 1);
    EXPECT_EQ(I32At(after, kKeepLimit), 7);
    EXPECT_EQ(I32At(after, kStay4), 12);
}

TEST_F(SettingsTest, AnEmptyZeroOrOutOfRangeLimitIsRefusedNamingTheRangeAndKeepsTheFocus) {
    Init();
    for (const char* c : {"一", "二", "三"})
        Alert(c);
    const std::vector<uint8_t> before = Cfg("AlertMsg.cfg");
    const struct {
        int radio, field;
        const char* text;
        const char* range;
    } tries[] = {
        {kByCount, kCount, "", "1到100000"},
        {kByCount, kCount, "0", "1到100000"},
        {kByCount, kCount, "99999999999", "1到100000"},
        {kByCount, kCount, "100001", "1到100000"},
        {kByDate, kDays, "0", "1到9999"},
        {kByDate, kDays, "10000", "1到9999"},
    };
    ASSERT_EQ(RunSheet(kAlertSettings,
                       [&](HWND sheet) {
                           HWND page = Page(sheet);
                           for (const auto& t : tries) {
                               SCOPED_TRACE(t.text);
                               Click(page, t.radio);
                               Type(page, t.field, t.text);
                               const std::vector<SeenDialog> boxes = OkAnswering(sheet, IDOK);
                               ASSERT_EQ(boxes.size(), 1u);
                               EXPECT_NE(boxes[0].message.find(t.range), std::string::npos)
                                   << boxes[0].message;
                               EXPECT_EQ(GetFocus(), Item(page, t.field));
                           }
                           // Nor does the sheet leave the page with it.
                           DialogAnswerer box(DialogAnswerer::Press(IDOK));
                           ShowPage(sheet, 1);
                           EXPECT_EQ(box.Seen().size(), 1u);
                           EXPECT_EQ(Page(sheet), page);
                       }),
              1u);
    EXPECT_EQ(Cfg("AlertMsg.cfg"), before);
    EXPECT_EQ(Rows(kAlertList), 3);
}

TEST_F(SettingsTest, TheRetentionChoiceIsReachedByArrowKeysAndMnemonics) {
    Init();
    ASSERT_EQ(RunSheet(kTradeSettings,
                       [&](HWND sheet) {
                           HWND page = Page(sheet);
                           HWND byDate = Item(page, kByDate), byCount = Item(page, kByCount);
                           SendMessageA(sheet, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(byDate), TRUE);
                           DialogKey(sheet, WM_KEYDOWN, VK_DOWN);
                           EXPECT_EQ(GetFocus(), byCount);
                           EXPECT_TRUE(Checked(page, kByCount));
                           EXPECT_FALSE(Checked(page, kByDate));
                           EXPECT_TRUE(Enabled(page, kCount));
                           DialogKey(sheet, WM_KEYDOWN, VK_TAB);
                           EXPECT_EQ(GetFocus(), Item(page, kCount)) << "Tab goes on to the count";
                           DialogKey(sheet, WM_KEYDOWN, VK_TAB, 0);
                           DialogKey(sheet, WM_SYSCHAR, 'd', 1 << 29);
                           EXPECT_TRUE(Checked(page, kByDate));
                           EXPECT_FALSE(Checked(page, kByCount));
                           EXPECT_TRUE(Enabled(page, kDays));
                           DialogKey(sheet, WM_SYSCHAR, 'n', 1 << 29);
                           EXPECT_TRUE(Checked(page, kByCount));
                           DialogKey(sheet, WM_KEYDOWN, VK_UP);
                           EXPECT_TRUE(Checked(page, kByDate));
                           EXPECT_EQ(GetFocus(), byDate);
                           EXPECT_NE(GetWindowLongA(byDate, GWL_STYLE) & WS_TABSTOP, 0)
                               << "the chosen one takes Tab";
                           Ok(sheet);
                       }),
              1u);
    EXPECT_EQ(Cfg("TradeMsg.cfg")[kKeepMode], 1);
}

TEST_F(SettingsTest, StyleTwoShowsItsPreviewIsStoredAndPopsUpAtItsSkinSizeOnTheNextMessage) {
    Init();
    ASSERT_EQ(RunSheet(kTradeSettings,
                       [&](HWND sheet) {
                           HWND page = Page(sheet);
                           for (int style : {2, 1}) {
                               PickSkin(page, style);
                               EXPECT_EQ(Preview(page), Bitmap(style == 1 ? 5023 : 5004))
                                   << "style " << style;
                           }
                           Ok(sheet);
                       }),
              1u);
    ASSERT_EQ(I32At(Cfg("TradeMsg.cfg"), kPopupStyle), 1);
    Trade("600000 买入 100 股");
    HWND popup = WaitForPopup();
    if (popup == nullptr) GTEST_SKIP() << "the notifier shows no window in this build";
    RECT rc{};
    GetWindowRect(popup, &rc);
    EXPECT_EQ(rc.right - rc.left, 181);
    EXPECT_EQ(rc.bottom - rc.top, 152);
}

TEST_F(SettingsTest, TradeNoPromptNeitherPopsUpNorFlashesAndUnknownStoredValuesAreKept) {
    Init();
    ASSERT_EQ(RunSheet(kTradeSettings,
                       [&](HWND sheet) {
                           HWND tabs = PropSheet_GetTabControl(sheet);
                           EXPECT_EQ(TabCtrl_GetItemCount(tabs), 1);
                           HWND page = Page(sheet);
                           EXPECT_TRUE(Enabled(page, kNoPrompt));
                           EXPECT_TRUE(Checked(page, kPopup));
                           EXPECT_FALSE(Checked(page, kNoPrompt));
                           Click(page, kNoPrompt);
                           EXPECT_TRUE(Checked(page, kNoPrompt));
                           EXPECT_FALSE(Checked(page, kPopup));
                           Ok(sheet);
                       }),
              1u);
    EXPECT_EQ(sheetCaption, "交易设置");
    EXPECT_EQ(Cfg("TradeMsg.cfg")[kPromptMode], 0);
    EXPECT_FALSE(FileExists(AlertIni())) << "the trade sheet leaves the alert defaults alone";
    Trade("委托已撤销");
    EXPECT_EQ(Rows(kTradeList), 1);
    EXPECT_FALSE(KillTimer(center, kFlashTimer)) << "no tray flash";

    // Stored, so the next start opens on it; an unknown keep mode shows as
    // count, an unknown style selects no skin and both are kept.
    Reload();
    PatchCfg("TradeMsg.cfg", kKeepMode, uint8_t{7});
    PatchCfg("TradeMsg.cfg", kPopupStyle, int32_t{9});
    PatchCfg("TradeMsg.cfg", kKeepLimit, int32_t{4});
    Init();
    ASSERT_EQ(RunSheet(kTradeSettings,
                       [&](HWND sheet) {
                           HWND page = Page(sheet);
                           EXPECT_TRUE(Checked(page, kNoPrompt));
                           EXPECT_TRUE(Checked(page, kByCount));
                           EXPECT_EQ(Text(page, kCount), "4");
                           EXPECT_EQ(SendMessageA(Item(page, kSkin), CB_GETCURSEL, 0, 0), CB_ERR);
                           EXPECT_EQ(Preview(page), Bitmap(5004)) << "the template's picture stays";
                           Click(page, kPopup);
                           Ok(sheet);
                       }),
              1u);
    const std::vector<uint8_t> after = Cfg("TradeMsg.cfg");
    EXPECT_EQ(after[kPromptMode], 1);
    EXPECT_EQ(after[kKeepMode], 2);
    EXPECT_EQ(I32At(after, kPopupStyle), 9);
    EXPECT_EQ(I32At(after, kKeepLimit), 4);
    EXPECT_EQ(I32At(after, kNextSerial), 1) << "no popup took a number";
    Trade("买入");
    EXPECT_TRUE(KillTimer(center, kFlashTimer)) << "the tray flashes";
    Unload();
    EXPECT_EQ(I32At(Cfg("TradeMsg.cfg"), kNextSerial), 3) << "the message and its popup";
}

TEST_F(SettingsTest, CancelAfterChangesLeavesFileListAndDefaults) {
    Init();
    const AlertProperty defaults = {1, 2, 1, 1, 1, 1, 0, 0, 0, 0};
    ASSERT_EQ(dll->SetAlertDefaultSet(&defaults), 1);
    for (const char* c : {"一", "二", "三"})
        Alert(c);
    const std::vector<uint8_t> cfg = Cfg("AlertMsg.cfg");
    const std::vector<uint8_t> ini = ReadFileBytes(AlertIni());
    ASSERT_EQ(RunSheet(kAlertSettings,
                       [&](HWND sheet) {
                           HWND page = Page(sheet);
                           Click(page, kByCount);
                           Type(page, kCount, "1");
                           PickSkin(page, 2);
                           Type(page, kStay, "30");
                           HWND action = ShowPage(sheet, 1);
                           Click(action, kSound);
                           Click(action, kVisual);
                           Cancel(sheet);
                       }),
              1u);
    EXPECT_EQ(Cfg("AlertMsg.cfg"), cfg);
    EXPECT_EQ(ReadFileBytes(AlertIni()), ini);
    EXPECT_EQ(Rows(kAlertList), 3);
    Unload();
    // What the window saves at unload is still the old setting.
    const std::vector<uint8_t> saved = Cfg("AlertMsg.cfg");
    EXPECT_TRUE(std::equal(saved.begin(), saved.begin() + 14, cfg.begin()));
}

TEST_F(SettingsTest, ActionPageEditsTheDefaultsAndKeepsTheBytesItDoesNotOwn) {
    Init();
    const AlertProperty defaults = {7, 2, 5, 1, 0, 1, 1, 0, 200, 255};
    ASSERT_EQ(dll->SetAlertDefaultSet(&defaults), 1);
    ASSERT_EQ(RunSheet(kAlertSettings,
                       [&](HWND sheet) {
                           HWND page = ShowPage(sheet, 1);
                           EXPECT_EQ(Text(page, kVoice), "声音报警(根据系统设置中所设声音报警)");
                           // The page shares the property dialog's rules, tested there.
                           EXPECT_TRUE(Checked(page, kBeep));
                           EXPECT_TRUE(Checked(page, kPopupBox));
                           EXPECT_TRUE(Checked(page, kEmail));
                           Click(page, kVoice);
                           Click(page, kRepeat);
                           Click(page, kIconFlash);
                           Click(page, kVisual);
                           Ok(sheet);
                       }),
              1u);
    AlertProperty stored{};
    ASSERT_EQ(dll->GetAlertDefaultSet(&stored), 1);
    // Voice repeated; visual off keeps IconFlash and Popup as they were.
    const AlertProperty want = {7, 1, 0, 0, 0, 1, 1, 0, 200, 255};
    EXPECT_EQ(std::memcmp(&stored, &want, sizeof want), 0);
}

TEST_F(SettingsTest, HelpOpensTheTopicsOfTheSheetAndOfTheDialog) {
    Init();
    HookHelp();
    ASSERT_EQ(RunSheet(kAlertSettings,
                       [&](HWND sheet) {
                           PressButton(sheet, IDHELP);
                           EXPECT_TRUE(IsWindowVisible(sheet));
                           Cancel(sheet);
                       }),
              1u);
    AlertProperty p{};
    EXPECT_EQ(RunPropertyDialog(p, [&](HWND dialog) { PressButton(dialog, kHelp); }), 0);
    ASSERT_EQ(g_helpPaths.size(), 2u);
    const std::string sheetTopic = "::/xx_相关操作说明.htm";
    const std::string dialogTopic = "::/xx_报警设置.htm";
    EXPECT_EQ(g_helpPaths[0].substr(g_helpPaths[0].size() - sheetTopic.size()), sheetTopic);
    EXPECT_EQ(g_helpPaths[1].substr(g_helpPaths[1].size() - dialogTopic.size()), dialogTopic);
}

// ---- the alert property dialog (no Nuntio_Init) ----

struct DialogCase {
    const char* name;
    AlertProperty in;
    std::function<void(HWND)> drive;
    AlertProperty out;
};

TEST_F(SettingsTest, PropertyDialogRoundTripsSoundVisualAndTheFixedFlags) {
    const std::vector<DialogCase> cases = {
        {"beep kept, VoiceOnce kept",
         {1, 2, 9, 1, 1, 1, 0, 0, 3, 4},
         [](HWND d) {
             EXPECT_TRUE(Checked(d, kSound));
             EXPECT_TRUE(Checked(d, kBeep));
             EXPECT_FALSE(Enabled(d, kOnce));
             EXPECT_FALSE(Enabled(d, kRepeat));
         },
         {1, 2, 9, 1, 1, 1, 0, 0, 3, 4}},
        {"voice repeated",
         {1, 1, 1, 0, 0, 0, 0, 0, 0, 0},
         [](HWND d) {
             EXPECT_TRUE(Checked(d, kVoice));
             EXPECT_TRUE(Checked(d, kOnce));
             Click(d, kRepeat);
         },
         {1, 1, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"beep to voice once",
         {1, 2, 0, 0, 0, 0, 0, 0, 0, 0},
         [](HWND d) {
             Click(d, kVoice);
             EXPECT_TRUE(Enabled(d, kOnce));
             Click(d, kOnce);
         },
         {1, 1, 1, 0, 0, 0, 0, 0, 0, 0}},
        {"sound off keeps VoiceOnce",
         {1, 1, 0, 0, 0, 0, 0, 0, 0, 0},
         [](HWND d) {
             EXPECT_TRUE(Checked(d, kRepeat));
             Click(d, kSound);
             for (int id : {kBeep, kVoice, kOnce, kRepeat})
                 EXPECT_FALSE(Enabled(d, id)) << id;
         },
         {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"sound on without a kind stays off",
         {1, 0, 1, 0, 0, 0, 0, 0, 0, 0},
         [](HWND d) {
             EXPECT_FALSE(Checked(d, kSound));
             EXPECT_FALSE(Enabled(d, kBeep));
             Click(d, kSound);
             EXPECT_TRUE(Enabled(d, kBeep));
             EXPECT_TRUE(Enabled(d, kOnce)) << "sound enables all four options";
         },
         {1, 0, 1, 0, 0, 0, 0, 0, 0, 0}},
        {"an unknown sound shows as off and is kept",
         {1, 5, 1, 0, 0, 0, 0, 0, 0, 0},
         [](HWND d) { EXPECT_FALSE(Checked(d, kSound)); },
         {1, 0, 1, 0, 0, 0, 0, 0, 0, 0}},
        {"visual off keeps flash and popup",
         {1, 0, 0, 1, 1, 1, 0, 0, 0, 0},
         [](HWND d) {
             EXPECT_TRUE(Checked(d, kIconFlash));
             EXPECT_TRUE(Checked(d, kPopupBox));
             Click(d, kPopupBox);
             Click(d, kVisual);
             EXPECT_FALSE(Enabled(d, kIconFlash));
             EXPECT_FALSE(Enabled(d, kPopupBox));
         },
         {1, 0, 0, 0, 1, 1, 0, 0, 0, 0}},
        {"visual on takes the boxes",
         {1, 0, 0, 0, 1, 1, 0, 0, 0, 0},
         [](HWND d) {
             EXPECT_FALSE(Checked(d, kIconFlash)) << "shown unchecked while visual is off";
             Click(d, kVisual);
             Click(d, kPopupBox);
         },
         {1, 0, 0, 1, 0, 1, 0, 0, 0, 0}},
        {"e-mail and short message stay and enable their buttons",
         {0, 0, 0, 0, 0, 0, 1, 1, 0xAA, 0x55},
         [](HWND d) {
             EXPECT_TRUE(Checked(d, kEmail));
             EXPECT_TRUE(Checked(d, kShortMsg));
             EXPECT_FALSE(Enabled(d, kEmail));
             EXPECT_TRUE(Enabled(d, kEmailSet));
             EXPECT_TRUE(Enabled(d, kShortMsgSet));
             Click(d, kEmailSet); // does nothing
         },
         {0, 0, 0, 0, 0, 0, 1, 1, 0xAA, 0x55}},
    };
    for (const DialogCase& c : cases) {
        SCOPED_TRACE(c.name);
        AlertProperty p = c.in;
        EXPECT_EQ(RunPropertyDialog(p,
                                    [&](HWND dialog) {
                                        c.drive(dialog);
                                        PressButton(dialog, IDOK);
                                    }),
                  1);
        EXPECT_EQ(sheetCaption, "报警");
        EXPECT_EQ(std::memcmp(&p, &c.out, sizeof p), 0)
            << int(p.AlertStaus) << ' ' << int(p.Sound) << ' ' << int(p.VoiceOnce) << ' ' << int(p.Visual)
            << ' ' << int(p.IconFlash) << ' ' << int(p.Popup) << ' ' << int(p.Email) << ' ' << int(p.ShortMsg)
            << ' ' << int(p.Reserved1) << ' ' << int(p.Reserved2);
    }
}

TEST_F(SettingsTest, PropertyDialogCancelAfterChangesLeavesTheRecord) {
    AlertProperty p = {1, 1, 1, 1, 1, 1, 0, 0, 8, 9};
    const AlertProperty before = p;
    EXPECT_EQ(RunPropertyDialog(p,
                                [&](HWND dialog) {
                                    EXPECT_EQ(Text(dialog, kVoice), "语音报警(根据系统设置中所设声音报警)");
                                    EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr);
                                    Click(dialog, kSound);
                                    Click(dialog, kVisual);
                                    PressButton(dialog, IDCANCEL);
                                }),
              0);
    EXPECT_EQ(std::memcmp(&p, &before, sizeof p), 0);
    EXPECT_FALSE(FileExists(AlertIni()));
}

} // namespace
