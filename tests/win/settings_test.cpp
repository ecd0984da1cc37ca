// The settings windows, driven as a trader drives them: the category settings
// sheet opened by the categories' commands (24997 alert, 27997 trade) with its
// prompt page and alert action page, and the alert property dialog of the
// export OpenAlertPropertyDlg. Which limits are accepted and which flags the
// alert boxes stand for are the core's rules, tested natively; here the
// controls, the keys and the boxes the sheet raises, and what OK and Cancel
// leave in the configuration file, AlertCentre.ini, the list and the popup.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <set>
#include <string>
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
constexpr int kEmailSet = 4049, kShortMsgSet = 4050, kHelp = 1000;

// Offsets of the configuration file.
constexpr size_t kPromptMode = 0, kKeepMode = 1, kPopupStyle = 2, kKeepLimit = 10, kNextSerial = 162;

// What a configuration file holds of the prompt page: prompt mode, keep mode
// and limit, popup style and stay seconds.
std::vector<int32_t> PromptPage(const std::vector<uint8_t>& cfg) {
    return {cfg.at(kPromptMode), cfg.at(kKeepMode), I32At(cfg, kKeepLimit), I32At(cfg, kPopupStyle),
            I32At(cfg, 6)};
}

// A key as the sheet's own message loop hands it to the dialog manager, sent
// to the control that has the focus.
void DialogKey(HWND sheet, UINT msg, WPARAM key, LPARAM lp = 0) {
    MSG m{GetFocus(), msg, key, lp, 0, {}};
    PropSheet_IsDialogMessage(sheet, &m);
}
void PickSkin(HWND page, int index) {
    SendMessageA(GetDlgItem(page, kSkin), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(kSkin, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(page, kSkin)));
}

