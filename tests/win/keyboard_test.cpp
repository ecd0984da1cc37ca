// The keyboard and the screen reader. Keys are posted to the windows and
// taken from the queue by a plain loop like a host's (no IsDialogMessage, no
// TranslateAccelerator). Every dialog is walked with the dialog manager's Tab
// order until it cycles: each control that takes input is reached and named.
// The colour wells and the font picker are read through the accessibility
// interface; the popup's window text and the high-contrast colours are read
// back from the windows.
#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "nuntio_host.h"
#include "ui_driver.h"

using namespace testhost;

namespace {

constexpr size_t kCfgText = 14, kCfgBack = 18, kCfgFontHeight = 22; // in the .cfg

// ---- keys as the user types them ------------------------------------------

struct Held {
    bool shift = false, ctrl = false;
};

void SetModifiers(Held held) {
    BYTE state[256] = {};
    state[VK_SHIFT] = state[VK_LSHIFT] = held.shift ? 0x80 : 0;
    state[VK_CONTROL] = state[VK_LCONTROL] = held.ctrl ? 0x80 : 0;
    SetKeyboardState(state);
}

void CALLBACK CloseMenus(HWND, UINT, UINT_PTR, DWORD) {
    EndMenu();
}

// Posts a key press and release to `to`, the modifiers held, and lets the
// thread's loop take them. A menu that a key opened by mistake is closed
// again, so that such a fault fails the test instead of holding it.
void Press(HWND to, UINT vk, Held held = {}) {
    const UINT_PTR guard = SetTimer(nullptr, 0, 100, &CloseMenus);
    SetModifiers(held);
    const bool sys = vk == VK_F10;
    PostMessageA(to, sys ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, 1);
    PostMessageA(to, sys ? WM_SYSKEYUP : WM_KEYUP, vk, 0xC0000001);
    Pump();
    SetModifiers({});
    KillTimer(nullptr, guard);
}

// A host's own edit control that records the keys reaching it.
std::vector<WPARAM> g_hostKeys;
WNDPROC g_editProc = nullptr;
LRESULT CALLBACK RecordingEdit(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) g_hostKeys.push_back(wp);
    return CallWindowProcA(g_editProc, hwnd, msg, wp, lp);
}

// ---- what the DLL asks of the system ----------------------------------------

std::vector<POINT> g_menus; // where the context menus went up
BOOL WINAPI RecordMenu(HMENU, UINT, int x, int y, int, HWND, const RECT*) {
    g_menus.push_back({x, y});
    return TRUE;
}

bool g_highContrast = false;
void* g_spi = nullptr;
BOOL WINAPI AnswerContrast(UINT action, UINT ui, PVOID pv, UINT winIni) {
    if (action == SPI_GETHIGHCONTRAST && pv != nullptr) {
        auto* hc = static_cast<HIGHCONTRASTA*>(pv);
        hc->dwFlags = g_highContrast ? HCF_HIGHCONTRASTON | HCF_AVAILABLE : HCF_AVAILABLE;
        hc->lpszDefaultScheme = nullptr;
        return TRUE;
    }
    return reinterpret_cast<decltype(&SystemParametersInfoA)>(g_spi)(action, ui, pv, winIni);
}

struct Drawn {
    std::string text;
    COLORREF color;
};
std::vector<Drawn> g_drawn;
void* g_drawText = nullptr;
int WINAPI RecordDrawText(HDC dc, LPCSTR text, int n, LPRECT rc, UINT flags) {
    g_drawn.push_back(
        {n < 0 ? std::string(text) : std::string(text, static_cast<size_t>(n)), GetTextColor(dc)});
    return reinterpret_cast<decltype(&DrawTextA)>(g_drawText)(dc, text, n, rc, flags);
}

// ---- reading controls the way a user and a screen reader meet them ---------

struct Accessible {
    HRESULT hr = E_FAIL;
    std::wstring name, value;
    long role = 0;
};

Accessible Read(HWND hwnd) {
    Accessible out;
    IAccessible* acc = nullptr;
    out.hr = AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                        reinterpret_cast<void**>(&acc));
    if (FAILED(out.hr) || acc == nullptr) return out;
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    for (auto [get, into] :
         {std::pair{&IAccessible::get_accName, &out.name}, {&IAccessible::get_accValue, &out.value}}) {
        BSTR text = nullptr;
        if ((acc->*get)(self, &text) == S_OK && text != nullptr) *into = text;
        SysFreeString(text);
    }
    VARIANT role{};
    if (acc->get_accRole(self, &role) == S_OK && role.vt == VT_I4) out.role = role.lVal;
    acc->Release();
    return out;
}

