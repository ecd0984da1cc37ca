// The keyboard and the screen reader. Keys are posted to the windows and
// taken from the queue by a plain loop like a host's (no IsDialogMessage, no
// TranslateAccelerator): the command keys that the menus state, Tab, Enter
// and Esc in the message center, the list's context menu from Shift+F10 and
// the Menu key, and keys for the host's own windows that must pass untouched.
// Every dialog is walked with the dialog manager's Tab order until it cycles:
// each control that takes input is reached and named. The colour wells and
// the font picker are read through the accessibility interface; the popup's
// window text and the high-contrast colours are read back from the windows.
#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "nuntio_host.h"
#include "ui_driver.h"

using namespace testhost;

namespace {

constexpr int kTabs = 5000;
constexpr WPARAM kFind = 32805;
constexpr size_t kCfgText = 14, kCfgBack = 18; // the list's colours in the .cfg
constexpr size_t kCfgFontHeight = 22;

// ---- keys as the user types them ------------------------------------------

// The modifier keys held while the posted key is taken from the queue.
struct Held {
    bool shift = false, ctrl = false, alt = false;
};

void SetModifiers(Held held) {
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_SHIFT] = state[VK_LSHIFT] = held.shift ? 0x80 : 0;
    state[VK_CONTROL] = state[VK_LCONTROL] = held.ctrl ? 0x80 : 0;
    state[VK_MENU] = state[VK_LMENU] = held.alt ? 0x80 : 0;
    SetKeyboardState(state);
}

// A menu that a key opened by mistake is closed again, so that such a
// fault fails the test instead of holding it.
void CALLBACK CloseMenus(HWND, UINT, UINT_PTR, DWORD) {
    EndMenu();
}

// Posts a key press and release to `to` and lets the thread's loop take them.
void Press(HWND to, UINT vk, Held held = {}) {
    const UINT_PTR guard = SetTimer(nullptr, 0, 100, &CloseMenus);
    SetModifiers(held);
    const bool sys = held.alt || vk == VK_F10;
    PostMessageA(to, sys ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, 1 | (held.alt ? 1 << 29 : 0));
    PostMessageA(to, sys ? WM_SYSKEYUP : WM_KEYUP, vk, 0xC0000001 | (held.alt ? 1 << 29 : 0));
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

struct MenuCall {
    int x, y;
};
std::vector<MenuCall> g_menus;
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

std::wstring Wide(const std::string& gbk) {
    std::wstring out(gbk.size(), L'\0');
    out.resize(static_cast<size_t>(MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()),
                                                       out.data(), static_cast<int>(out.size()))));
    return out;
}

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
    BSTR text = nullptr;
    if (acc->get_accName(self, &text) == S_OK && text != nullptr) out.name = text;
    SysFreeString(text);
    text = nullptr;
    if (acc->get_accValue(self, &text) == S_OK && text != nullptr) out.value = text;
    SysFreeString(text);
    VARIANT role{};
    if (acc->get_accRole(self, &role) == S_OK && role.vt == VT_I4) out.role = role.lVal;
    acc->Release();
    return out;
}

LONG Style(HWND h) {
    return GetWindowLongA(h, GWL_STYLE);
}
bool IsGroupBox(HWND h) {
    return ClassName(h) == "Button" && (Style(h) & BS_TYPEMASK) == BS_GROUPBOX;
}
bool IsLabel(HWND h) {
    return ClassName(h) == "Static" || IsGroupBox(h);
}

// The mnemonic of a text ('&' and the letter after it), 0 when none.
char Mnemonic(const std::string& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x81) {
            ++i; // a double-byte character
        } else if (text[i] == '&') {
            if (text[i + 1] == '&') {
                ++i;
                continue;
            }
            return static_cast<char>(std::toupper(static_cast<unsigned char>(text[i + 1])));
        }
    }
    return 0;
}

