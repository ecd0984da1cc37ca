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

// The size of a text in a control's font.
SIZE TextSize(HWND control, const std::string& text) {
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return size;
}

int ImageSize(HIMAGELIST images) {
    int cx = 0, cy = 0;
    ImageList_GetIconSize(images, &cx, &cy);
    return cx == cy ? cx : -1;
}

class DpiTest : public HostTest {
protected:
    HWND Tabs() const { return GetDlgItem(center, 5000); }

    // What the center's layout must hold at dpi: the tab strip as high as
    // its scaled 26 pixels and its captions need, right above the status bar
    // (whatever height the bar took), the list above the tabs; fonts, icons
    // and column widths scaled.
    void ExpectLaidOutFor(int dpi) {
        SCOPED_TRACE("at " + std::to_string(dpi) + " DPI");
        RECT client{};
        GetClientRect(center, &client);
        const RECT tabs = WindowBox(Tabs(), center);
        const RECT status = WindowBox(FindWindowExA(center, nullptr, STATUSCLASSNAMEA, nullptr), center);
        EXPECT_EQ(tabs.bottom - tabs.top, S(26, dpi));
        EXPECT_GE(tabs.bottom - tabs.top, TextSize(Tabs(), "报警").cy + 6) << "the captions fit";
        EXPECT_EQ(status.bottom, client.bottom);
        EXPECT_EQ(tabs.bottom, status.top) << "the tabs neither overlap the status bar nor leave a gap";
        if (dpi == 96) {
            EXPECT_EQ(status.bottom - status.top, 20);
        }
        const RECT list = WindowBox(List(kAlertList), center);
        EXPECT_EQ(list.bottom, tabs.top);
        EXPECT_EQ(FontOf(List(kAlertList)).lfHeight, S(-12, dpi)) << "the stored -12 drawn at this DPI";
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
    RECT before = WindowBox(center), suggested{20, 10, 20 + 700, 10 + 560};
    const int dpi2 = dpi * 3 / 2;
    SendMessageA(center, WM_DPICHANGED, MAKEWPARAM(dpi2, dpi2), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(BoxText(WindowBox(center)), BoxText(suggested));
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
    HWND find = FindWindowA("#32770", "查找");
    ASSERT_NE(find, nullptr);
    HWND search = GetDlgItem(find, 5031);
    HWND results = GetDlgItem(find, 5032);
    const int dpi = SystemDpi(), dpi2 = dpi * 3 / 2;
    RECT button = WindowBox(search, find);
    EXPECT_EQ(button.right - button.left, S(78, dpi));
    EXPECT_EQ(button.bottom - button.top, S(21, dpi));
    EXPECT_EQ(ListView_GetColumnWidth(results, 1), S(130, dpi)) << "the alert list's second column";
    const LONG font = FontOf(search).lfHeight;

    RECT suggested{30, 20, 30 + 600, 20 + 450};
    SendMessageA(find, WM_DPICHANGED, MAKEWPARAM(dpi2, dpi2), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(BoxText(WindowBox(find)), BoxText(suggested));
    button = WindowBox(search, find);
    EXPECT_EQ(button.right - button.left, S(78, dpi2));
    EXPECT_EQ(FontOf(search).lfHeight, MulDiv(font, 3, 2)) << "the controls' font at the new DPI";
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
            for (HWND c : Children(dialog, "Button"))
                if (IsWindowVisible(c)) buttons.push_back(c);
            ASSERT_FALSE(buttons.empty()) << "OK and Cancel at least";
            HWND control = buttons[0];
            EXPECT_EQ(FontOf(control).lfHeight, S(-12, dpi));
            for (HWND b : buttons) {
                RECT rc{};
                GetClientRect(b, &rc);
                const SIZE extent = TextSize(b, WindowText(b));
                EXPECT_LE(extent.cx, rc.right) << WindowText(b);
                EXPECT_LE(extent.cy, rc.bottom) << WindowText(b);
            }

            const RECT before = WindowBox(control, dialog);
            const LONG font = FontOf(control).lfHeight;
            RECT suggested{10, 10, 700, 600};
            SendMessageA(dialog, WM_DPICHANGED, MAKEWPARAM(dpi2, dpi2), reinterpret_cast<LPARAM>(&suggested));
            EXPECT_EQ(BoxText(WindowBox(dialog)), BoxText(suggested));
            const RECT after = WindowBox(control, dialog);
            EXPECT_EQ(after.left, before.left * 2);
            EXPECT_EQ(after.right - after.left, (before.right - before.left) * 2);
            EXPECT_EQ(FontOf(control).lfHeight, font * 2);
            for (HWND page : Children(dialog, "#32770")) // a sheet's page: its controls too
                for (HWND c : Children(page, "Button"))
                    EXPECT_EQ(FontOf(c).lfHeight, font * 2);
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
    const std::vector<HWND> popups = TopWindows("NuntioTaskbarNotifier");
    ASSERT_EQ(popups.size(), 2u);
    for (HWND h : popups) {
        // Both kinds start with the first skin, 197 x 171 at 100 %, shown in
        // whole groups of four columns.
        const RECT box = RegionBox(h);
        EXPECT_EQ(box.bottom - box.top, (171 * scale + 50) / 100);
        EXPECT_EQ(box.right - box.left, (197 * scale + 50) / 100 / 4 * 4);
    }

    // The taskbar's monitor changed scale: the skin drawn for 200 %.
    const int dpi2 = SystemDpi() * 2;
    SendMessageA(popups[0], WM_DPICHANGED, MAKEWPARAM(dpi2, dpi2), 0);
    const RECT box = RegionBox(popups[0]);
    EXPECT_EQ(box.bottom - box.top, 342);
    EXPECT_EQ(box.right - box.left, 392);
}

} // namespace