// The mnemonic of a text: the letter after a single '&', 0 when none.
char Mnemonic(const std::string& text) {
    for (size_t i = text.find('&'); i != std::string::npos && i + 1 < text.size(); i = text.find('&', i + 2))
        if (text[i + 1] != '&')
            return static_cast<char>(std::toupper(static_cast<unsigned char>(text[i + 1])));
    return 0;
}

bool IsLabel(HWND h) {
    return ClassName(h) == "Static" ||
           (ClassName(h) == "Button" && (GetWindowLongA(h, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX);
}

// Walks `root` with Tab from its first stop until the walk comes back, and
// checks that every enabled, visible control that takes input (not a label,
// a spinner, a bar, a combo box's own part or a box of other controls) is
// reached, by Tab or by the arrows within its group, and named: by its own
// mnemonic, by the mnemonic of the label just before it that Tab passes on
// to it, by its tab (a tab strip) or by its accessible name. No two visible
// texts share a mnemonic.
void WalkAndName(HWND root, const char* what) {
    SCOPED_TRACE(what);
    std::set<HWND> walked, reached;
    for (HWND h = GetNextDlgTabItem(root, nullptr, FALSE); h != nullptr && walked.insert(h).second;
         h = GetNextDlgTabItem(root, h, FALSE))
        for (HWND g = h; g != nullptr && reached.insert(g).second;)
            g = GetNextDlgGroupItem(GetParent(h), g, FALSE);
    std::map<char, std::vector<std::string>> letters;
    int inputs = 0;
    for (HWND h : Children(root, nullptr, true)) {
        if (!IsWindowVisible(h)) continue;
        const std::string cls = ClassName(h), text = WindowText(h);
        const bool prefix =
            cls == "Button" || (cls == "Static" && (GetWindowLongA(h, GWL_STYLE) & SS_NOPREFIX) == 0);
        if (prefix && Mnemonic(text) != 0) letters[Mnemonic(text)].push_back(text);
        bool enabled = true;
        for (HWND w = h; w != root && enabled; w = GetParent(w))
            enabled = IsWindowEnabled(w) != FALSE;
        if (!enabled || IsLabel(h) || cls == "msctls_updown32" || cls == "SysHeader32" ||
            cls == "ToolbarWindow32" || cls == "msctls_statusbar32" ||
            ClassName(GetParent(h)) == "ComboBox" ||
            ((GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) != 0 &&
             GetWindow(h, GW_CHILD) != nullptr))
            continue;
        ++inputs;
        const std::string describe = cls + " " + std::to_string(GetDlgCtrlID(h)) + " \"" + text + "\"";
        EXPECT_TRUE(reached.count(h) != 0) << describe << " is not reached by Tab";
        HWND label = GetWindow(h, GW_HWNDPREV);
        const bool named = cls == "Button" ? Mnemonic(text) != 0
                           : cls == "SysTabControl32"
                               ? TabCtrl_GetItemCount(h) > 0
                               : (label != nullptr && IsLabel(label) && Mnemonic(WindowText(label)) != 0 &&
                                  GetNextDlgTabItem(root, label, FALSE) == h) ||
                                     !Read(h).name.empty();
        EXPECT_TRUE(named) << describe << " has no name";
    }
    EXPECT_GT(inputs, 2);
    for (const auto& [letter, texts] : letters) {
        std::string list;
        for (const std::string& t : texts)
            list += " \"" + t + "\"";
        EXPECT_EQ(texts.size(), 1u) << "Alt+" << letter << " is taken by" << list;
    }
}

class KeyboardTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        g_menus.clear();
        g_hostKeys.clear();
        g_highContrast = false;
    }
    void TearDown() override {
        HostTest::TearDown();
        CoUninitialize();
    }
    HWND FindWindowShown() const {
        for (HWND h : ThreadDialogs())
            if (WindowText(h) == "查找") return h;
        return nullptr;
    }
    // Runs a modal window that `open` starts; `act` works inside it, which is
    // then cancelled.
    static void Inside(const std::function<void()>& open, const std::function<void(HWND)>& act) {
        DialogAnswerer answer([&](HWND window) {
            act(window);
            SendMessageA(window, WM_COMMAND, IDCANCEL, 0);
        });
        open();
        ASSERT_EQ(answer.Seen().size(), 1u);
    }
    std::function<void()> Command(WPARAM id) {
        return [this, id] { SendMessageA(center, WM_COMMAND, id, 0); };
    }
};