// A control the user can put the keyboard on: not a label, a frame, a
// spinner (its edit takes the arrows), a bar, or a box of other controls.
bool TakesInput(HWND h) {
    const std::string cls = ClassName(h);
    if (IsLabel(h) || cls == "msctls_updown32" || cls == "msctls_statusbar32" || cls == "SysHeader32" ||
        cls == "ToolbarWindow32")
        return false;
    if (ClassName(GetParent(h)) == "ComboBox") return false; // the combo's own parts
    if ((GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) != 0 && GetWindow(h, GW_CHILD) != nullptr)
        return false;
    return true;
}

bool Usable(HWND h, HWND root) {
    for (HWND w = h; w != nullptr && w != root; w = GetParent(w))
        if (!IsWindowVisible(w) || !IsWindowEnabled(w)) return false;
    return true;
}

std::string Describe(HWND h) {
    std::ostringstream os;
    os << ClassName(h) << " " << GetDlgCtrlID(h) << " \"" << WindowText(h) << "\"";
    return os.str();
}

// The name a user hears for a control, and how the keyboard gets there: its
// own mnemonic; or the label just before it, whose mnemonic leads to it; or
// for a tab strip its page's tab; or the accessibility name. Empty: none.
std::string NameOf(HWND h, HWND root) {
    const std::string cls = ClassName(h);
    if (cls == "Button") return Mnemonic(WindowText(h)) != 0 ? WindowText(h) : "";
    if (cls == "SysTabControl32") {
        char text[64] = {};
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        TabCtrl_GetItem(h, TabCtrl_GetCurSel(h), &item);
        return text;
    }
    HWND label = GetWindow(h, GW_HWNDPREV);
    if (label != nullptr && IsLabel(label) && Mnemonic(WindowText(label)) != 0 &&
        GetNextDlgTabItem(root, label, FALSE) == h)
        return WindowText(label);
    const Accessible acc = Read(h);
    if (acc.hr == S_OK && !acc.name.empty()) return "(accessible name)";
    return "";
}

