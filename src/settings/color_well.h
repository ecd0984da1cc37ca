// A colour well: a framed swatch that shows one colour and lets the user pick
// another with the system colour dialog (click, Space or Enter on the well).
// A screen reader hears it as a button named by the label before it (or its
// window text), whose value is the colour ("RGB(255, 0, 0)").
#pragma once

#include <windows.h>

#include "win/thunk.h"

namespace nuntio {

class CHueWell : public win::WindowImpl {
public:
    // Border type with an etched frame around the swatch, the look of the
    // settings pages.
    static constexpr int kEtchedBorder = 16;

    // Creates the well as a child in `rect` (parent client coordinates). The
    // well is a tab stop; it tells the parent about a new colour with
    // WM_COMMAND (id, BN_CLICKED).
    BOOL Create(DWORD style, const RECT& rect, HWND parent, UINT id);
    void SetBorderType(int type);
    void SetRGB(COLORREF color);
    COLORREF GetRGB() const { return m_color; }

private:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void Paint(HDC dc) const;
    void Choose();

    COLORREF m_color = RGB(255, 255, 255);
    int m_border = 0;
    bool m_pressed = false;
};

} // namespace nuntio
