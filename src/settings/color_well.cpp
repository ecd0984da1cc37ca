// The colour well control.
#include "settings/color_well.h"
#include "win/help.h"

#include <commdlg.h>
#include <oleacc.h>

#include <cstdio>

#include "win/accessible.h"
#include "win/handles.h"

namespace nuntio {

namespace {

constexpr const char* kClassName = "NuntioHueWell";

// The sixteen custom colours of the colour dialog, kept for the session.
COLORREF g_customColors[16] = {
    RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
    RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
    RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
    RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
};

// The well's colour, for the one who reads it by its window.
constexpr UINT kGetColor = WM_USER + 1;

// What a screen reader hears: the label the page gives the well, a button
// (it opens the colour dialog), and the colour.
bool Describe(HWND hwnd, win::AccessibleFacts& facts) {
    char text[128] = {};
    ::GetWindowTextA(hwnd, text, sizeof text);
    facts.name = text[0] != '\0' ? text : win::LabelOf(hwnd);
    facts.role = ROLE_SYSTEM_PUSHBUTTON;
    const auto color = static_cast<COLORREF>(::SendMessageA(hwnd, kGetColor, 0, 0));
    char value[32];
    std::snprintf(value, sizeof value, "RGB(%u, %u, %u)", GetRValue(color), GetGValue(color),
                  GetBValue(color));
    facts.value = value;
    return true;
}

} // namespace

BOOL CHueWell::Create(DWORD style, const RECT& rect, HWND parent, UINT id) {
    if (!Register(kClassName, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, ::LoadCursorA(nullptr, IDC_ARROW)))
        return FALSE;
    return WindowImpl::Create(kClassName, 0, style | WS_TABSTOP, rect, parent, id) != nullptr;
}

void CHueWell::SetBorderType(int type) {
    m_border = type;
    if (m_hwnd != nullptr) ::InvalidateRect(m_hwnd, nullptr, TRUE);
}

void CHueWell::SetRGB(COLORREF color) {
    // The colour alone: no palette flag in the high byte.
    m_color = RGB(GetRValue(color), GetGValue(color), GetBValue(color));
    if (m_hwnd == nullptr) return;
    ::InvalidateRect(m_hwnd, nullptr, TRUE);
    ::NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, m_hwnd, OBJID_CLIENT, CHILDID_SELF);
}

LRESULT CHueWell::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_GETDLGCODE: {
        // Enter and Space press the well, as they press a focused button.
        const auto* key = reinterpret_cast<const MSG*>(lp);
        if (key != nullptr && key->message == WM_KEYDOWN && key->wParam == VK_RETURN)
            return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON | DLGC_WANTMESSAGE;
        return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
    }
    case WM_GETOBJECT: {
        const LRESULT object = win::AnswerGetObject(m_hwnd, wp, lp, &Describe);
        if (object != 0) return object;
        break;
    }
    case kGetColor: return static_cast<LRESULT>(m_color);
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(m_hwnd, &ps);
        Paint(dc);
        ::EndPaint(m_hwnd, &ps);
        return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE: ::InvalidateRect(m_hwnd, nullptr, FALSE); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        ::SetFocus(m_hwnd);
        ::SetCapture(m_hwnd);
        m_pressed = true;
        ::InvalidateRect(m_hwnd, nullptr, FALSE);
        return 0;
    case WM_LBUTTONUP:
        if (m_pressed) {
            m_pressed = false;
            ::ReleaseCapture();
            ::InvalidateRect(m_hwnd, nullptr, FALSE);
            RECT rc{};
            ::GetClientRect(m_hwnd, &rc);
            const POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
            if (::PtInRect(&rc, pt)) Choose();
        }
        return 0;
    case WM_CAPTURECHANGED:
        if (m_pressed) {
            m_pressed = false;
            ::InvalidateRect(m_hwnd, nullptr, FALSE);
        }
        return 0;
    case WM_KEYDOWN:
        if (wp == VK_SPACE || wp == VK_RETURN || wp == VK_F4) {
            Choose();
            return 0;
        }
        break;
    default: break;
    }
    return ::DefWindowProcA(m_hwnd, msg, wp, lp);
}

void CHueWell::Paint(HDC dc) const {
    RECT rc{};
    ::GetClientRect(m_hwnd, &rc);
    // Dialog-coloured background the way the parent paints it.
    HWND parent = ::GetParent(m_hwnd);
    HBRUSH back = reinterpret_cast<HBRUSH>(::SendMessageA(
        parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(m_hwnd)));
    ::FillRect(dc, &rc, back != nullptr ? back : ::GetSysColorBrush(COLOR_BTNFACE));
    RECT inner = rc;
    if (m_border == kEtchedBorder) ::DrawEdge(dc, &inner, EDGE_ETCHED, BF_RECT);
    // The swatch sits sunken in the frame; it sinks a little further while
    // the mouse holds it.
    const bool enabled = ::IsWindowEnabled(m_hwnd) != FALSE;
    RECT swatch = inner;
    ::InflateRect(&swatch, -8, -8);
    ::DrawEdge(dc, &swatch, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    if (m_pressed) ::InflateRect(&swatch, -1, -1);
    const win::UniqueBrush brush(::CreateSolidBrush(enabled ? m_color : ::GetSysColor(COLOR_BTNFACE)));
    ::FillRect(dc, &swatch, brush.Get());
    if (::GetFocus() == m_hwnd) {
        RECT focus = inner;
        ::InflateRect(&focus, -4, -4);
        ::DrawFocusRect(dc, &focus);
    }
}

void CHueWell::Choose() {
    CHOOSECOLORA cc{};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = ::GetAncestor(m_hwnd, GA_ROOT);
    cc.rgbResult = m_color;
    cc.lpCustColors = g_customColors;
    cc.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
    if (!::ChooseColorA(&cc)) return;
    SetRGB(cc.rgbResult);
    if (m_hwnd != nullptr)
        ::SendMessageA(::GetParent(m_hwnd), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(m_hwnd), BN_CLICKED),
                       reinterpret_cast<LPARAM>(m_hwnd));
}

} // namespace nuntio
