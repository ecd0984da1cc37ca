// A colour well: a framed swatch that shows one colour and lets the user pick
// another with the system colour dialog (click, Space or Enter on the well).
#pragma once

#include <windows.h>

#include "win/window.h"

class CHueWell {
public:
    // Border type with an etched frame around the swatch, the look of the
    // settings pages.
    static constexpr int kEtchedBorder = 16;

    CHueWell() = default;
    virtual ~CHueWell();
    CHueWell(const CHueWell&) = delete;
    CHueWell& operator=(const CHueWell&) = delete;

    // Creates the well as a child in `rect` (parent client coordinates). The
    // well is a tab stop; it tells the parent about a new colour with
    // WM_COMMAND (id, BN_CLICKED).
    BOOL Create(DWORD style, const RECT& rect, HWND parent, UINT id);
    void SetBorderType(int type);
    void SetRGB(COLORREF color);
    COLORREF GetRGB() const { return m_color; }
    HWND Handle() const { return m_hwnd; }

private:
    friend struct win::ObjectWindow<CHueWell>;
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    void Paint(HDC dc) const;
    void Choose();

    HWND m_hwnd = nullptr;
    COLORREF m_color = RGB(255, 255, 255);
    int m_border = 0;
    bool m_pressed = false;
};