// The bits of a bitmap, after its size.
std::vector<uint8_t> Pixels(HBITMAP bitmap) {
    BITMAP bm{};
    if (bitmap == nullptr || GetObjectA(bitmap, sizeof bm, &bm) == 0) return {};
    std::vector<uint8_t> out(4 + static_cast<size_t>(bm.bmWidthBytes) * static_cast<size_t>(bm.bmHeight));
    std::memcpy(out.data(), &bm.bmWidth, 2);
    std::memcpy(out.data() + 2, &bm.bmHeight, 2);
    GetBitmapBits(bitmap, static_cast<LONG>(out.size() - 4), out.data() + 4);
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

std::string Bytes(const AlertProperty& p) {
    std::string out;
    for (size_t i = 0; i < sizeof p; ++i)
        out += std::to_string(reinterpret_cast<const uint8_t*>(&p)[i]) + ' ';
    return out;
}

class SettingsTest : public HostTest {
protected:
    void HookHelp() {
        g_helpPaths.clear();
        Hook("kernel32.dll", "LoadLibraryA", reinterpret_cast<void*>(&FakeLoadLibrary));
        Hook("kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(&FakeGetProcAddress));
    }
    std::string AlertIni() const { return Folder() + "AlertCentre.ini"; }
    // The preview the prompt page shows, and a bitmap of the library's resources.
    static std::vector<uint8_t> Preview(HWND page) {
        return Pixels(reinterpret_cast<HBITMAP>(
            SendMessageA(GetDlgItem(page, kPreview), STM_GETIMAGE, IMAGE_BITMAP, 0)));
    }
    std::vector<uint8_t> Bitmap(int id) const {
        HBITMAP b =
            static_cast<HBITMAP>(LoadImageA(dll->Module(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0));
        std::vector<uint8_t> out = Pixels(b);
        DeleteObject(b);
        return out;
    }

    // Opens a window with `open`; `drive` works on it and presses OK or
    // Cancel (a window left open is cancelled).
    void Run(const std::function<void()>& open, const std::function<void(HWND window)>& drive) {
        closed = false;
        DialogAnswerer answer([&](HWND window) {
            drive(window);
            if (!closed) PressButton(window, IDCANCEL);
        });
        open();
        ASSERT_EQ(answer.Seen().size(), 1u);
        caption = answer.Seen()[0].caption;
    }
    // The settings sheet of a category's command.
    void RunSheet(int command, const std::function<void(HWND sheet)>& drive) {
        Run([&] { SendMessageA(center, WM_COMMAND, static_cast<WPARAM>(command), 0); }, drive);
    }
    // The alert property dialog of the export.
    int RunPropertyDialog(AlertProperty& prop, const std::function<void(HWND dialog)>& drive) {
        int result = -1;
        Run([&] { result = dll->OpenAlertPropertyDlg(&prop); }, drive);
        return result;
    }
    // Clicks OK; a message box that the sheet raises is answered with
    // `answer`. Returns the boxes seen. A sheet that raised none has closed.
    std::vector<SeenDialog> OkAnswering(HWND sheet, int answer) {
        DialogAnswerer box(DialogAnswerer::Press(answer));
        PressButton(sheet, IDOK);
        closed = box.Seen().empty();
        return box.Seen();
    }
    static HWND Page(HWND sheet) { return PropSheet_GetCurrentPageHwnd(sheet); }
    static HWND ShowPage(HWND sheet, int index) {
        PropSheet_SetCurSel(sheet, nullptr, index);
        return Page(sheet);
    }

    // The button's own command (PSM_PRESSBUTTON only posts it).
    void PressButton(HWND dialog, int id) {
        closed = closed || id == IDOK || id == IDCANCEL;
        Press(dialog, id);
    }

    bool closed = false;
    std::string caption;
};

// ---- the category settings sheet ----

TEST_F(SettingsTest, AlertSheetShowsTheStoredSettingsHelpsAndCancelAfterChangesLeavesFilesAndList) {
    Init();
    HookHelp();
    Alerts({"一", "二", "三"});
    const std::vector<uint8_t> cfg = Cfg("AlertMsg.cfg");
    RunSheet(kAlertSettings, [&](HWND sheet) {
        // A new configuration: keep by date 1 day, style one, 3 s.
        HWND page = Page(sheet);
        EXPECT_TRUE(Checked(page, kByDate));
        EXPECT_EQ(Text(page, kDays), "1");
        EXPECT_EQ(Preview(page), Bitmap(5008)) << "preview of style one (82 x 55)";
        EXPECT_EQ(Text(page, kStay), "3");
        Click(page, kByCount);
        Type(page, kCount, "1");
        PickSkin(page, 2);
        Type(page, kStay, "30");
        ShowPage(sheet, 1);
        PressButton(sheet, IDHELP);
        EXPECT_TRUE(IsWindowVisible(sheet));
    });
    EXPECT_EQ(caption, "报警设置");
    ASSERT_EQ(g_helpPaths.size(), 1u);
    EXPECT_TRUE(g_helpPaths[0].ends_with("::/xx_相关操作说明.htm")) << g_helpPaths[0];
    EXPECT_EQ(Cfg("AlertMsg.cfg"), cfg);
    EXPECT_FALSE(FileExists(AlertIni()));
    EXPECT_EQ(Rows(kAlertList), 3);
    Unload();
    // What the window saves at unload is still the old setting.
    const std::vector<uint8_t> saved = Cfg("AlertMsg.cfg");
    EXPECT_TRUE(std::equal(saved.begin(), saved.begin() + 14, cfg.begin()));
}

// The spinners cover the whole range; a limit out of it is refused (OK and
// leaving the page) naming the range, with the focus back in the field; one
// that would drop messages asks, and No keeps the sheet and the rule. Which
// limits are taken is the core's.
TEST_F(SettingsTest, TheLimitIsRefusedOutOfRangeAndAsksBeforeDroppingMessages) {
    Init();
    Alerts({"一", "二", "三"});
    const std::vector<uint8_t> before = Cfg("AlertMsg.cfg");
    RunSheet(kAlertSettings, [&](HWND sheet) {
        HWND page = Page(sheet);
        Key(page, kDays, VK_DOWN);
        EXPECT_EQ(Text(page, kDays), "1") << "stops at 1";
        Type(page, kDays, "10000");
        std::vector<SeenDialog> boxes = OkAnswering(sheet, IDOK);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_NE(boxes[0].message.find("1到9999"), std::string::npos) << boxes[0].message;
        EXPECT_EQ(GetFocus(), GetDlgItem(page, kDays));
        {
            DialogAnswerer box(DialogAnswerer::Press(IDOK));
            ShowPage(sheet, 1);
            EXPECT_EQ(box.Seen().size(), 1u);
            EXPECT_EQ(Page(sheet), page) << "nor is the page left";
        }
        Click(page, kByCount);
        EXPECT_TRUE(Enabled(page, kCount));
        EXPECT_FALSE(Enabled(page, kDays));
        Type(page, kCount, "99999");
        Key(page, kCount, VK_UP);
        Key(page, kCount, VK_UP);
        EXPECT_EQ(Text(page, kCount), "100000") << "stops at 100000";
        Type(page, kCount, "1");
        Type(page, kStay, "");
        // Two of the three would go: asked, and No keeps the sheet, back on
        // the rule also when OK came from the other page.
        boxes = OkAnswering(sheet, IDNO);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, "报警设置");
        EXPECT_NE(boxes[0].message.find("删除最早的2条消息"), std::string::npos) << boxes[0].message;
        EXPECT_EQ(GetFocus(), GetDlgItem(page, kCount));
        ShowPage(sheet, 1);
        EXPECT_EQ(OkAnswering(sheet, IDNO).size(), 1u);
        EXPECT_EQ(Page(sheet), page);
        Pump();
        EXPECT_EQ(GetFocus(), GetDlgItem(page, kCount));
        EXPECT_EQ(Rows(kAlertList), 3);
        EXPECT_EQ(Cfg("AlertMsg.cfg"), before);
        EXPECT_EQ(OkAnswering(sheet, IDYES).size(), 1u);
        closed = true;
    });
    std::vector<uint8_t> after = Cfg("AlertMsg.cfg");
    ASSERT_EQ(after.size(), 170u);
    // The alert page carries the prompt mode through; an empty stay time is 0.
    EXPECT_EQ(PromptPage(after), (std::vector<int32_t>{1, 2, 1, 0, 0}));
    EXPECT_TRUE(std::equal(after.begin() + 14, after.begin() + kNextSerial, before.begin() + 14))
        << "only the first 14 bytes change, and the serial counter the alerts moved";
    EXPECT_TRUE(FileExists(AlertIni())) << "OK stores the defaults, also when their page was never shown";
    ASSERT_EQ(Rows(kAlertList), 1) << "the oldest rows go from the bottom";
    EXPECT_EQ(Cell(kAlertList, 0, 8), "三");

    // The next start opens on the stored count; an unknown style selects no
    // skin and is kept. Back to by date: the days field is taken, the count
    // field is ignored. Today's message stays: no question.
    Reload();
    PatchCfg("AlertMsg.cfg", kPopupStyle, int32_t{9});
    Init();
    RunSheet(kAlertSettings, [&](HWND sheet) {
        HWND page = Page(sheet);
        EXPECT_TRUE(Checked(page, kByCount));
        EXPECT_EQ(Text(page, kCount), "1");
        EXPECT_EQ(Text(page, kStay), "0");
        EXPECT_EQ(SendMessageA(GetDlgItem(page, kSkin), CB_GETCURSEL, 0, 0), CB_ERR);
        EXPECT_EQ(Preview(page), Bitmap(5004)) << "the template's picture stays";
        Click(page, kByDate);
        Type(page, kCount, "0");
        Type(page, kDays, "7");
        Type(page, kStay, "12");
        EXPECT_TRUE(OkAnswering(sheet, IDNO).empty());
    });
    EXPECT_EQ(PromptPage(Cfg("AlertMsg.cfg")), (std::vector<int32_t>{1, 1, 7, 9, 12}));
}

// The trade sheet has the prompt page alone: no prompt means neither a popup
// nor a flash; the skin chosen shows its preview and reskins the popup at
// once. The retention choice is reached by arrow keys and mnemonics.
TEST_F(SettingsTest, TradeSheetTakesThePromptModeTheSkinOfThePopupAndItsKeys) {
    Init();
    RunSheet(kTradeSettings, [&](HWND sheet) {
        EXPECT_EQ(TabCtrl_GetItemCount(PropSheet_GetTabControl(sheet)), 1);
        HWND page = Page(sheet);
        for (int style : {2, 1}) {
            PickSkin(page, style);
            EXPECT_EQ(Preview(page), Bitmap(style == 1 ? 5023 : 5004)) << "style " << style;
        }
        EXPECT_TRUE(Checked(page, kPopup));
        Click(page, kNoPrompt);
        HWND byDate = GetDlgItem(page, kByDate), byCount = GetDlgItem(page, kByCount);
        SendMessageA(sheet, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(byDate), TRUE);
        DialogKey(sheet, WM_KEYDOWN, VK_DOWN);
        EXPECT_EQ(GetFocus(), byCount);
        EXPECT_TRUE(Checked(page, kByCount));
        EXPECT_TRUE(Enabled(page, kCount));
        DialogKey(sheet, WM_KEYDOWN, VK_TAB);
        EXPECT_EQ(GetFocus(), GetDlgItem(page, kCount)) << "Tab goes on to the count";
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
        EXPECT_NE(GetWindowLongA(byDate, GWL_STYLE) & WS_TABSTOP, 0) << "the chosen one takes Tab";
        PressButton(sheet, IDOK);
    });
    EXPECT_EQ(caption, "交易设置");
    EXPECT_EQ(PromptPage(Cfg("TradeMsg.cfg")), (std::vector<int32_t>{0, 1, 1, 1, 3}));
    std::multiset<LONG> widths; // of the two popups' skins
    for (HWND popup : TopWindows("NuntioTaskbarNotifier"))
        widths.insert(RegionBox(popup).right);
    EXPECT_EQ(widths, (std::multiset<LONG>{180, 196})) << "the trade popup is 181 wide now";
    EXPECT_FALSE(FileExists(AlertIni())) << "the trade sheet leaves the alert defaults alone";
    Trade("委托已撤销");
    EXPECT_EQ(Rows(kTradeList), 1);
    EXPECT_FALSE(KillTimer(center, kFlashTimer)) << "no tray flash";

    // Stored, so the next start opens on it; an unknown keep mode shows as
    // count and is kept.
    Reload();
    PatchCfg("TradeMsg.cfg", kKeepMode, uint8_t{7});
    PatchCfg("TradeMsg.cfg", kKeepLimit, int32_t{4});
    Init();
    RunSheet(kTradeSettings, [&](HWND sheet) {
        HWND page = Page(sheet);
        EXPECT_TRUE(Checked(page, kNoPrompt));
        EXPECT_TRUE(Checked(page, kByCount));
        EXPECT_EQ(Text(page, kCount), "4");
        Click(page, kPopup);
        PressButton(sheet, IDOK);
    });
    const std::vector<uint8_t> after = Cfg("TradeMsg.cfg");
    EXPECT_EQ(PromptPage(after), (std::vector<int32_t>{1, 2, 4, 1, 3}));
    EXPECT_EQ(I32At(after, kNextSerial), 1) << "no popup took a number";
    Trade("600000 买入 100 股");
    EXPECT_TRUE(KillTimer(center, kFlashTimer)) << "the tray flashes";
    Unload();
    EXPECT_EQ(I32At(Cfg("TradeMsg.cfg"), kNextSerial), 3) << "the message and its popup";
}

// ---- the alert property dialog (no Nuntio_Init) ----

// Each enabling rule runs at its control's click (and the sound's and the
// kind's when the dialog opens); OK takes the clicks, Cancel leaves the record.
TEST_F(SettingsTest, PropertyDialogEnablesByItsRulesOkTakesTheClicksAndCancelNot) {
    AlertProperty p = {1, 2, 9, 1, 1, 1, 1, 1, 3, 4};
    EXPECT_EQ(RunPropertyDialog(p,
                                [&](HWND d) {
                                    EXPECT_FALSE(Enabled(d, kOnce)) << "a beep plays once";
                                    EXPECT_TRUE(Enabled(d, kEmailSet));
                                    EXPECT_TRUE(Enabled(d, kShortMsgSet));
                                    Click(d, kSound);
                                    for (int id : {kBeep, kVoice, kOnce, kRepeat})
                                        EXPECT_FALSE(Enabled(d, id)) << id;
                                    Click(d, kSound);
                                    for (int id : {kBeep, kVoice, kOnce, kRepeat})
                                        EXPECT_TRUE(Enabled(d, id)) << id;
                                    Click(d, kBeep);
                                    EXPECT_FALSE(Enabled(d, kRepeat));
                                    Click(d, kVoice);
                                    EXPECT_TRUE(Enabled(d, kRepeat));
                                    Click(d, kOnce);
                                    Click(d, kVisual);
                                    EXPECT_FALSE(Enabled(d, kIconFlash));
                                    EXPECT_FALSE(Enabled(d, kPopupBox));
                                    Click(d, kVisual);
                                    EXPECT_TRUE(Enabled(d, kPopupBox));
                                    Click(d, kPopupBox);
                                    Click(d, kEmailSet); // does nothing
                                    PressButton(d, IDOK);
                                }),
              1);
    EXPECT_EQ(caption, "报警");
    EXPECT_EQ(Bytes(p), Bytes({1, 1, 1, 1, 1, 0, 1, 1, 3, 4}));

    // Help, and Cancel after changes leaves the record.
    HookHelp();
    p = {1, 1, 1, 1, 1, 1, 0, 0, 8, 9};
    const AlertProperty before = p;
    EXPECT_EQ(RunPropertyDialog(p,
                                [&](HWND dialog) {
                                    EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr);
                                    Click(dialog, kSound);
                                    Click(dialog, kVisual);
                                    PressButton(dialog, kHelp);
                                    PressButton(dialog, IDCANCEL);
                                }),
              0);
    EXPECT_EQ(Bytes(p), Bytes(before));
    EXPECT_FALSE(FileExists(AlertIni()));
    ASSERT_EQ(g_helpPaths.size(), 1u);
    EXPECT_TRUE(g_helpPaths[0].ends_with("::/xx_报警设置.htm")) << g_helpPaths[0];
}

} // namespace
