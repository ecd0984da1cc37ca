// The popup that slides out beside the taskbar when a message arrives
// ("Ostrel信使"). Each category owns one: it gives it a skin, two fonts, colours
// and a text rectangle, and asks it to show a caption. The window is a top-most
// popup owned by the message-center window and is never activated; a click on
// it hides it and, outside the close box, posts WM_POPUP_CLICKED to the owner.
#pragma once

#include <windows.h>

#include <string>

#include "core/popup_slide.h"
#include "nuntio.h"
#include "win/handles.h"
#include "win/thunk.h"

namespace nuntio {

class CTaskbarNotifier : private win::WindowImpl {
public:
    static constexpr const char* kClassName = "NuntioTaskbarNotifier";
    static constexpr int kCloseBox = 20; // the close box: this square at the top right

    CTaskbarNotifier() = default;

    // Makes the window (hidden, 0 x 0 at 0, 0), owned by `parent`, which also
    // receives WM_POPUP_CLICKED. A second call makes a new window.
    bool Create(HWND parent);
    // Loads bitmap `bitmapId` of the library as the skin; the pixels of the
    // transparent colour (each of red, green, blue in its low 8 bits) are cut
    // out of the window region. Any component given as -1 (0xFFFF in the low
    // 16 bits) means no transparent colour: the region stays as it is. False
    // when the bitmap cannot be loaded: the old skin is gone, the size, text
    // rectangle and region stay.
    bool LoadSkin(UINT bitmapId, int red, int green, int blue);
    bool LoadSkin(int bitmapId, COLORREF transparent) {
        return LoadSkin(static_cast<UINT>(bitmapId), GetRValue(transparent), GetGValue(transparent),
                        GetBValue(transparent));
    }
    // size in tenths of a point; style masks: 1 bold, 2 italic, 4 underlined.
    void SetFonts(const char* face, int size, int normalStyle, int hoverStyle);
    void SetColors(COLORREF normal, COLORREF hover);
    // The text area inside the skin, by its margins at 100 %: they scale with
    // the skin.
    void SetTextMargins(const RECT& margins);
    // Shows `text` ("title\r\n\r\nbody"): slides out in about showMs, stays
    // stayMs, slides back in about hideMs.
    void ShowPopup(const std::string& text, DWORD showMs, DWORD stayMs, DWORD hideMs);
    // Stops the slide and hides the window.
    void Hide();

    int SkinWidth() const { return m_nSkinWidth; }
    // A length of the skin at 100 %, at the scale the skin was drawn for.
    int Px(int v) const { return (v * m_nScale + 50) / 100; }
    int SkinHeight() const { return m_nSkinHeight; }
    using win::WindowImpl::Handle;
    const std::string& Text() const { return m_strText; }

private:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnFinalMessage() override { m_slide.Stop(); }

    // Does what a step of the slide asks of the window.
    void Apply(const nuntio::SlideStep& step);
    void OnTimer(UINT_PTR id);
    void OnPaint();
    bool OnEraseBackground(HDC dc);
    void OnLButtonDown(POINT pt);
    void Redraw();
    // The DPI the skin and fonts are made for.
    int Dpi() const;
    bool LoadGivenSkin();
    void MakeFonts();
    // WM_DPICHANGED: the skin, its text area and the fonts are made again.
    void OnDpiChanged(int dpi, const RECT* suggested);

    win::Window m_parent;
    win::UniqueFont m_normalFont;
    win::UniqueFont m_hoverFont;
    COLORREF m_crNormal = RGB(133, 146, 181);
    COLORREF m_crHover = RGB(10, 36, 106);
    HCURSOR m_hCursor = nullptr; // the system's hand, shared
    win::UniqueBitmap m_skin;
    win::UniqueRegion m_region; // the skin's region until a window takes it
    RECT m_rcText{};
    int m_nScale = 100; // percent: the skin's scale
    int m_nDpi = 0;     // told by WM_DPICHANGED; 0: the taskbar monitor's
    // What the category gave, to make the skin and fonts again at a new DPI.
    UINT m_skinId = 0;
    struct {
        int red, green, blue;
    } m_skinKey{-1, -1, -1};
    bool m_bSkinGiven = false;
    struct {
        std::string face;
        int size, normalStyle, hoverStyle;
    } m_font{"", 0, 0, 0};
    RECT m_margins{};
    int m_nSkinWidth = 0;
    int m_nSkinHeight = 0;
    std::string m_strText;
    bool m_bHover = false;
    nuntio::PopupSlide m_slide;
};

} // namespace nuntio