void Descendants(HWND parent, std::vector<HWND>& out) {
    for (HWND c = GetWindow(parent, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        out.push_back(c);
        Descendants(c, out);
    }
}

// Walks `root` from its first tab stop with Tab until the walk comes back,
// and checks that it reached every usable control, that each has a name, and
// that no two visible texts share a mnemonic. `what` names the window.
void WalkAndName(HWND root, const std::string& what) {
    SCOPED_TRACE(what);
    std::vector<HWND> walk;
    HWND first = GetNextDlgTabItem(root, nullptr, FALSE);
    ASSERT_NE(first, nullptr);
    for (HWND h = first; walk.size() < 100;) {
        walk.push_back(h);
        h = GetNextDlgTabItem(root, h, FALSE);
        if (h == first || h == nullptr) break;
    }
    ASSERT_LT(walk.size(), 100u) << "Tab comes back to where it started";
    // Within a group the arrow keys go on from the control Tab reached.
    std::set<HWND> reached(walk.begin(), walk.end());
    for (HWND h : walk) {
        for (HWND g = GetNextDlgGroupItem(GetParent(h), h, FALSE);
             g != nullptr && g != h && reached.size() < 200; g = GetNextDlgGroupItem(GetParent(h), g, FALSE))
            reached.insert(g);
    }
    std::vector<HWND> all;
    Descendants(root, all);
    std::map<char, std::vector<std::string>> letters;
    int inputs = 0;
    for (HWND h : all) {
        if (!IsWindowVisible(h)) continue;
        const bool noPrefix = ClassName(h) == "Static" && (Style(h) & SS_NOPREFIX) != 0;
        const bool ownText = ClassName(h) == "Button" || ClassName(h) == "Static";
        if (ownText && !noPrefix) {
            if (const char m = Mnemonic(WindowText(h))) letters[m].push_back(WindowText(h));
        }
        if (!Usable(h, root) || !TakesInput(h)) continue;
        ++inputs;
        EXPECT_TRUE(reached.count(h) != 0) << Describe(h) << " is not reached by Tab";
        EXPECT_NE(NameOf(h, root), "") << Describe(h) << " has no name";
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
        g_drawn.clear();
        g_hostKeys.clear();
        g_highContrast = false;
        SetModifiers({});
    }
    void TearDown() override {
        HostTest::TearDown();
        CoUninitialize();
    }
    // The center shown, with alerts whose source is a live window.
    void ShowWithAlerts(std::initializer_list<const char*> contents) {
        Init();
        for (const char* content : contents) {
            AlertRecord a = MakeAlert("行情预警", content);
            a.hSourceWnd = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(source));
            ASSERT_EQ(dll->DoAlert(&a), 1);
        }
        ASSERT_EQ(dll->ToggleMsgCenter(), 1);
        SetFocus(List(kAlertList));
    }
    HWND FindWindowShown() const {
        for (HWND h : ThreadDialogs())
            if (WindowText(h) == "查找") return h;
        return nullptr;
    }
    static std::string MenuText(HMENU menu, UINT id) {
        char text[128] = {};
        GetMenuStringA(menu, id, text, sizeof text, MF_BYCOMMAND);
        return text;
    }
    // The list's context menu is caught on its way: where the DLL puts it.
    void CatchMenus() { Hook("user32.dll", "TrackPopupMenu", reinterpret_cast<void*>(&RecordMenu)); }
    RECT ScreenRowRect(int row) const {
        RECT rc{};
        ListView_GetItemRect(List(kAlertList), row, &rc, LVIR_BOUNDS);
        MapWindowPoints(List(kAlertList), nullptr, reinterpret_cast<POINT*>(&rc), 2);
        return rc;
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

    HWND source =
        CreateWindowExA(0, "STATIC", "source", WS_POPUP, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
};

// Each command key does what its menu item does, and the menu says so.
TEST_F(KeyboardTest, CommandKeysRunTheirMenuCommandsWhateverLoopRunsAndTheMenusStateThem) {
    ShowWithAlerts({"一", "二", "三"});
    const int32_t alertHeight = I32At(Cfg("AlertMsg.cfg"), kCfgFontHeight);
    const int32_t tradeHeight = I32At(Cfg("TradeMsg.cfg"), kCfgFontHeight);
    ASSERT_LT(alertHeight, 0);
    HMENU bar = GetMenu(center);
    EXPECT_EQ(MenuText(GetSubMenu(bar, 0), 32805), "查找...(&S)\tCtrl+F");
    EXPECT_EQ(MenuText(GetSubMenu(bar, 0), 24993), "删除(&D)\tDel");

    // Ctrl+F opens the find window.
    Press(List(kAlertList), 'F', {.ctrl = true});
    HWND find = FindWindowShown();
    ASSERT_NE(find, nullptr) << "Ctrl+F opens the find window";
    SendMessageA(find, WM_COMMAND, IDCANCEL, 0);
    SetFocus(List(kAlertList));

    // Ctrl+Plus and Ctrl+Minus (main keys and number pad) zoom the rows.
    struct Zoom {
        UINT vk;
        int step;
    };
    for (const Zoom z : {Zoom{VK_OEM_PLUS, -1}, Zoom{VK_ADD, -1}, Zoom{VK_OEM_MINUS, 1}, Zoom{VK_SUBTRACT, 1},
                         Zoom{VK_OEM_PLUS, -1}})
        Press(List(kAlertList), z.vk, {.ctrl = true});
    // Plus without Ctrl is the list's own key (it widens columns): no zoom.
    Press(List(kAlertList), VK_OEM_PLUS);

    // Del deletes the selected row without a question.
    ListView_SetItemState(List(kAlertList), -1, 0, LVIS_SELECTED);
    ListView_SetItemState(List(kAlertList), 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    Press(List(kAlertList), VK_DELETE);
    ASSERT_EQ(Rows(kAlertList), 2);
    EXPECT_EQ(Cell(kAlertList, 0, 8), "三");
    EXPECT_EQ(Cell(kAlertList, 1, 8), "一");

    HMENU popup = GetSubMenu(LoadMenuA(dll->Module(), MAKEINTRESOURCEA(21001)), 0);
    EXPECT_EQ(MenuText(popup, 24998), "字体放大\tCtrl+加号");
    EXPECT_EQ(MenuText(popup, 24999), "字体缩小\tCtrl+减号");
    EXPECT_EQ(MenuText(popup, 24993), "删除(&D)\tDel");

    // The trade tab (a trade message makes it current) answers with its own.
    const InboundMessage t = MakeTrade("成交", "买入", 1700000000);
    ASSERT_EQ(dll->SendToMsgCenter(0, &t), 1);
    SetFocus(List(kTradeList));
    Press(List(kTradeList), VK_ADD, {.ctrl = true});
    Unload();
    EXPECT_EQ(I32At(Cfg("AlertMsg.cfg"), kCfgFontHeight), alertHeight - 1) << "three steps larger, two back";
    EXPECT_EQ(I32At(Cfg("TradeMsg.cfg"), kCfgFontHeight), tradeHeight - 1);
}

// Tab, Enter and Esc in the message center; the host's windows keep theirs.
TEST_F(KeyboardTest, TabEnterAndEscWorkInTheCenterAndTheHostsWindowsKeepTheirKeys) {
    HostWindow host;
    ShowWithAlerts({"打开"});
    HWND tabs = GetDlgItem(center, kTabs);
    Press(List(kAlertList), VK_TAB);
    EXPECT_EQ(GetFocus(), tabs) << "Tab goes on to the tab strip";
    Press(tabs, VK_TAB, {.shift = true});
    EXPECT_EQ(GetFocus(), List(kAlertList)) << "Shift+Tab comes back";

    ListView_SetItemState(List(kAlertList), 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    Press(List(kAlertList), VK_RETURN);
    ASSERT_EQ(HostWindow::requests.size(), 1u) << "Enter opens the alert";
    EXPECT_EQ(HostWindow::requests[0].msg, 0x0839u);
    EXPECT_EQ(Icon(kAlertList, 0), 1);
    EXPECT_TRUE(IsWindowVisible(center));

    // The host's edit gets every key, the center none.
    HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, host.hwnd, nullptr,
                                nullptr, nullptr);
    g_editProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingEdit)));
    const int rows = Rows(kAlertList);
    ListView_SetItemState(List(kAlertList), 0, LVIS_SELECTED, LVIS_SELECTED);
    for (UINT vk : {static_cast<UINT>('F'), static_cast<UINT>(VK_DELETE), static_cast<UINT>(VK_ESCAPE),
                    static_cast<UINT>(VK_TAB), static_cast<UINT>(VK_RETURN), static_cast<UINT>(VK_APPS)})
        Press(edit, vk, {.ctrl = vk == 'F'});
    EXPECT_EQ(g_hostKeys, (std::vector<WPARAM>{'F', VK_DELETE, VK_ESCAPE, VK_TAB, VK_RETURN, VK_APPS}));
    EXPECT_EQ(FindWindowShown(), nullptr);
    EXPECT_EQ(Rows(kAlertList), rows);
    EXPECT_TRUE(IsWindowVisible(center));

    // Esc hides the center like its close box.
    Press(List(kAlertList), VK_ESCAPE);
    EXPECT_FALSE(IsWindowVisible(center));
    DestroyWindow(edit);
}

