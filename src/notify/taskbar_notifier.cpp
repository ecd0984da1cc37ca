// The popup notifier: a skinned, top-most, never activated window that slides
// out of the screen edge on the taskbar's side, stays, and slides back. Three
// window timers drive it (slide out, stay, slide back), each moving the window
// by kStep pixels per tick; at most one of them runs, the one of the state.
#include "notify/taskbar_notifier.h"
#include "win/help.h"

#include <windowsx.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "core/popup_text.h"

namespace {

constexpr UINT kMoveFlags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
constexpr UINT kTextFlags = DT_CENTER | DT_VCENTER | DT_WORDBREAK | DT_END_ELLIPSIS;
constexpr UINT kRedrawFlags = RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW;

// Live notifier windows. The class is unregistered when the last notifier
// goes after its window, so that a host that unloads and reloads the library
// registers it afresh.
int g_liveWindows = 0;

void ApplyStyle(LOGFONTA& lf, int mask) {
    lf.lfWeight = (mask & 1) != 0 ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (mask & 2) != 0 ? 1 : 0;
    lf.lfUnderline = (mask & 4) != 0 ? 1 : 0;
}

} // namespace

CTaskbarNotifier::~CTaskbarNotifier() {
    // Normally the window went with its owner, the message-center window.
    if (m_hwnd != nullptr && ::IsWindow(m_hwnd)) ::DestroyWindow(m_hwnd);
    m_hwnd = nullptr;
    if (g_liveWindows == 0) ::UnregisterClassA(kClassName, win::Instance());
    if (m_hSkin != nullptr) ::DeleteObject(m_hSkin);
    if (m_bOwnRegion && m_hSkinRegion != nullptr) ::DeleteObject(m_hSkinRegion);
    ReleaseFonts();
}

bool CTaskbarNotifier::RegisterWindowClass() {
    HINSTANCE instance = win::Instance();
    WNDCLASSA wc{};
    if (::GetClassInfoA(instance, kClassName, &wc)) return true;
    wc.style = 0;
    wc.lpfnWndProc = &CTaskbarNotifier::StaticProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = kClassName;
    return ::RegisterClassA(&wc) != 0;
}

bool CTaskbarNotifier::Create(HWND parent) {
    if (m_hwnd != nullptr && ::IsWindow(m_hwnd)) ::DestroyWindow(m_hwnd);
    m_hwnd = nullptr;
    m_nState = Idle;
    m_hParent = parent;
    if (!RegisterWindowClass()) return false;
    // The tool-window style keeps the popup out of the task switcher even when
    // its owner is hidden.
    HWND hwnd = ::CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName, "", WS_POPUP, 0, 0, 0, 0,
                                  parent, nullptr, win::Instance(), this);
    if (hwnd == nullptr) return false;
    if (m_hSkinRegion != nullptr && m_bOwnRegion) {
        // A skin loaded before the window existed: the window takes its region.
        if (::SetWindowRgn(m_hwnd, m_hSkinRegion, TRUE) != 0) m_bOwnRegion = false;
    }
    return true;
}