// The command keys that the menus state do what their menu items do, Tab and
// Enter work in the list, Shift+F10 and the Menu key open the list's menu
// once at the focused row (at the top left of the rows when no row has the
// focus), Esc hides the center; the host's own windows keep every key.
TEST_F(KeyboardTest, TheCentersKeysWorkInAPlainLoopAndTheHostsWindowsKeepTheirs) {
    HostWindow host;
    Init();
    HWND source =
        CreateWindowExA(0, "STATIC", "source", WS_POPUP, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
    for (const char* content : {"一", "二", "三"}) {
        AlertRecord a = MakeAlert("行情预警", content);
        a.hSourceWnd = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(source));
        ASSERT_EQ(dll->DoAlert(&a), 1);
    }
    ASSERT_EQ(dll->ToggleMsgCenter(), 1);
    HWND list = List(kAlertList), tabs = GetDlgItem(center, 5000);
    SetFocus(list);
    const int32_t alertHeight = I32At(Cfg("AlertMsg.cfg"), kCfgFontHeight);
    const int32_t tradeHeight = I32At(Cfg("TradeMsg.cfg"), kCfgFontHeight);
    ASSERT_LT(alertHeight, 0);

    const auto item = [](HMENU menu, UINT id) {
        char text[128] = {};
        GetMenuStringA(menu, id, text, sizeof text, MF_BYCOMMAND);
        return std::string(text) + "|";
    };
    HMENU edit = GetSubMenu(GetMenu(center), 0);
    HMENU popup = GetSubMenu(LoadMenuA(dll->Module(), MAKEINTRESOURCEA(21001)), 0);
    EXPECT_EQ(item(edit, 32805) + item(edit, 24993), "查找...(&S)\tCtrl+F|删除(&D)\tDel|");
    EXPECT_EQ(item(popup, 24998) + item(popup, 24999) + item(popup, 24993),
              "字体放大\tCtrl+加号|字体缩小\tCtrl+减号|删除(&D)\tDel|");

    Press(list, VK_TAB);
    EXPECT_EQ(GetFocus(), tabs) << "Tab goes on to the tab strip";
    Press(tabs, VK_TAB, {.shift = true});
    EXPECT_EQ(GetFocus(), list) << "Shift+Tab comes back";

    Press(list, 'F', {.ctrl = true});
    HWND find = FindWindowShown();
    ASSERT_NE(find, nullptr) << "Ctrl+F opens the find window";
    SendMessageA(find, WM_COMMAND, IDCANCEL, 0);
    SetFocus(list);

    // Ctrl+Plus and Ctrl+Minus (main keys and number pad) zoom the rows;
    // Plus without Ctrl is the list's own key (it widens columns).
    for (UINT vk : {VK_OEM_PLUS, VK_ADD, VK_OEM_MINUS, VK_SUBTRACT, VK_OEM_PLUS})
        Press(list, vk, {.ctrl = true});
    Press(list, VK_OEM_PLUS);

    SelectOnly(list, {1});
    Press(list, VK_DELETE);
    EXPECT_EQ(Contents(), (std::vector<std::string>{"三", "一"}))
        << "Del deletes the row, without a question";

    SelectOnly(list, {0});
    Press(list, VK_RETURN);
    ASSERT_EQ(HostWindow::requests.size(), 1u) << "Enter opens the alert";
    EXPECT_EQ(HostWindow::requests[0].msg, 0x0839u);
    EXPECT_EQ(Icon(kAlertList, 0), 1);
    EXPECT_TRUE(IsWindowVisible(center));

    Hook("user32.dll", "TrackPopupMenu", reinterpret_cast<void*>(&RecordMenu));
    const auto row = [&](int index) {
        RECT rc{};
        ListView_GetItemRect(list, index, &rc, LVIR_BOUNDS);
        MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    };
    ListView_SetItemState(list, 1, LVIS_FOCUSED, LVIS_FOCUSED);
    Press(list, VK_F10, {.shift = true});
    ListView_SetItemState(list, 0, LVIS_FOCUSED, LVIS_FOCUSED);
    Press(list, VK_APPS);
    ListView_SetItemState(list, -1, 0, LVIS_FOCUSED);
    Press(list, VK_APPS);
    // The mouse's own WM_CONTEXTMENU puts it where the mouse is.
    SendMessageA(center, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(123, 234));
    ASSERT_EQ(g_menus.size(), 4u) << "one menu for each";
    const RECT row1 = row(1), row0 = row(0);
    EXPECT_TRUE(PtInRect(&row1, g_menus[0])) << "Shift+F10 at row 1";
    EXPECT_TRUE(PtInRect(&row0, g_menus[1])) << "the Menu key at row 0";
    RECT header{};
    GetWindowRect(ListView_GetHeader(list), &header);
    POINT corner{0, header.bottom - header.top};
    ClientToScreen(list, &corner);
    EXPECT_EQ(g_menus[2].x, corner.x) << "no focused row: the top left of the rows, under the header";
    EXPECT_EQ(g_menus[2].y, corner.y);
    EXPECT_EQ(g_menus[3].x, 123);
    EXPECT_EQ(g_menus[3].y, 234);

    // The host's edit gets every key, the center none.
    HWND hostEdit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, host.hwnd, nullptr,
                                    nullptr, nullptr);
    g_editProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hostEdit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingEdit)));
    SelectOnly(list, {0});
    const std::vector<WPARAM> keys = {'F', VK_DELETE, VK_ESCAPE, VK_TAB, VK_RETURN, VK_APPS};
    for (WPARAM vk : keys)
        Press(hostEdit, static_cast<UINT>(vk), {.ctrl = vk == 'F'});
    EXPECT_EQ(g_hostKeys, keys);
    EXPECT_EQ(FindWindowShown(), nullptr);
    EXPECT_EQ(Rows(kAlertList), 2);
    EXPECT_EQ(g_menus.size(), 4u);
    EXPECT_TRUE(IsWindowVisible(center));

    Press(list, VK_ESCAPE);
    EXPECT_FALSE(IsWindowVisible(center)) << "Esc hides the center like its close box";

    // The trade tab (a trade message makes it current) zooms with its own keys.
    Trade("买入");
    Press(List(kTradeList), VK_ADD, {.ctrl = true});
    Unload();
    EXPECT_EQ(I32At(Cfg("AlertMsg.cfg"), kCfgFontHeight), alertHeight - 1) << "three steps larger, two back";
    EXPECT_EQ(I32At(Cfg("TradeMsg.cfg"), kCfgFontHeight), tradeHeight - 1);
    DestroyWindow(source);
}