// Shift+F10 and the Menu key open the list's menu once, at the focused row
// (at the top left of the rows when no row has the focus).
TEST_F(KeyboardTest, ShiftF10AndTheMenuKeyOpenTheListsMenuAtTheFocusedRow) {
    ShowWithAlerts({"一", "二", "三"});
    CatchMenus();
    HWND list = List(kAlertList);
    ListView_SetItemState(list, 1, LVIS_FOCUSED, LVIS_FOCUSED);
    Press(list, VK_F10, {.shift = true});
    ASSERT_EQ(g_menus.size(), 1u) << "Shift+F10";
    const RECT row = ScreenRowRect(1);
    EXPECT_TRUE(PtInRect(&row, POINT{g_menus[0].x, g_menus[0].y}))
        << g_menus[0].x << "," << g_menus[0].y << " not in row 1";

    ListView_SetItemState(list, 2, LVIS_FOCUSED, LVIS_FOCUSED);
    Press(list, VK_APPS);
    ASSERT_EQ(g_menus.size(), 2u) << "the Menu key, once";
    const RECT row2 = ScreenRowRect(2);
    EXPECT_TRUE(PtInRect(&row2, POINT{g_menus[1].x, g_menus[1].y}));

    // No focused row: the top left of the rows, under the header.
    ListView_SetItemState(list, -1, 0, LVIS_FOCUSED);
    Press(list, VK_APPS);
    ASSERT_EQ(g_menus.size(), 3u);
    RECT header{};
    GetWindowRect(ListView_GetHeader(list), &header);
    POINT corner{0, header.bottom - header.top};
    ClientToScreen(list, &corner);
    EXPECT_EQ(g_menus[2].x, corner.x);
    EXPECT_EQ(g_menus[2].y, corner.y);

    // The mouse's own WM_CONTEXTMENU puts it where the mouse is.
    SendMessageA(center, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(123, 234));
    ASSERT_EQ(g_menus.size(), 4u);
    EXPECT_EQ(g_menus[3].x, 123);
    EXPECT_EQ(g_menus[3].y, 234);
}

