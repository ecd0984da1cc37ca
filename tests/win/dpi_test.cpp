// The windows at the DPI of the Wine prefix the tests run in (96 in the main
// run, 144 in the scaled one: `make test` runs these tests in both) and after
// WM_DPICHANGED, which a per-monitor aware host's window gets when it is
// dragged to a monitor of another scale. At 96 every size is the one the
// windows always had; at other scales the fixed sizes follow the DPI.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/art_scale.h"
#include "nuntio_host.h"
#include "ui_driver.h"

using namespace testhost;

namespace {

int SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

int S(int px, int dpi) {
    return MulDiv(px, dpi, 96);
}

RECT ChildRect(HWND parent, HWND child) {
    RECT rc{};
    GetWindowRect(child, &rc);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

int TextHeight(HWND control, const char* text) {
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return size.cy;
}

LONG FontHeight(HWND control) {
    LOGFONTA lf{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf.lfHeight;
}

int ImageSize(HIMAGELIST images) {
    int cx = 0, cy = 0;
    ImageList_GetIconSize(images, &cx, &cy);
    return cx == cy ? cx : -1;
}

// This thread's top-level windows of class cls (any with null), or with that text.
std::vector<HWND> OurWindows(const char* cls, const char* text = nullptr) {
    std::vector<HWND> found;
    for (HWND h = GetWindow(GetDesktopWindow(), GW_CHILD); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) {
        char c[64] = {}, t[64] = {};
        GetClassNameA(h, c, sizeof c);
        GetWindowTextA(h, t, sizeof t);
        if (GetWindowThreadProcessId(h, nullptr) == GetCurrentThreadId() &&
            (cls == nullptr || std::string(c) == cls) && (text == nullptr || std::string(t) == text))
            found.push_back(h);
    }
    return found;
}

// The children of parent of class cls, in z-order.
std::vector<HWND> ChildrenOf(HWND parent, const char* cls) {
    std::vector<HWND> found;
    for (HWND c = GetWindow(parent, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        char name[32] = {};
        GetClassNameA(c, name, sizeof name);
        if (lstrcmpiA(name, cls) == 0) found.push_back(c);
    }
    return found;
}

class DpiTest : public HostTest {
protected:
    HWND Tabs() const { return GetDlgItem(center, 5000); }
    HWND Status() const { return FindWindowExA(center, nullptr, STATUSCLASSNAMEA, nullptr); }

    // What the center's layout must hold at dpi: the tab strip as high as
    // its scaled 26 pixels and its captions need, right above the status bar
    // (whatever height the bar took), the list above the tabs; fonts, icons
    // and column widths scaled.
    void ExpectLaidOutFor(int dpi) {
        SCOPED_TRACE("at " + std::to_string(dpi) + " DPI");
        RECT client{};
        GetClientRect(center, &client);
        const RECT tabs = ChildRect(center, Tabs());
        const RECT status = ChildRect(center, Status());
        EXPECT_EQ(tabs.bottom - tabs.top, S(26, dpi));
        EXPECT_GE(tabs.bottom - tabs.top, TextHeight(Tabs(), "报警") + 6) << "the captions fit";
        EXPECT_EQ(status.bottom, client.bottom);
        EXPECT_EQ(tabs.bottom, status.top) << "the tabs neither overlap the status bar nor leave a gap";
        if (dpi == 96) {
            EXPECT_EQ(status.bottom - status.top, 20);
        }
        const RECT list = ChildRect(center, List(kAlertList));
        EXPECT_EQ(list.bottom, tabs.top);
        EXPECT_EQ(FontHeight(List(kAlertList)), S(-12, dpi)) << "the stored -12 drawn at this DPI";
        EXPECT_EQ(ListView_GetColumnWidth(List(kAlertList), 0), S(24, dpi)) << "the icon column";
        // The pictures drawn for the nearest scale, not stretched.
        const int art = 16 * nuntio::NearestArtScale(dpi) / 100;
        EXPECT_EQ(ImageSize(ListView_GetImageList(List(kAlertList), LVSIL_SMALL)), art);
        EXPECT_EQ(ImageSize(TabCtrl_GetImageList(Tabs())), art);
        HWND toolbar = FindChild(center, TOOLBARCLASSNAMEA, 4001);
        EXPECT_EQ(ImageSize(reinterpret_cast<HIMAGELIST>(SendMessageA(toolbar, TB_GETIMAGELIST, 0, 0))), art)
            << "the toolbar's strip";
        const LRESULT button = SendMessageA(toolbar, TB_GETBUTTONSIZE, 0, 0);
        EXPECT_EQ(LOWORD(button), art + 7);
        EXPECT_EQ(HIWORD(button), art + 6);
    }
};

TEST_F(DpiTest, TheCenterLaysOutForTheSystemDpiAndFollowsADpiChange) {
    ASSERT_NE(Init(), nullptr);
    ASSERT_EQ(dll->ToggleMsgCenter(), 1);
    const int dpi = SystemDpi();
    ExpectLaidOutFor(dpi);

    // Dragged to a monitor at one and a half times the scale: the window
    // takes the place it is given and everything inside follows.
    RECT before{};
    GetWindowRect(center, &before);
    const int dpi2 = dpi * 3 / 2;
    RECT suggested{20, 10, 20 + 700, 10 + 560};
    SendMessageA(center, WM_DPICHANGED, MAKEWPARAM(dpi2, dpi2), reinterpret_cast<LPARAM>(&suggested));
    RECT after{};
    GetWindowRect(center, &after);
    EXPECT_TRUE(EqualRect(&after, &suggested));
    ExpectLaidOutFor(dpi2);

    // A width the trader drags there is kept at 96 DPI in the configuration;
    // back on the first monitor everything is as it was.
    ListView_SetColumnWidth(List(kAlertList), 1, S(150, dpi2));
    SendMessageA(center, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&before));
    ExpectLaidOutFor(dpi);
    EXPECT_EQ(ListView_GetColumnWidth(List(kAlertList), 1), S(150, dpi));
    Unload();
    const std::vector<uint8_t> cfg = Cfg("AlertMsg.cfg");
    ASSERT_EQ(cfg.size(), 170u);
    EXPECT_EQ(I32At(cfg, 126), 150) << "the second column's width, at 96 DPI";
}

// The find window lays out its controls in pixels: they scale, and follow a
// change of DPI with the results' columns and the font of every control.
TEST_F(DpiTest, TheFindWindowLaysOutForItsDpiAndFollowsADpiChange) {
    ASSERT_NE(Init(), nullptr);
    ASSERT_EQ(dll->ToggleMsgCenter(), 1);
    SendMessageA(center, WM_COMMAND, 32805, 0);
    const std::vector<HWND> finds = OurWindows(nullptr, "查找");
    ASSERT_EQ(finds.size(), 1u);
    HWND find = finds[0];
    HWND search = GetDlgItem(find, 5031);
    HWND results = GetDlgItem(find, 5032);
    auto expect = [&](int dpi) {
        SCOPED_TRACE("at " + std::to_string(dpi) + " DPI");
        const RECT button = ChildRect(find, search);
        EXPECT_EQ(button.right - button.left, S(78, dpi));
        EXPECT_EQ(button.bottom - button.top, S(21, dpi));
    };
    const int dpi = SystemDpi();
    expect(dpi);
    EXPECT_EQ(ListView_GetColumnWidth(results, 1), S(130, dpi)) << "the alert list's second column";
    const LONG font = FontHeight(search);

    const int dpi2 = dpi * 3 / 2;
    RECT suggested{30, 20, 30 + 600, 20 + 450};
    SendMessageA(find, WM_DPICHANGED, MAKEWPARAM(dpi2, dpi2), reinterpret_cast<LPARAM>(&suggested));
    RECT after{};
    GetWindowRect(find, &after);
    EXPECT_TRUE(EqualRect(&after, &suggested));
    const RECT button = ChildRect(find, search);
    EXPECT_EQ(button.right - button.left, S(78, dpi2));
    EXPECT_EQ(FontHeight(search), MulDiv(font, 3, 2)) << "the controls' font at the new DPI";
    EXPECT_EQ(ListView_GetColumnWidth(results, 1), S(130, dpi2)) << "the results' columns";
}

// Every dialog and property sheet at the system's DPI: its font made for it
// (the templates' 9 points) and its buttons' captions fit. Each follows a
// change of DPI by itself: it takes the suggested place, every control grows
// by the ratio and gets its font again at the new size, the pages' too.
TEST_F(DpiTest, EveryDialogFitsItsDpiAndFollowsADpiChange) {
    ASSERT_NE(Init(), nullptr);
    ASSERT_EQ(dll->ToggleMsgCenter(), 1);
    const struct {
        const char* name;
        WPARAM command; // 0: the export OpenAlertPropertyDlg
    } dialogs[] = {{"the column dialog", 24996},
                   {"the font and colour sheet", 24995},
                   {"the alert settings sheet", 24997},
                   {"the trade settings sheet", 27997},
                   {"the alert property dialog", 0}};
    for (const auto& d : dialogs) {
        SCOPED_TRACE(d.name);
        bool checked = false;
        DialogAnswerer answer([&](HWND dialog) {
            const int dpi = SystemDpi(), dpi2 = dpi * 2;
            std::vector<HWND> buttons;
            for (HWND c : ChildrenOf(dialog, "Button"))
                if (IsWindowVisible(c)) buttons.push_back(c);
            ASSERT_FALSE(buttons.empty()) << "OK and Cancel at least";
            HWND control = buttons[0];
            EXPECT_EQ(FontHeight(control), S(-12, dpi));
            for (HWND b : buttons) {
                char text[64] = {};
                GetWindowTextA(b, text, sizeof text);
                RECT rc{};
                GetClientRect(b, &rc);
                SIZE extent{};
                HDC dc = GetDC(b);
                HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(b, WM_GETFONT, 0, 0)));
                GetTextExtentPoint32A(dc, text, lstrlenA(text), &extent);
                SelectObject(dc, old);
                ReleaseDC(b, dc);
                EXPECT_LE(extent.cx, rc.right) << text;
                EXPECT_LE(extent.cy, rc.bottom) << text;
            }

            const RECT before = ChildRect(dialog, control);
            const LONG font = FontHeight(control);
            RECT suggested{10, 10, 700, 600};
            SendMessageA(dialog, WM_DPICHANGED, MAKEWPARAM(dpi2, dpi2), reinterpret_cast<LPARAM>(&suggested));
            RECT rc{};
            GetWindowRect(dialog, &rc);
            EXPECT_TRUE(EqualRect(&rc, &suggested));
            const RECT after = ChildRect(dialog, control);
            EXPECT_EQ(after.left, before.left * 2);
            EXPECT_EQ(after.right - after.left, (before.right - before.left) * 2);
            EXPECT_EQ(FontHeight(control), font * 2);
            for (HWND page : ChildrenOf(dialog, "#32770")) // a sheet's page: its controls too
                for (HWND c : ChildrenOf(page, "Button"))
                    EXPECT_EQ(FontHeight(c), font * 2);
            checked = true;
            SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        if (d.command != 0) {
            SendMessageA(center, WM_COMMAND, d.command, 0);
        } else {
            AlertProperty prop{};
            dll->GetAlertDefaultSet(&prop);
            dll->OpenAlertPropertyDlg(&prop);
        }
        EXPECT_TRUE(checked);
    }
}

// The popups take the skin drawn for the scale of the monitor with the
// taskbar: their regions are the skin's, at that size.
TEST_F(DpiTest, ThePopupsTakeTheSkinOfTheirScale) {
    ASSERT_NE(Init(), nullptr);
    const int scale = nuntio::NearestArtScale(SystemDpi());
    const std::vector<HWND> popups = OurWindows("NuntioTaskbarNotifier");
    for (HWND h : popups) {
        RECT box{};
        ASSERT_NE(GetWindowRgnBox(h, &box), ERROR);
        // Both kinds start with the first skin, 197 x 171 at 100 %, shown in
        // whole groups of four columns.
        EXPECT_EQ(box.bottom - box.top, (171 * scale + 50) / 100);
        const int width = (197 * scale + 50) / 100;
        EXPECT_EQ(box.right - box.left, width / 4 * 4);
    }
    EXPECT_EQ(popups.size(), 2u);

    // The taskbar's monitor changed scale: the skin drawn for 200 %.
    ASSERT_FALSE(popups.empty());
    const int dpi2 = SystemDpi() * 2;
    SendMessageA(popups[0], WM_DPICHANGED, MAKEWPARAM(dpi2, dpi2), 0);
    RECT box{};
    ASSERT_NE(GetWindowRgnBox(popups[0], &box), ERROR);
    EXPECT_EQ(box.bottom - box.top, 342);
    EXPECT_EQ(box.right - box.left, 392);
}

} // namespace