HRGN CTaskbarNotifier::BuildRegion(HBITMAP bitmap, BYTE red, BYTE green, BYTE blue) {
    BITMAP bm{};
    if (::GetObjectA(bitmap, sizeof bm, &bm) == 0) return nullptr;
    // Only whole groups of four columns are shown; the rest of the bitmap is
    // never part of the window.
    const int width = bm.bmWidth;
    const int shown = width / 4 * 4;
    const int height = bm.bmHeight;
    if (shown <= 0 || height <= 0) return nullptr;

    // The pixels as 24-bit top-down rows, blue, green, red; each row padded to
    // a multiple of 4 bytes.
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
    std::vector<BYTE> pixels;
    try {
        pixels.resize(stride * static_cast<size_t>(height));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    bi.bmiHeader.biSizeImage = static_cast<DWORD>(pixels.size());
    HDC screen = ::GetDC(nullptr);
    const int rows =
        ::GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), pixels.data(), &bi, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    if (rows != height) return nullptr;

    // The runs of the transparent colour, row by row, as one region that is
    // then taken out of the shown rectangle.
    std::vector<RECT> cut;
    for (int y = 0; y < height; ++y) {
        const BYTE* row = pixels.data() + stride * static_cast<size_t>(y);
        for (int x = 0; x < shown;) {
            auto transparent = [&](int px) {
                const BYTE* p = row + static_cast<size_t>(px) * 3;
                return p[0] == blue && p[1] == green && p[2] == red;
            };
            if (!transparent(x)) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < shown && transparent(x))
                ++x;
            cut.push_back(RECT{start, y, x, y + 1});
        }
    }
    HRGN region = ::CreateRectRgn(0, 0, shown, height);
    if (region == nullptr || cut.empty()) return region;
    std::vector<BYTE> data;
    try {
        data.resize(sizeof(RGNDATAHEADER) + cut.size() * sizeof(RECT));
    } catch (const std::bad_alloc&) {
        ::DeleteObject(region);
        return nullptr;
    }
    auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
    header->dwSize = sizeof(RGNDATAHEADER);
    header->iType = RDH_RECTANGLES;
    header->nCount = static_cast<DWORD>(cut.size());
    header->nRgnSize = static_cast<DWORD>(cut.size() * sizeof(RECT));
    header->rcBound = RECT{0, 0, shown, height};
    std::memcpy(data.data() + sizeof(RGNDATAHEADER), cut.data(), cut.size() * sizeof(RECT));
    HRGN holes =
        ::ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), reinterpret_cast<RGNDATA*>(data.data()));
    if (holes == nullptr) {
        // Pixel by pixel, as a last resort.
        for (const RECT& r : cut) {
            HRGN one = ::CreateRectRgn(r.left, r.top, r.right, r.bottom);
            if (one == nullptr) continue;
            ::CombineRgn(region, region, one, RGN_DIFF);
            ::DeleteObject(one);
        }
        return region;
    }
    ::CombineRgn(region, region, holes, RGN_DIFF);
    ::DeleteObject(holes);
    return region;
}