// Every dialog: Tab reaches every control and each has a name and a key.
TEST_F(KeyboardTest, TabWalksEveryDialogToEveryControlAndEachHasANameAndAUniqueKey) {
    Init();
    Alerts({"一"});
    ASSERT_EQ(dll->ToggleMsgCenter(), 1);
    SendMessageA(center, WM_COMMAND, 32805, 0);
    HWND find = FindWindowShown(); // modeless
    ASSERT_NE(find, nullptr);
    SetWindowTextA(GetDlgItem(find, 5029), "一"); // the search button is enabled
    WalkAndName(find, "查找");
    SendMessageA(find, WM_COMMAND, IDCANCEL, 0);

    Inside(Command(24996), [](HWND dialog) {
        // With an item selected in each list every button is enabled.
        SendMessageA(dialog, WM_COMMAND, 5010, 0); // remove all
        SendMessageA(dialog, WM_COMMAND, 5009, 0); // add one back by all, then
        for (int id : {5005, 5006, 5007, 5008, 5011, 5012})
            EnableWindow(GetDlgItem(dialog, id), TRUE);
        WalkAndName(dialog, "列设置");
    });
    Inside(Command(24995), [](HWND sheet) { WalkAndName(sheet, "报警 - 页面设置"); });
    Inside(Command(24997), [](HWND sheet) {
        WalkAndName(sheet, "报警设置: 消息提示");
        PropSheet_SetCurSel(sheet, nullptr, 1);
        HWND page = PropSheet_GetCurrentPageHwnd(sheet);
        // The e-mail and short-message boxes as a stored 1 enables them.
        for (int id : {4053, 4049, 4060, 4050})
            EnableWindow(GetDlgItem(page, id), TRUE);
        WalkAndName(sheet, "报警设置: 报警缺省设置");
    });
    Inside(Command(27997), [](HWND sheet) { WalkAndName(sheet, "交易设置"); });
    AlertProperty prop = {1, 1, 1, 1, 1, 1, 1, 1, 0, 0};
    Inside([&] { dll->OpenAlertPropertyDlg(&prop); }, [](HWND dialog) { WalkAndName(dialog, "报警"); });
}