// Every dialog: Tab reaches every control and each has a name and a key.
TEST_F(KeyboardTest, TabWalksEveryDialogToEveryControlAndEachHasANameAndAUniqueKey) {
    ShowWithAlerts({"一"});
    // The find window, modeless.
    SendMessageA(center, WM_COMMAND, kFind, 0);
    HWND find = FindWindowShown();
    ASSERT_NE(find, nullptr);
    SetWindowTextA(GetDlgItem(find, 5029), "一"); // the search button is enabled
    WalkAndName(find, "查找");
    SendMessageA(find, WM_COMMAND, IDCANCEL, 0);

    const auto command = [this](WPARAM id) {
        return [this, id] { SendMessageA(center, WM_COMMAND, id, 0); };
    };
    Inside(command(24996), [](HWND dialog) {
        // With an item selected in each list every button is enabled.
        SendMessageA(dialog, WM_COMMAND, 5010, 0); // remove all
        SendMessageA(dialog, WM_COMMAND, 5009, 0); // add one back by all, then
        for (int id : {5005, 5006, 5007, 5008, 5011, 5012})
            EnableWindow(GetDlgItem(dialog, id), TRUE);
        WalkAndName(dialog, "列设置");
    });
    Inside(command(24995), [](HWND sheet) { WalkAndName(sheet, "报警 - 页面设置"); });
    Inside(command(24997), [](HWND sheet) {
        WalkAndName(sheet, "报警设置: 消息提示");
        PropSheet_SetCurSel(sheet, nullptr, 1);
        HWND page = PropSheet_GetCurrentPageHwnd(sheet);
        // The e-mail and short-message boxes as a stored 1 enables them.
        for (int id : {4053, 4049, 4060, 4050})
            EnableWindow(GetDlgItem(page, id), TRUE);
        WalkAndName(sheet, "报警设置: 报警缺省设置");
    });
    Inside(command(27997), [](HWND sheet) { WalkAndName(sheet, "交易设置"); });
    AlertProperty prop = {1, 1, 1, 1, 1, 1, 1, 1, 0, 0};
    Inside([&] { dll->OpenAlertPropertyDlg(&prop); }, [](HWND dialog) { WalkAndName(dialog, "报警"); });
}

