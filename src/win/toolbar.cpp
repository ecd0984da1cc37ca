// The customisable toolbar: buttons from one bitmap strip, the arrangement
// saved to and restored from the registry.
#include "win/toolbar.h"

#include <cstring>

#include "core/art_scale.h"
#include "win/help.h"

namespace win {

Toolbar::~Toolbar() {
    if (m_hwnd != nullptr && ::IsWindow(m_hwnd)) ::DestroyWindow(m_hwnd);
}

bool Toolbar::Create(DWORD style, const RECT& rc, HWND parent, UINT id, UINT firstCmd, UINT lastCmd,
                     const std::string& registryKey) {
    m_strRegKey = registryKey;
    m_strValueName = std::to_string(id);
    m_nFirstCmd = firstCmd & 0xFFFF;
    m_nLastCmd = lastCmd & 0xFFFF;
    m_nId = id;
    HINSTANCE module = win::Instance();
    m_hwnd = ::CreateWindowExA(0, TOOLBARCLASSNAMEA, "", style, rc.left, rc.top, rc.right - rc.left,
                               rc.bottom - rc.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               module, nullptr);
    if (m_hwnd == nullptr) return false;
    ::SendMessageA(m_hwnd, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    m_nButtonCount = static_cast<int>(m_nLastCmd - m_nFirstCmd + 1);
    TBADDBITMAP bitmap{module, id};
    ::SendMessageA(m_hwnd, TB_ADDBITMAP, static_cast<WPARAM>(m_nButtonCount),
                   reinterpret_cast<LPARAM>(&bitmap));

    m_buttons.assign(static_cast<size_t>(m_nButtonCount), TBBUTTON{});
    for (int i = 0; i < m_nButtonCount; ++i) {
        TBBUTTON& b = m_buttons[static_cast<size_t>(i)];
        b.iBitmap = i;
        b.idCommand = static_cast<int>(m_nFirstCmd) + i;
        b.fsState = TBSTATE_ENABLED;
        b.fsStyle = TBSTYLE_BUTTON;
        b.iString = -1;
    }
    TBBUTTON sep{};
    sep.fsState = TBSTATE_ENABLED;
    sep.fsStyle = TBSTYLE_SEP;
    for (int i = 0; i < m_nButtonCount; ++i) {
        ::SendMessageA(m_hwnd, TB_ADDBUTTONSA, 1,
                       reinterpret_cast<LPARAM>(&m_buttons[static_cast<size_t>(i)]));
        if (i == 1 || i == 4 || i == 6)
            ::SendMessageA(m_hwnd, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&sep));
    }
    RestoreState();
    return true;
}

// The arrangement is kept as the control itself lays it out: one 32-bit
// command id per button in display order, 0 for a separator. The control's own
// restore drops the separators under some comctl32 builds, so both directions
// are done here.
void Toolbar::SetDpi(int dpi) {
    const int scale = nuntio::NearestArtScale(dpi);
    if (m_hwnd == nullptr || scale == m_nScale) return;
    // The strip drawn at that scale in an image list of ours; its grey
    // background is the mask, as the control treats a strip of the resources.
    const int size = 16 * scale / 100;
    UniqueBitmap strip(static_cast<HBITMAP>(
        ::LoadImageA(Instance(), MAKEINTRESOURCEA(nuntio::ScaledArtId(static_cast<int>(m_nId), scale)),
                     IMAGE_BITMAP, 0, 0, 0)));
    if (!strip) return;
    UniqueImageList images(::ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, m_nButtonCount, 0));
    if (!images || ::ImageList_AddMasked(images.Get(), strip.Get(), RGB(192, 192, 192)) < 0) return;
    ::SendMessageA(m_hwnd, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images.Get()));
    ::SendMessageA(m_hwnd, TB_SETBUTTONSIZE, 0, MAKELPARAM(size + 7, size + 6));
    m_images = std::move(images); // the control shows the new list before the old one goes
    m_nScale = scale;
    ::SendMessageA(m_hwnd, TB_AUTOSIZE, 0, 0);
}

