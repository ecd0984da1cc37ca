// The font picker control.
#include "settings/font_picker.h"
#include "win/dpi.h"
#include "win/font_desc.h"
#include "win/help.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

namespace nuntio {

namespace {

constexpr const char* kClassName = "NuntioSelectFont";
constexpr int kFaceLabel = 100;
constexpr int kFace = 101;
constexpr int kSizeLabel = 102;
constexpr int kSize = 103;
constexpr int kBold = 104;
constexpr int kItalic = 105;
constexpr int kUnderline = 106;
constexpr int kStrikeOut = 107;
constexpr int kSample = 108;

// Raster, device and TrueType faces are offered; vector faces are not.
int CALLBACK CollectFace(const LOGFONTA* lf, const TEXTMETRICA* /*tm*/, DWORD type, LPARAM param) {
    if ((type & (RASTER_FONTTYPE | DEVICE_FONTTYPE | TRUETYPE_FONTTYPE)) != 0)
        reinterpret_cast<FontFaces*>(param)->Add(lf->lfFaceName, lf->lfCharSet);
    return 1;
}

} // namespace

CSelectFont::CSelectFont() : m_font(win::ToLogFont(DefaultListFont())) {}

BOOL CSelectFont::CreateAsChild(HWND parent, const RECT& rect) {
    if (!Register(kClassName, 0, ::LoadCursorA(nullptr, IDC_ARROW))) return FALSE;
    // The controls inside take the keyboard, each with its label; the picker
    // itself is a named group of them for a screen reader.
    if (Create(kClassName, WS_EX_CONTROLPARENT, WS_CHILD | WS_VISIBLE, rect, parent, 0, "字体") == nullptr)
        return FALSE;
    CreateControls();
    FillFaces();
    ShowFont();
    return TRUE;
}

void CSelectFont::SetCmdWndAndID(HWND wnd, UINT msg, UINT id) {
    m_cmdWnd = wnd;
    m_cmdMsg = msg;
    m_cmdId = id;
}

BOOL CSelectFont::SetCurFont(const LOGFONTA* font) {
    if (font == nullptr) return FALSE;
    m_font = *font;
    m_font.lfFaceName[LF_FACESIZE - 1] = '\0';
    if (m_hwnd != nullptr) ShowFont();
    return TRUE;
}

void CSelectFont::CreateControls() {
    HWND parent = ::GetParent(m_hwnd);
    HFONT font = reinterpret_cast<HFONT>(::SendMessageA(parent, WM_GETFONT, 0, 0));
    RECT client{};
    ::GetClientRect(m_hwnd, &client);
    // Dialog units of the parent page, so that the controls fit its font.
    auto du = [parent](int x, int y, int w, int h) {
        RECT r{x, y, x + w, y + h};
        ::MapDialogRect(parent, &r);
        return r;
    };
    const RECT unit = du(0, 0, 4, 8);
    const int margin = unit.right + 2;
    const int width = std::max<int>(10, client.right - 2 * margin);
    struct Child {
        int id;
        const char* cls;
        const char* text;
        DWORD style;
        DWORD exStyle;
        RECT rc;
    };
    const RECT faceLabel = du(0, 4, 0, 9);
    const RECT face = du(0, 14, 0, 150);
    const RECT sizeLabel = du(0, 32, 44, 9);
    const RECT size = du(0, 42, 44, 150);
    const RECT bold = du(54, 32, 46, 10);
    const RECT italic = du(54, 44, 46, 10);
    const RECT under = du(0, 60, 46, 10);
    const RECT strike = du(54, 60, 46, 10);
    const RECT sample = du(0, 76, 0, 48);
    const int half = du(54, 0, 0, 0).left;
    const int sampleBottom = std::max<int>(sample.top + 10, client.bottom - margin);
    const Child children[] = {
        {kFaceLabel,
         "Static",
         "名称(&N):",
         SS_LEFT,
         0,
         {margin, faceLabel.top, width, faceLabel.bottom - faceLabel.top}},
        {kFace,
         "ComboBox",
         "",
         CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | WS_TABSTOP,
         0,
         {margin, face.top, width, face.bottom - face.top}},
        {kSizeLabel,
         "Static",
         "字号(&S):",
         SS_LEFT,
         0,
         {margin, sizeLabel.top, sizeLabel.right - sizeLabel.left, sizeLabel.bottom - sizeLabel.top}},
        {kSize,
         "ComboBox",
         "",
         CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
         0,
         {margin, size.top, size.right - size.left, size.bottom - size.top}},
        {kBold,
         "Button",
         "粗体(&B)",
         BS_AUTOCHECKBOX | WS_TABSTOP,
         0,
         {margin + half, bold.top, width - half, bold.bottom - bold.top}},
        {kItalic,
         "Button",
         "斜体(&I)",
         BS_AUTOCHECKBOX | WS_TABSTOP,
         0,
         {margin + half, italic.top, width - half, italic.bottom - italic.top}},
        {kUnderline,
         "Button",
         "下划线(&U)",
         BS_AUTOCHECKBOX | WS_TABSTOP,
         0,
         {margin, under.top, half, under.bottom - under.top}},
        {kStrikeOut,
         "Button",
         "删除线(&K)",
         BS_AUTOCHECKBOX | WS_TABSTOP,
         0,
         {margin + half, strike.top, width - half, strike.bottom - strike.top}},
        {kSample,
         "Static",
         "中文 AaBbYyZz",
         SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX,
         WS_EX_CLIENTEDGE,
         {margin, sample.top, width, sampleBottom - sample.top}},
    };
    for (const Child& c : children) {
        HWND h =
            ::CreateWindowExA(c.exStyle, c.cls, c.text, WS_CHILD | WS_VISIBLE | c.style, c.rc.left, c.rc.top,
                              c.rc.right, c.rc.bottom, m_hwnd,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), win::Instance(), nullptr);
        if (h != nullptr && c.id != kSample)
            ::SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
}

void CSelectFont::FillFaces() {
    m_faces = {};
    HDC dc = ::GetDC(m_hwnd);
    if (dc != nullptr) {
        LOGFONTA query{};
        query.lfCharSet = DEFAULT_CHARSET;
        ::EnumFontFamiliesExA(dc, &query, reinterpret_cast<FONTENUMPROCA>(&CollectFace),
                              reinterpret_cast<LPARAM>(&m_faces), 0);
        ::ReleaseDC(m_hwnd, dc);
    }
    HWND combo = ::GetDlgItem(m_hwnd, kFace);
    ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (const std::string& face : m_faces.Names())
        ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(face.c_str()));
}