// In high contrast the list and the popup's text take the system's colours,
// and lose them when it goes; the popup's window text is its message. The
// colour wells say what they are and which colour they hold, the font picker
// has a name, and Enter on a well opens the colour dialog and leaves the
// sheet open.
TEST_F(KeyboardTest, HighContrastGivesSystemColoursAndAScreenReaderReadsThePopupTheWellsAndThePicker) {
    Init();
    Reload();
    PatchCfg("AlertMsg.cfg", kCfgText, static_cast<uint32_t>(RGB(255, 0, 0)));
    PatchCfg("AlertMsg.cfg", kCfgBack, static_cast<uint32_t>(RGB(0, 128, 255)));
    g_highContrast = true;
    Hook("user32.dll", "SystemParametersInfoA", reinterpret_cast<void*>(&AnswerContrast), &g_spi);
    Hook("user32.dll", "DrawTextA", reinterpret_cast<void*>(&RecordDrawText), &g_drawText);
    Init();
    HWND list = List(kAlertList);
    EXPECT_EQ(ListView_GetTextColor(list), GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_EQ(ListView_GetBkColor(list), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(ListView_GetTextBkColor(list), GetSysColor(COLOR_WINDOW));

    AlertRecord a = MakeAlert("行情预警", "价格突破");
    a.prop = {1, 0, 0, 1, 0, 1, 0, 0, 0, 0}; // visual, popup
    ASSERT_EQ(dll->DoAlert(&a), 1);
    HWND popup = nullptr;
    for (HWND h : TopWindows("NuntioTaskbarNotifier"))
        if (IsWindowVisible(h)) popup = h;
    ASSERT_NE(popup, nullptr);
    SetWindowPos(popup, nullptr, 0, 0, 197, 171, SWP_NOZORDER | SWP_NOACTIVATE);
    const auto redraw = [&] {
        g_drawn.clear();
        RedrawWindow(popup, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        return g_drawn.size();
    };
    ASSERT_EQ(redraw(), 2u) << "title and body";
    const std::string text = WindowText(popup);
    for (const Drawn& d : g_drawn) {
        EXPECT_NE(text.find(d.text), std::string::npos) << "\"" << text << "\" lacks \"" << d.text << "\"";
        EXPECT_EQ(d.color, GetSysColor(COLOR_WINDOWTEXT)) << d.text;
    }
    EXPECT_NE(text.find("价格突破"), std::string::npos) << text;

    g_highContrast = false;
    SendMessageA(center, WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(ListView_GetTextColor(list), RGB(255, 0, 0));
    EXPECT_EQ(ListView_GetBkColor(list), RGB(0, 128, 255));
    ASSERT_EQ(redraw(), 2u);
    EXPECT_EQ(g_drawn[0].color, RGB(64, 64, 225)) << "the title's own colour";

    Inside(Command(24995), [](HWND sheet) {
        HWND page = PropSheet_GetCurrentPageHwnd(sheet);
        const Accessible fore = Read(GetDlgItem(page, 5020));
        const Accessible back = Read(GetDlgItem(page, 5021));
        ASSERT_EQ(fore.hr, S_OK);
        EXPECT_EQ(fore.name, L"前景");
        EXPECT_EQ(fore.role, ROLE_SYSTEM_PUSHBUTTON);
        EXPECT_EQ(fore.value, L"RGB(255, 0, 0)");
        EXPECT_EQ(back.name, L"背景");
        EXPECT_EQ(back.role, ROLE_SYSTEM_PUSHBUTTON);
        EXPECT_EQ(back.value, L"RGB(0, 128, 255)");
        EXPECT_EQ(Read(FindWindowExA(page, nullptr, "NuntioSelectFont", nullptr)).name, L"字体");

        HWND well = GetDlgItem(page, 5020);
        SendMessageA(sheet, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(well), TRUE);
        ASSERT_EQ(GetFocus(), well);
        DialogAnswerer colours(DialogAnswerer::Close());
        MSG enter{well, WM_KEYDOWN, VK_RETURN, 1, 0, {}};
        if (!PropSheet_IsDialogMessage(sheet, &enter)) DispatchMessageA(&enter);
        EXPECT_EQ(colours.Seen().size(), 1u) << "Enter on the well opens the colour dialog";
        EXPECT_TRUE(IsWindow(sheet)) << "the sheet stays";
    });
}

} // namespace