void Toolbar::SaveState() {
    std::vector<uint32_t> ids;
    const int n = static_cast<int>(::SendMessageA(m_hwnd, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        TBBUTTON b{};
        ::SendMessageA(m_hwnd, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&b));
        ids.push_back((b.fsStyle & TBSTYLE_SEP) ? 0u : static_cast<uint32_t>(b.idCommand));
    }
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, m_strRegKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
        return;
    ::RegSetValueExA(key, m_strValueName.c_str(), 0, REG_BINARY, reinterpret_cast<const BYTE*>(ids.data()),
                     static_cast<DWORD>(ids.size() * sizeof(uint32_t)));
    ::RegCloseKey(key);
}

void Toolbar::RestoreState() {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, m_strRegKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    std::vector<uint32_t> ids(64);
    DWORD size = static_cast<DWORD>(ids.size() * sizeof(uint32_t));
    DWORD type = 0;
    const LONG r = ::RegQueryValueExA(key, m_strValueName.c_str(), nullptr, &type,
                                      reinterpret_cast<BYTE*>(ids.data()), &size);
    ::RegCloseKey(key);
    if (r != ERROR_SUCCESS || type != REG_BINARY || size % sizeof(uint32_t) != 0) return;
    ids.resize(size / sizeof(uint32_t));
    // A value naming a command this toolbar does not have is not ours: keep
    // the initial arrangement.
    for (uint32_t id : ids) {
        if (id != 0 && (id < m_nFirstCmd || id > m_nLastCmd)) return;
    }
    while (::SendMessageA(m_hwnd, TB_DELETEBUTTON, 0, 0)) {
    }
    TBBUTTON sep{};
    sep.fsState = TBSTATE_ENABLED;
    sep.fsStyle = TBSTYLE_SEP;
    for (uint32_t id : ids) {
        const TBBUTTON* b = id == 0 ? &sep : &m_buttons[id - m_nFirstCmd];
        ::SendMessageA(m_hwnd, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(b));
    }
}

BOOL Toolbar::OnChildNotify(NMHDR* hdr, LRESULT* result) {
    switch (hdr->code) {
    case TBN_CUSTHELP: ::MessageBoxA(m_hwnd, "Help not implemented!", "", MB_OK); return TRUE;
    case TBN_TOOLBARCHANGE: return TRUE;
    case TBN_QUERYDELETE:
    case TBN_QUERYINSERT: *result = TRUE; return TRUE;
    case TBN_RESET:
        RestoreState();
        *result = TRUE;
        return TRUE;
    case TBN_ENDADJUST:
    case TBN_BEGINADJUST: SaveState(); return TRUE;
    case TBN_ENDDRAG: *result = 0; return TRUE;
    case TBN_BEGINDRAG: *result = 0; return FALSE;
    case TBN_GETBUTTONINFOA: {
        auto* info = reinterpret_cast<NMTOOLBARA*>(hdr);
        if (info->iItem >= m_nButtonCount || info->iItem < 0) {
            *result = FALSE;
            return TRUE;
        }
        char text[256] = {};
        ::LoadStringA(win::Instance(), m_nFirstCmd + static_cast<UINT>(info->iItem), text, sizeof text);
        if (info->pszText != nullptr && info->cchText > 0) {
            ::lstrcpynA(info->pszText, text, info->cchText);
        }
        info->tbButton = m_buttons[static_cast<size_t>(info->iItem)];
        *result = TRUE;
        return TRUE;
    }
    case TTN_NEEDTEXTA: {
        auto* tip = reinterpret_cast<NMTTDISPINFOA*>(hdr);
        tip->hinst = win::Instance();
        tip->lpszText = MAKEINTRESOURCEA(hdr->idFrom);
        return TRUE;
    }
    default: return FALSE;
    }
}

} // namespace win