bool CTaskbarNotifier::LoadSkin(UINT bitmapId, int red, int green, int blue) {
    if (m_hSkin != nullptr) ::DeleteObject(m_hSkin);
    // A DIB section keeps the bitmap's own colours whatever the screen's depth,
    // so the transparent colour is found exactly.
    m_hSkin = static_cast<HBITMAP>(
        ::LoadImageA(win::Instance(), MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (m_hSkin == nullptr) {
        Redraw();
        return false;
    }
    BITMAP bm{};
    ::GetObjectA(m_hSkin, sizeof bm, &bm);
    m_nSkinWidth = bm.bmWidth;
    m_nSkinHeight = bm.bmHeight;
    m_rcText = RECT{0, 0, m_nSkinWidth, m_nSkinHeight};

    auto none = [](int c) { return (c & 0xFFFF) == 0xFFFF; };
    if (!none(red) && !none(green) && !none(blue)) {
        HRGN region =
            BuildRegion(m_hSkin, static_cast<BYTE>(red), static_cast<BYTE>(green), static_cast<BYTE>(blue));
        if (m_bOwnRegion && m_hSkinRegion != nullptr) ::DeleteObject(m_hSkinRegion);
        m_hSkinRegion = region;
        m_bOwnRegion = true;
        if (m_hwnd != nullptr) {
            // Without a region (the pixels could not be read) the window is a
            // plain rectangle. Once given, the region belongs to the window.
            if (::SetWindowRgn(m_hwnd, region, TRUE) != 0) m_bOwnRegion = false;
        }
    }
    Redraw();
    return true;
}

void CTaskbarNotifier::ReleaseFonts() {
    if (m_hNormalFont != nullptr) ::DeleteObject(m_hNormalFont);
    if (m_hHoverFont != nullptr) ::DeleteObject(m_hHoverFont);
    m_hNormalFont = nullptr;
    m_hHoverFont = nullptr;
}

void CTaskbarNotifier::SetFonts(const char* face, int size, int normalStyle, int hoverStyle) {
    // A font of `size` tenths of a point on the screen, as the system would
    // make it; both fonts start from its description.
    LOGFONTA lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    if (face != nullptr) ::lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
    HDC screen = ::GetDC(nullptr);
    POINT pt{0, ::GetDeviceCaps(screen, LOGPIXELSY) * size / 720};
    ::DPtoLP(screen, &pt, 1);
    POINT origin{0, 0};
    ::DPtoLP(screen, &origin, 1);
    ::ReleaseDC(nullptr, screen);
    lf.lfHeight = -std::abs(pt.y - origin.y);
    if (HFONT point = ::CreateFontIndirectA(&lf)) {
        ::GetObjectA(point, sizeof lf, &lf);
        ::DeleteObject(point);
    }

    ReleaseFonts();
    LOGFONTA normal = lf;
    ApplyStyle(normal, normalStyle);
    m_hNormalFont = ::CreateFontIndirectA(&normal);
    LOGFONTA hover = lf;
    ApplyStyle(hover, hoverStyle);
    m_hHoverFont = ::CreateFontIndirectA(&hover);
}

void CTaskbarNotifier::SetColors(COLORREF normal, COLORREF hover) {
    m_crNormal = normal;
    m_crHover = hover;
    if (m_hwnd != nullptr) ::RedrawWindow(m_hwnd, nullptr, nullptr, kRedrawFlags);
}

void CTaskbarNotifier::SetTextArea(const RECT& rc) {
    m_rcText = rc;
}

void CTaskbarNotifier::Redraw() {
    if (m_hwnd != nullptr) ::RedrawWindow(m_hwnd, nullptr, nullptr, kRedrawFlags);
}

void CTaskbarNotifier::MoveToCurrent() {
    if (m_hwnd == nullptr) return;
    ::SetWindowPos(m_hwnd, nullptr, m_nCurrentX, m_nCurrentY, m_nSkinWidth, m_nSkinHeight, kMoveFlags);
}

void CTaskbarNotifier::ShowPopup(const std::string& text, DWORD showMs, DWORD stayMs, DWORD hideMs) {
    m_strText = text;
    m_dwShowTime = showMs;
    m_dwStayTime = stayMs;
    m_dwHideTime = hideMs;
    if (m_hwnd == nullptr) return;

    // The taskbar's side: where the work area leaves part of the screen.
    RECT work{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    int side = EdgeBottom;
    if (work.right - work.left < screenWidth)
        side = work.left == 0 ? EdgeRight : EdgeLeft;
    else if (work.bottom - work.top < screenHeight && work.top != 0)
        side = EdgeTop;

    const int w = m_nSkinWidth;
    const int h = m_nSkinHeight;
    switch (m_nState) {
    case Idle: {
        ::ShowWindow(m_hwnd, SW_SHOWNOACTIVATE);
        // Ticks per slide; a skin smaller than one step slides in one tick.
        int ticks = (side == EdgeLeft || side == EdgeRight ? w : h) / kStep;
        if (ticks <= 0) ticks = 1;
        m_dwShowTick = m_dwShowTime / static_cast<DWORD>(ticks);
        m_dwHideTick = m_dwHideTime / static_cast<DWORD>(ticks);
        m_nEdge = side;
        switch (side) {
        case EdgeRight:
            m_nStartX = work.right;
            m_nStartY = work.bottom - h;
            break;
        case EdgeLeft:
            m_nStartX = work.left - w;
            m_nStartY = work.bottom - h;
            break;
        case EdgeTop:
            m_nStartX = work.right - w;
            m_nStartY = work.top - h;
            break;
        default:
            m_nStartX = work.right - w;
            m_nStartY = work.bottom;
            break;
        }
        m_nCurrentX = m_nStartX;
        m_nCurrentY = m_nStartY;
        ::SetTimer(m_hwnd, kShowTimer, m_dwShowTick, nullptr);
        m_nState = Appearing;
        break;
    }
    case Appearing: Redraw(); break;
    case Waiting:
        Redraw();
        ::SetTimer(m_hwnd, kStayTimer, m_dwStayTime, nullptr);
        break;
    case Disappearing:
        ::KillTimer(m_hwnd, kHideTimer);
        ::SetTimer(m_hwnd, kStayTimer, m_dwStayTime, nullptr);
        m_nState = Waiting;
        switch (side) {
        case EdgeRight: m_nCurrentX = work.right - w; break;
        case EdgeLeft: m_nCurrentX = work.left; break;
        case EdgeTop: m_nCurrentY = work.top; break;
        default: m_nCurrentY = work.bottom - h; break;
        }
        MoveToCurrent();
        Redraw();
        break;
    }
}

void CTaskbarNotifier::Hide() {
    if (m_hwnd == nullptr) {
        m_nState = Idle;
        return;
    }
    ::KillTimer(m_hwnd, kShowTimer);
    ::KillTimer(m_hwnd, kStayTimer);
    ::KillTimer(m_hwnd, kHideTimer);
    ::SetWindowPos(m_hwnd, nullptr, 0, 0, 0, 0, kMoveFlags);
    ::ShowWindow(m_hwnd, SW_HIDE);
    m_nState = Idle;
    // The next showing starts without the hover look; hovering sets it again.
    m_nMouseOver = 0;
}

void CTaskbarNotifier::OnTimer(UINT_PTR id) {
    const int w = m_nSkinWidth;
    const int h = m_nSkinHeight;
    if (id == kShowTimer && m_nState == Appearing) {
        bool moving = false;
        switch (m_nEdge) {
        case EdgeBottom: moving = m_nCurrentY > m_nStartY - h; break;
        case EdgeTop: moving = m_nCurrentY - m_nStartY < h; break;
        case EdgeLeft: moving = m_nCurrentX - m_nStartX < w; break;
        case EdgeRight: moving = m_nCurrentX > m_nStartX - w; break;
        default: break;
        }
        if (moving) {
            switch (m_nEdge) {
            case EdgeBottom: m_nCurrentY -= kStep; break;
            case EdgeTop: m_nCurrentY += kStep; break;
            case EdgeLeft: m_nCurrentX += kStep; break;
            default: m_nCurrentX -= kStep; break;
            }
        } else {
            ::KillTimer(m_hwnd, kShowTimer);
            ::SetTimer(m_hwnd, kStayTimer, m_dwStayTime, nullptr);
            m_nState = Waiting;
        }
        MoveToCurrent();
    } else if (id == kStayTimer && m_nState == Waiting) {
        ::KillTimer(m_hwnd, kStayTimer);
        ::SetTimer(m_hwnd, kHideTimer, m_dwHideTick, nullptr);
        m_nState = Disappearing;
    } else if (id == kHideTimer && m_nState == Disappearing) {
        bool moving = false;
        switch (m_nEdge) {
        case EdgeBottom: moving = m_nCurrentY < m_nStartY; break;
        case EdgeTop: moving = m_nCurrentY > m_nStartY; break;
        case EdgeLeft: moving = m_nCurrentX > m_nStartX; break;
        case EdgeRight: moving = m_nCurrentX < m_nStartX; break;
        default: break;
        }
        if (moving) {
            switch (m_nEdge) {
            case EdgeBottom: m_nCurrentY += kStep; break;
            case EdgeTop: m_nCurrentY -= kStep; break;
            case EdgeLeft: m_nCurrentX -= kStep; break;
            default: m_nCurrentX += kStep; break;
            }
        } else {
            Hide();
        }
        MoveToCurrent();
    } else {
        // A tick of a timer that no longer belongs to the state (already in
        // the queue when the state changed).
        ::KillTimer(m_hwnd, id);
    }
}

bool CTaskbarNotifier::OnEraseBackground(HDC dc) {
    if (m_hSkin == nullptr) return false;
    HDC memory = ::CreateCompatibleDC(dc);
    if (memory == nullptr) return false;
    HGDIOBJ old = ::SelectObject(memory, m_hSkin);
    ::BitBlt(dc, 0, 0, m_nSkinWidth, m_nSkinHeight, memory, 0, 0, SRCCOPY);
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
    return true;
}

void CTaskbarNotifier::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hwnd, &ps);
    if (dc == nullptr) return;
    ::SetBkMode(dc, TRANSPARENT);
    const nuntio::PopupText text = nuntio::SplitPopupText(m_strText);

    HGDIOBJ oldFont = nullptr;
    if (m_hNormalFont != nullptr) oldFont = ::SelectObject(dc, m_hNormalFont);
    ::SetTextColor(dc, m_crNormal);
    RECT title = m_rcText;
    title.top += 25;
    ::DrawTextA(dc, text.title.c_str(), static_cast<int>(text.title.size()), &title, kTextFlags);

    HFONT bodyFont = m_nMouseOver == 1 ? m_hHoverFont : m_hNormalFont;
    if (bodyFont != nullptr) {
        HGDIOBJ previous = ::SelectObject(dc, bodyFont);
        if (oldFont == nullptr) oldFont = previous;
    }
    ::SetTextColor(dc, RGB(0, 0, 0));
    RECT body = m_rcText;
    body.left += 5;
    body.right -= 5;
    body.top += 50;
    ::DrawTextA(dc, text.body.c_str(), static_cast<int>(text.body.size()), &body, kTextFlags);

    if (oldFont != nullptr) ::SelectObject(dc, oldFont);
    ::EndPaint(m_hwnd, &ps);
}

void CTaskbarNotifier::OnLButtonDown(POINT pt) {
    RECT client{};
    ::GetClientRect(m_hwnd, &client);
    const RECT closeBox{client.right - kCloseBox, client.top, client.right, client.top + kCloseBox};
    const bool close = ::PtInRect(&closeBox, pt) != FALSE;

    // The keyboard focus stays with the active window of this thread; the
    // popup itself never takes it.
    if (HWND active = ::GetActiveWindow()) {
        HWND focus = ::GetFocus();
        if (focus == nullptr || (focus != active && !::IsChild(active, focus))) ::SetFocus(active);
    }
    Hide();
    if (!close && m_hParent != nullptr && ::IsWindow(m_hParent))
        ::PostMessageA(m_hParent, kPopupClicked, 0, 0);
}

LRESULT CTaskbarNotifier::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: {
        const LRESULT r = ::DefWindowProcA(m_hwnd, msg, wp, lp);
        if (r != -1) m_hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND));
        return r;
    }
    case WM_CLOSE: Hide(); return 0;
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
        if (m_nMouseOver == 0) {
            m_nMouseOver = 1;
            Redraw();
        }
        return 0;
    case WM_MOUSELEAVE:
        if (m_nMouseOver == 1) {
            m_nMouseOver = 0;
            Redraw();
        }
        return 0;
    case WM_LBUTTONDOWN: OnLButtonDown(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}); break;
    case WM_TIMER: OnTimer(wp); return 0;
    default: break;
    }
    return ::DefWindowProcA(m_hwnd, msg, wp, lp);
}

LRESULT CALLBACK CTaskbarNotifier::StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    try {
        auto* self = reinterpret_cast<CTaskbarNotifier*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (msg == WM_NCCREATE) {
            const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lp);
            self = static_cast<CTaskbarNotifier*>(cs->lpCreateParams);
            ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
            if (self != nullptr) self->m_hwnd = hwnd;
            ++g_liveWindows;
        }
        if (msg == WM_NCDESTROY) {
            ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            if (self != nullptr && self->m_hwnd == hwnd) {
                self->m_hwnd = nullptr;
                self->m_nState = Idle;
            }
            --g_liveWindows;
            return ::DefWindowProcA(hwnd, msg, wp, lp);
        }
        if (self == nullptr || self->m_hwnd != hwnd) return ::DefWindowProcA(hwnd, msg, wp, lp);
        return self->HandleMessage(msg, wp, lp);
    } catch (...) {
        return ::DefWindowProcA(hwnd, msg, wp, lp);
    }
}
