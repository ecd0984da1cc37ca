// The window procedures of the thunk: binding at birth, release at the last
// message, and no exception past the boundary.
#include "win/thunk.h"

#include <string>
#include <vector>

#include "win/dpi.h"
#include "win/help.h"

namespace win {
namespace {

std::vector<std::string> g_classes;                     // registered in this load
const std::function<void(HWND)>* g_sheetInit = nullptr; // the sheet being started

int CALLBACK SheetCallback(HWND sheet, UINT msg, LPARAM /*lp*/) {
    try {
        if (msg != PSCB_INITIALIZED || sheet == nullptr) return 0;
        FollowDpiChanges(sheet);
        if (g_sheetInit != nullptr && *g_sheetInit) (*g_sheetInit)(sheet);
    } catch (...) {
    }
    return 0;
}

} // namespace

Bound::~Bound() {
    if (m_hwnd != nullptr && ::IsWindow(m_hwnd)) {
        ::SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, 0);
        ::DestroyWindow(m_hwnd);
    }
    m_hwnd = nullptr;
}

void Bound::Destroy() {
    if (m_hwnd != nullptr && ::IsWindow(m_hwnd)) ::DestroyWindow(m_hwnd);
    m_hwnd = nullptr;
}

Bound* Bound::Take(HWND hwnd, Bound* birth) {
    if (birth != nullptr) {
        birth->m_hwnd = hwnd;
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(birth));
        return birth;
    }
    return reinterpret_cast<Bound*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

void Bound::Release(HWND hwnd, Bound* self) {
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->m_hwnd = nullptr;
    self->OnFinalMessage();
}

bool WindowImpl::Register(const char* cls, UINT style, HCURSOR cursor, HBRUSH background) {
    WNDCLASSA wc{};
    if (::GetClassInfoA(Instance(), cls, &wc)) return true;
    wc.style = style;
    wc.lpfnWndProc = &WindowImpl::Proc;
    wc.hInstance = Instance();
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.lpszClassName = cls;
    if (::RegisterClassA(&wc) == 0) return false;
    g_classes.emplace_back(cls);
    return true;
}

HWND WindowImpl::Create(const char* cls, DWORD exStyle, DWORD style, const RECT& rc, HWND parent, UINT_PTR id,
                        const char* text) {
    return ::CreateWindowExA(exStyle, cls, text, style, rc.left, rc.top, rc.right - rc.left,
                             rc.bottom - rc.top, parent, reinterpret_cast<HMENU>(id), Instance(), this);
}

LRESULT CALLBACK WindowImpl::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    try {
        Bound* birth = nullptr;
        if (msg == WM_NCCREATE)
            birth = static_cast<Bound*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        auto* self = static_cast<WindowImpl*>(Take(hwnd, birth));
        if (self == nullptr) return ::DefWindowProcA(hwnd, msg, wp, lp);
        const LRESULT r = self->HandleMessage(msg, wp, lp);
        if (msg == WM_NCDESTROY) Release(hwnd, self);
        return r;
    } catch (...) {
        // A failure inside one message must not reach the host.
        return msg == WM_NCCREATE ? FALSE : 0;
    }
}

bool Dialog::CreateModeless(HINSTANCE module, int id, HWND parent) {
    return ::CreateDialogParamA(module, MAKEINTRESOURCEA(id), parent, &Dialog::Proc,
                                reinterpret_cast<LPARAM>(static_cast<Bound*>(this))) != nullptr;
}

INT_PTR Dialog::RunModal(HINSTANCE module, int id, HWND parent) {
    return ::DialogBoxParamA(module, MAKEINTRESOURCEA(id), parent, &Dialog::Proc,
                             reinterpret_cast<LPARAM>(static_cast<Bound*>(this)));
}

INT_PTR CALLBACK Dialog::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    try {
        auto* self =
            static_cast<Dialog*>(Take(hwnd, msg == WM_INITDIALOG ? reinterpret_cast<Bound*>(lp) : nullptr));
        if (self == nullptr) return FALSE;
        // A top-level dialog follows a change of DPI unless it lays itself out.
        if (msg == WM_INITDIALOG && (::GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD) == 0 &&
            self->FollowsDpiChanges())
            FollowDpiChanges(hwnd);
        const INT_PTR r = self->HandleMessage(msg, wp, lp);
        if (msg == WM_NCDESTROY) Release(hwnd, self);
        return r;
    } catch (...) {
        return FALSE;
    }
}

PROPSHEETPAGEA PropertyPage::Describe(bool help) const {
    PROPSHEETPAGEA page{};
    page.dwSize = sizeof page;
    page.dwFlags = PSP_DEFAULT | (help ? PSP_HASHELP : 0);
    page.hInstance = Instance();
    page.pszTemplate = MAKEINTRESOURCEA(m_nTemplate);
    page.pfnDlgProc = &PropertyPage::Proc;
    page.lParam = reinterpret_cast<LPARAM>(static_cast<const Bound*>(this));
    return page;
}

INT_PTR CALLBACK PropertyPage::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    try {
        Bound* birth = nullptr;
        if (msg == WM_INITDIALOG && lp != 0)
            birth = reinterpret_cast<Bound*>(reinterpret_cast<const PROPSHEETPAGEA*>(lp)->lParam);
        auto* self = static_cast<PropertyPage*>(Take(hwnd, birth));
        if (self == nullptr) return FALSE;
        const INT_PTR r = self->HandleMessage(msg, wp, lp);
        if (msg == WM_NCDESTROY) Release(hwnd, self);
        return r;
    } catch (...) {
        return FALSE;
    }
}

INT_PTR RunPropertySheet(PROPSHEETHEADERA& header, const std::function<void(HWND sheet)>& onInit) {
    header.dwFlags |= PSH_USECALLBACK;
    header.pfnCallback = &SheetCallback;
    const std::function<void(HWND)>* outer = g_sheetInit;
    g_sheetInit = &onInit;
    const INT_PTR r = ::PropertySheetA(&header);
    g_sheetInit = outer;
    return r;
}

void UnregisterClasses() {
    for (const std::string& cls : g_classes)
        ::UnregisterClassA(cls.c_str(), Instance());
    g_classes.clear();
}

} // namespace win
