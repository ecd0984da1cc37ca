// The popup notifier's window: a skinned, top-most, never activated window
// that slides out of the screen edge on the taskbar's side, stays, and slides
// back. Its three timers (slide out, stay, slide back) tick the slide, which
// says where the window goes; at most one of them runs, the one of the phase.
#include "notify/taskbar_notifier.h"

#include "core/art_scale.h"
#include "win/dpi.h"

#include <windowsx.h>

#include <cstdlib>

#include "core/popup_text.h"
#include "notify/popup_skin.h"
#include "win/accessible.h"

namespace nuntio {

namespace {

constexpr UINT kMoveFlags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
constexpr UINT kTextFlags = DT_CENTER | DT_VCENTER | DT_WORDBREAK | DT_END_ELLIPSIS;
constexpr UINT kRedrawFlags = RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW;

void ApplyStyle(LOGFONTA& lf, int mask) {
    lf.lfWeight = (mask & 1) != 0 ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (mask & 2) != 0 ? 1 : 0;
    lf.lfUnderline = (mask & 4) != 0 ? 1 : 0;
}

} // namespace

bool CTaskbarNotifier::Create(HWND parent) {
    Destroy();
    m_slide.Stop();
    m_parent = parent;
    if (!Register(kClassName, 0, ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)),
                  reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1))))
        return false;
    // The tool-window style keeps the popup out of the task switcher even when
    // its owner is hidden.
    if (WindowImpl::Create(kClassName, WS_EX_TOPMOST | WS_EX_TOOLWINDOW, WS_POPUP, RECT{}, parent) == nullptr)
        return false;
    // A skin loaded before the window existed: the window takes its region.
    if (m_region && ::SetWindowRgn(m_hwnd, m_region.Get(), TRUE) != 0) m_region.Release();
    return true;
}

int CTaskbarNotifier::Dpi() const {
    // The monitor with the taskbar, unless a change of DPI told the window.
    return m_nDpi > 0 ? m_nDpi : win::DpiAt(POINT{0, 0});
}

bool CTaskbarNotifier::LoadSkin(UINT bitmapId, int red, int green, int blue) {
    m_skinId = bitmapId;
    m_skinKey = {red, green, blue};
    m_bSkinGiven = true;
    return LoadGivenSkin();
}

bool CTaskbarNotifier::LoadGivenSkin() {
    const UINT bitmapId = m_skinId;
    const auto [red, green, blue] = m_skinKey;
    // The skin drawn for the scale of the popup's monitor, where there is
    // one; the skin at 100 % otherwise.
    const int scale = nuntio::NearestArtScale(Dpi());
    m_nScale = 100;
    if (scale != 100) {
        m_skin =
            nuntio::LoadSkinBitmap(static_cast<UINT>(nuntio::ScaledArtId(static_cast<int>(bitmapId), scale)));
        if (m_skin) m_nScale = scale;
    }
    if (m_nScale == 100) m_skin = nuntio::LoadSkinBitmap(bitmapId);
    if (!m_skin) {
        Redraw();
        return false;
    }
    BITMAP bm{};
    ::GetObjectA(m_skin.Get(), sizeof bm, &bm);
    m_nSkinWidth = bm.bmWidth;
    m_nSkinHeight = bm.bmHeight;
    m_rcText = RECT{Px(m_margins.left), Px(m_margins.top), m_nSkinWidth - Px(m_margins.right),
                    m_nSkinHeight - Px(m_margins.bottom)};
    if (const auto transparent = nuntio::TransparentColour(red, green, blue)) {
        // Without a region (the pixels could not be read) the window is a
        // plain rectangle. Once given, the region belongs to the window.
        m_region = nuntio::SkinRegion(m_skin.Get(), *transparent);
        if (m_hwnd != nullptr && ::SetWindowRgn(m_hwnd, m_region.Get(), TRUE) != 0) m_region.Release();
    }
    Redraw();
    return true;
}

void CTaskbarNotifier::SetFonts(const char* face, int size, int normalStyle, int hoverStyle) {
    m_font = {face != nullptr ? face : "", size, normalStyle, hoverStyle};
    MakeFonts();
}