// The controls show m_font.
void CSelectFont::ShowFont() {
    HWND face = ::GetDlgItem(m_hwnd, kFace);
    LRESULT index = ::SendMessageA(face, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                   reinterpret_cast<LPARAM>(m_font.lfFaceName));
    if (index == CB_ERR && m_font.lfFaceName[0] != '\0') {
        m_faces.AddShown(m_font.lfFaceName, m_font.lfCharSet);
        index = ::SendMessageA(face, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(m_font.lfFaceName));
    }
    ::SendMessageA(face, CB_SETCURSEL, static_cast<WPARAM>(index), 0);

    const int points = PointsOfHeight(m_font.lfHeight, win::kBaseDpi);
    HWND size = ::GetDlgItem(m_hwnd, kSize);
    ::SendMessageA(size, CB_RESETCONTENT, 0, 0);
    for (int pt : SizesOffered(points)) {
        char text[16];
        std::snprintf(text, sizeof text, "%d", pt);
        const LRESULT i = ::SendMessageA(size, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        ::SendMessageA(size, CB_SETITEMDATA, static_cast<WPARAM>(i), pt);
        if (pt == points) ::SendMessageA(size, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
    }

    ::CheckDlgButton(m_hwnd, kBold, m_font.lfWeight >= FW_BOLD ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(m_hwnd, kItalic, m_font.lfItalic ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(m_hwnd, kUnderline, m_font.lfUnderline ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(m_hwnd, kStrikeOut, m_font.lfStrikeOut ? BST_CHECKED : BST_UNCHECKED);
    ShowSample();
}

void CSelectFont::ShowSample() {
    // The sample shows the font as the list will draw it on this monitor.
    LOGFONTA shown = m_font;
    shown.lfHeight = win::ScaleFontHeight(shown.lfHeight, win::DpiOf(m_hwnd));
    HFONT font = ::CreateFontIndirectA(&shown);
    ::SendMessageA(::GetDlgItem(m_hwnd, kSample), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    m_sampleFont.Reset(font);
}

// One control changed: m_font follows it and the command window hears of it.
void CSelectFont::OnChoice(int id) {
    switch (id) {
    case kFace: {
        HWND face = ::GetDlgItem(m_hwnd, kFace);
        const LRESULT sel = ::SendMessageA(face, CB_GETCURSEL, 0, 0);
        char name[LF_FACESIZE] = {};
        if (sel == CB_ERR || ::SendMessageA(face, CB_GETLBTEXTLEN, static_cast<WPARAM>(sel), 0) >=
                                 static_cast<LRESULT>(sizeof name))
            return;
        ::SendMessageA(face, CB_GETLBTEXT, static_cast<WPARAM>(sel), reinterpret_cast<LPARAM>(name));
        std::memcpy(m_font.lfFaceName, name, sizeof name);
        if (const std::optional<uint8_t> charset = m_faces.Charset(name)) m_font.lfCharSet = *charset;
        break;
    }
    case kSize: {
        HWND size = ::GetDlgItem(m_hwnd, kSize);
        const LRESULT sel = ::SendMessageA(size, CB_GETCURSEL, 0, 0);
        if (sel == CB_ERR) return;
        const int points =
            static_cast<int>(::SendMessageA(size, CB_GETITEMDATA, static_cast<WPARAM>(sel), 0));
        m_font.lfHeight = HeightOfPoints(points, win::kBaseDpi);
        m_font.lfWidth = 0;
        break;
    }
    case kBold: m_font.lfWeight = ::IsDlgButtonChecked(m_hwnd, kBold) ? FW_BOLD : FW_NORMAL; break;
    case kItalic: m_font.lfItalic = ::IsDlgButtonChecked(m_hwnd, kItalic) ? 1 : 0; break;
    case kUnderline: m_font.lfUnderline = ::IsDlgButtonChecked(m_hwnd, kUnderline) ? 1 : 0; break;
    case kStrikeOut: m_font.lfStrikeOut = ::IsDlgButtonChecked(m_hwnd, kStrikeOut) ? 1 : 0; break;
    default: return;
    }
    ShowSample();
    if (m_cmdWnd != nullptr && m_cmdMsg != 0) {
        LOGFONTA copy = m_font;
        ::SendMessageA(m_cmdWnd, m_cmdMsg, reinterpret_cast<WPARAM>(&copy), static_cast<LPARAM>(m_cmdId));
    }
}

LRESULT CSelectFont::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND: {
        const int code = HIWORD(wp);
        const int id = LOWORD(wp);
        if ((code == CBN_SELCHANGE && (id == kFace || id == kSize)) || (code == BN_CLICKED && id >= kBold))
            OnChoice(id);
        return 0;
    }
    case WM_ERASEBKGND: {
        RECT rc{};
        ::GetClientRect(m_hwnd, &rc);
        HDC dc = reinterpret_cast<HDC>(wp);
        HBRUSH back = reinterpret_cast<HBRUSH>(
            ::SendMessageA(::GetParent(m_hwnd), WM_CTLCOLORSTATIC, wp, reinterpret_cast<LPARAM>(m_hwnd)));
        ::FillRect(dc, &rc, back != nullptr ? back : ::GetSysColorBrush(COLOR_BTNFACE));
        ::DrawEdge(dc, &rc, EDGE_ETCHED, BF_RECT);
        return 1;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        // The children look as they would on the page itself.
        return ::SendMessageA(::GetParent(m_hwnd), msg, wp, lp);
    default: return ::DefWindowProcA(m_hwnd, msg, wp, lp);
    }
}

} // namespace nuntio