// The colour wells say what they are and which colour they hold; Enter on a
// well opens the colour dialog and leaves the sheet open; the font picker has
// a name.
TEST_F(KeyboardTest, TheColourWellsAndTheFontPickerTellAScreenReaderWhatTheyAre) {
    Init();
    Reload();
    PatchCfg("AlertMsg.cfg", kCfgText, static_cast<uint32_t>(RGB(255, 0, 0)));
    PatchCfg("AlertMsg.cfg", kCfgBack, static_cast<uint32_t>(RGB(0, 128, 255)));
    Init();
    Inside([&] { SendMessageA(center, WM_COMMAND, 24995, 0); },
           [](HWND sheet) {
               HWND page = PropSheet_GetCurrentPageHwnd(sheet);
               const Accessible fore = Read(GetDlgItem(page, 5020));
               const Accessible back = Read(GetDlgItem(page, 5021));
               ASSERT_EQ(fore.hr, S_OK);
               EXPECT_EQ(fore.name, Wide("前景"));
               EXPECT_EQ(fore.role, ROLE_SYSTEM_PUSHBUTTON);
               EXPECT_EQ(fore.value, L"RGB(255, 0, 0)");
               EXPECT_EQ(back.name, Wide("背景"));
               EXPECT_EQ(back.role, ROLE_SYSTEM_PUSHBUTTON);
               EXPECT_EQ(back.value, L"RGB(0, 128, 255)");

               HWND picker = FindWindowExA(page, nullptr, "NuntioSelectFont", nullptr);
               ASSERT_NE(picker, nullptr);
               EXPECT_EQ(Read(picker).name, Wide("字体"));

               // Enter on the focused well: the colour dialog, not OK.
               HWND well = GetDlgItem(page, 5020);
               SendMessageA(sheet, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(well), TRUE);
               ASSERT_EQ(GetFocus(), well);
               DialogAnswerer colours(DialogAnswerer::Close());
               MSG enter{well, WM_KEYDOWN, VK_RETURN, 1, 0, {}};
               if (!PropSheet_IsDialogMessage(sheet, &enter)) DispatchMessageA(&enter);
               EXPECT_EQ(colours.Seen().size(), 1u) << "the colour dialog opened";
               EXPECT_TRUE(IsWindow(sheet)) << "the sheet stays";
           });
}

// The popup's window text is its message; in high contrast the list and the
// popup's text take the system's colours, and lose them when it goes.
TEST_F(KeyboardTest, ThePopupReadsItsMessageAndHighContrastGivesSystemColours) {
    Init();
    Reload();
    PatchCfg("AlertMsg.cfg", kCfgText, static_cast<uint32_t>(RGB(255, 0, 0)));
    PatchCfg("AlertMsg.cfg", kCfgBack, static_cast<uint32_t>(RGB(255, 255, 0)));
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
    for (HWND h = nullptr; (h = FindWindowExA(nullptr, h, "NuntioTaskbarNotifier", nullptr)) != nullptr;)
        if (IsWindowVisible(h)) popup = h;
    ASSERT_NE(popup, nullptr);
    SetWindowPos(popup, nullptr, 0, 0, 197, 171, SWP_NOZORDER | SWP_NOACTIVATE);
    g_drawn.clear();
    RedrawWindow(popup, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    ASSERT_EQ(g_drawn.size(), 2u) << "title and body";
    const std::string text = WindowText(popup);
    for (const Drawn& d : g_drawn) {
        EXPECT_NE(text.find(d.text), std::string::npos) << "\"" << text << "\" lacks \"" << d.text << "\"";
        EXPECT_EQ(d.color, GetSysColor(COLOR_WINDOWTEXT)) << d.text;
    }
    EXPECT_NE(text.find("价格突破"), std::string::npos) << text;

    // High contrast off: the list has its own colours again, the popup too.
    g_highContrast = false;
    SendMessageA(center, WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(ListView_GetTextColor(list), RGB(255, 0, 0));
    EXPECT_EQ(ListView_GetBkColor(list), RGB(255, 255, 0));
    g_drawn.clear();
    RedrawWindow(popup, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    ASSERT_EQ(g_drawn.size(), 2u);
    EXPECT_EQ(g_drawn[0].color, RGB(64, 64, 225)) << "the title's own colour";
}

} // namespace