void CTaskbarNotifier::MakeFonts() {
    const auto& [face, size, normalStyle, hoverStyle] = m_font;
    // A font of `size` tenths of a point on the popup's monitor, as the
    // system would make it; both fonts start from its description.
    LOGFONTA lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    ::lstrcpynA(lf.lfFaceName, face.c_str(), LF_FACESIZE);
    HDC screen = ::GetDC(nullptr);
    POINT pt{0, Dpi() * size / 720};
    ::DPtoLP(screen, &pt, 1);
    POINT origin{0, 0};
    ::DPtoLP(screen, &origin, 1);
    ::ReleaseDC(nullptr, screen);
    lf.lfHeight = -std::abs(pt.y - origin.y);
    if (const win::UniqueFont point(::CreateFontIndirectA(&lf)); point)
        ::GetObjectA(point.Get(), sizeof lf, &lf);

    LOGFONTA normal = lf;
    ApplyStyle(normal, normalStyle);
    m_normalFont.Reset(::CreateFontIndirectA(&normal));
    LOGFONTA hover = lf;
    ApplyStyle(hover, hoverStyle);
    m_hoverFont.Reset(::CreateFontIndirectA(&hover));
}

void CTaskbarNotifier::SetColors(COLORREF normal, COLORREF hover) {
    m_crNormal = normal;
    m_crHover = hover;
    Redraw();
}

void CTaskbarNotifier::SetTextMargins(const RECT& margins) {
    m_margins = margins;
    m_rcText = RECT{Px(margins.left), Px(margins.top), m_nSkinWidth - Px(margins.right),
                    m_nSkinHeight - Px(margins.bottom)};
}

