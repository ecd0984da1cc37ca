// The popup that slides out beside the taskbar when a message arrives
// ("Ostrel信使"). Each category owns one: it gives it a skin, two fonts, colours
// and a text rectangle, and asks it to show a caption. The window is a top-most
// popup owned by the message-center window and is never activated; a click on
// it hides it and, outside the close box, posts WM_POPUP_CLICKED to the owner.
#pragma once

#include <windows.h>

#include <string>

class CTaskbarNotifier {
public:
    static constexpr UINT kPopupClicked = 0x047B; // WM_POPUP_CLICKED, posted to the parent
    static constexpr const char* kClassName = "NuntioTaskbarNotifier";
    // Timers of the window: slide out, stay, slide back.
    static constexpr UINT_PTR kShowTimer = 1;
    static constexpr UINT_PTR kStayTimer = 2;
    static constexpr UINT_PTR kHideTimer = 3;
    static constexpr int kStep = 2;      // pixels per timer tick
    static constexpr int kCloseBox = 20; // the close box: this square at the top right

    enum State { Idle = 0, Appearing = 1, Waiting = 2, Disappearing = 3 };
    enum Edge { EdgeNone = 0, EdgeTop = 1, EdgeLeft = 2, EdgeRight = 3, EdgeBottom = 4 };

    CTaskbarNotifier() = default;
    ~CTaskbarNotifier();
    CTaskbarNotifier(const CTaskbarNotifier&) = delete;
    CTaskbarNotifier& operator=(const CTaskbarNotifier&) = delete;

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
    void SetTextArea(const RECT& rc);
    // Shows `text` ("title\r\n\r\nbody"): slides out in about showMs, stays
    // stayMs, slides back in about hideMs.
    void ShowPopup(const std::string& text, DWORD showMs, DWORD stayMs, DWORD hideMs);
    // Stops the animation and hides the window.
    void Hide();

    int SkinWidth() const { return m_nSkinWidth; }
    int SkinHeight() const { return m_nSkinHeight; }
    HWND Handle() const { return m_hwnd; }
    const std::string& Text() const { return m_strText; }
    State CurrentState() const { return m_nState; }

private:
    static LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    static bool RegisterWindowClass();
    static HRGN BuildRegion(HBITMAP bitmap, BYTE red, BYTE green, BYTE blue);

    void OnTimer(UINT_PTR id);
    void OnPaint();
    bool OnEraseBackground(HDC dc);
    void OnLButtonDown(POINT pt);
    void MoveToCurrent();
    void Redraw();
    void ReleaseFonts();

    HWND m_hwnd = nullptr;
    HWND m_hParent = nullptr;
    HFONT m_hNormalFont = nullptr;
    HFONT m_hHoverFont = nullptr;
    COLORREF m_crNormal = RGB(133, 146, 181);
    COLORREF m_crHover = RGB(10, 36, 106);
    HCURSOR m_hCursor = nullptr;
    HBITMAP m_hSkin = nullptr;
    HRGN m_hSkinRegion = nullptr; // the window owns it once given
    bool m_bOwnRegion = false;    // true while no window holds m_hSkinRegion
    RECT m_rcText{};
    int m_nSkinWidth = 0;
    int m_nSkinHeight = 0;
    std::string m_strText;
    int m_nMouseOver = 0;
    State m_nState = Idle;
    DWORD m_dwShowTime = 0;
    DWORD m_dwStayTime = 0;
    DWORD m_dwHideTime = 0;
    DWORD m_dwShowTick = 0;
    DWORD m_dwHideTick = 0;
    int m_nStartX = 0;
    int m_nStartY = 0;
    int m_nCurrentX = 0;
    int m_nCurrentY = 0;
    int m_nEdge = EdgeNone;
};