void CTaskbarNotifier::OnDpiChanged(int dpi, const RECT* suggested) {
    if (dpi <= 0) return;
    m_nDpi = dpi;
    if (m_bSkinGiven) LoadGivenSkin();
    if (!m_font.face.empty() || m_font.size != 0) MakeFonts();
    // Shown, it keeps its place beside the taskbar at the new size.
    if (suggested != nullptr && ::IsWindowVisible(m_hwnd))
        ::SetWindowPos(m_hwnd, nullptr, suggested->left, suggested->top, m_nSkinWidth, m_nSkinHeight,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    Redraw();
}

void CTaskbarNotifier::Redraw() {
    if (m_hwnd != nullptr) ::RedrawWindow(m_hwnd, nullptr, nullptr, kRedrawFlags);
}

void CTaskbarNotifier::ShowPopup(const std::string& text, DWORD showMs, DWORD stayMs, DWORD hideMs) {
    m_strText = text;
    if (m_hwnd == nullptr) return;
    // A screen reader reads the window's text: the message it shows.
    ::SetWindowTextA(m_hwnd, m_strText.c_str());
    RECT work{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const nuntio::Rect area{work.left, work.top, work.right, work.bottom};
    const nuntio::TaskbarSide side =
        nuntio::TaskbarSideOf(area, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
    Apply(m_slide.Show(side, area, m_nSkinWidth, m_nSkinHeight, {showMs, stayMs, hideMs}));
}

void CTaskbarNotifier::Hide() {
    m_slide.Stop();
    if (m_hwnd == nullptr) return;
    using nuntio::SlideTimer;
    for (SlideTimer t : {SlideTimer::Out, SlideTimer::Stay, SlideTimer::Back})
        ::KillTimer(m_hwnd, static_cast<UINT_PTR>(t));
    ::SetWindowPos(m_hwnd, nullptr, 0, 0, 0, 0, kMoveFlags);
    ::ShowWindow(m_hwnd, SW_HIDE);
    // The next showing starts without the hover look; hovering sets it again.
    m_bHover = false;
}

void CTaskbarNotifier::Apply(const nuntio::SlideStep& step) {
    using nuntio::SlideTimer;
    if (step.hide) Hide();
    if (step.show) ::ShowWindow(m_hwnd, SW_SHOWNOACTIVATE);
    if (step.kill != SlideTimer::None) ::KillTimer(m_hwnd, static_cast<UINT_PTR>(step.kill));
    if (step.start != SlideTimer::None)
        ::SetTimer(m_hwnd, static_cast<UINT_PTR>(step.start), step.period, nullptr);
    if (step.move)
        ::SetWindowPos(m_hwnd, nullptr, step.move->x, step.move->y, m_nSkinWidth, m_nSkinHeight, kMoveFlags);
    if (step.redraw) Redraw();
}

void CTaskbarNotifier::OnTimer(UINT_PTR id) {
    using nuntio::SlideTimer;
    if (id >= static_cast<UINT_PTR>(SlideTimer::Out) && id <= static_cast<UINT_PTR>(SlideTimer::Back))
        Apply(m_slide.Tick(static_cast<SlideTimer>(id)));
    else
        ::KillTimer(m_hwnd, id);
}

bool CTaskbarNotifier::OnEraseBackground(HDC dc) {
    if (!m_skin) return false;
    HDC memory = ::CreateCompatibleDC(dc);
    if (memory == nullptr) return false;
    {
        const win::SelectGuard skin(memory, m_skin.Get());
        ::BitBlt(dc, 0, 0, m_nSkinWidth, m_nSkinHeight, memory, 0, 0, SRCCOPY);
    }
    ::DeleteDC(memory);
    return true;
}

void CTaskbarNotifier::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hwnd, &ps);
    if (dc == nullptr) return;
    {
        ::SetBkMode(dc, TRANSPARENT);
        const nuntio::PopupText text = nuntio::SplitPopupText(m_strText);
        // The title in the normal font and colour; the body in black, in the
        // hover font while the mouse is over the popup. (A font that could not
        // be made selects nothing: the one before stays.)
        // In high contrast the text is the system's window text on its window
        // colour, whatever the skin and the category's colours.
        const bool contrast = win::HighContrast();
        if (contrast) ::FillRect(dc, &m_rcText, ::GetSysColorBrush(COLOR_WINDOW));
        const win::SelectGuard titleFont(dc, m_normalFont.Get());
        ::SetTextColor(dc, contrast ? ::GetSysColor(COLOR_WINDOWTEXT) : m_crNormal);
        RECT title = m_rcText;
        title.top += Px(25);
        ::DrawTextA(dc, text.title.c_str(), static_cast<int>(text.title.size()), &title, kTextFlags);

        const win::SelectGuard bodyFont(dc, (m_bHover ? m_hoverFont : m_normalFont).Get());
        ::SetTextColor(dc, contrast ? ::GetSysColor(COLOR_WINDOWTEXT) : RGB(0, 0, 0));
        RECT body = m_rcText;
        body.left += Px(5);
        body.right -= Px(5);
        body.top += Px(50);
        ::DrawTextA(dc, text.body.c_str(), static_cast<int>(text.body.size()), &body, kTextFlags);
    }
    ::EndPaint(m_hwnd, &ps);
}

void CTaskbarNotifier::OnLButtonDown(POINT pt) {
    RECT client{};
    ::GetClientRect(m_hwnd, &client);
    const RECT closeBox{client.right - Px(kCloseBox), client.top, client.right, client.top + Px(kCloseBox)};
    const bool close = ::PtInRect(&closeBox, pt) != FALSE;

    // The keyboard focus stays with the active window of this thread; the
    // popup itself never takes it.
    if (HWND active = ::GetActiveWindow()) {
        HWND focus = ::GetFocus();
        if (focus == nullptr || (focus != active && !::IsChild(active, focus))) ::SetFocus(active);
    }
    Hide();
    if (!close && m_parent.IsLive()) m_parent.Post(NUNTIO_WM_POPUP_CLICKED);
}

LRESULT CTaskbarNotifier::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: {
        const LRESULT r = Default(msg, wp, lp);
        if (r != -1) m_hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND));
        return r;
    }
    case WM_CLOSE: Hide(); return 0;
    case WM_DPICHANGED: OnDpiChanged(HIWORD(wp), reinterpret_cast<const RECT*>(lp)); return 0;
    case WM_ERASEBKGND:
        if (OnEraseBackground(reinterpret_cast<HDC>(wp))) return 1;
        break;
    case WM_PAINT: OnPaint(); return 0;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_SETCURSOR:
        if (LOWORD(lp) == HTCLIENT && m_hCursor != nullptr) {
            ::SetCursor(m_hCursor);
            return TRUE;
        }
        break;
    case WM_MOUSEMOVE: {
        TRACKMOUSEEVENT tme{sizeof tme, TME_HOVER | TME_LEAVE, m_hwnd, 1};
        ::TrackMouseEvent(&tme);
        break;
    }
    case WM_MOUSEHOVER:
    case WM_MOUSELEAVE:
        if (m_bHover != (msg == WM_MOUSEHOVER)) {
            m_bHover = msg == WM_MOUSEHOVER;
            Redraw();
        }
        return 0;
    case WM_LBUTTONDOWN: OnLButtonDown(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}); break;
    case WM_TIMER: OnTimer(wp); return 0;
    default: break;
    }
    return Default(msg, wp, lp);
}

} // namespace nuntio
