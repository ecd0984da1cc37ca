// The popup notifier. This first form keeps the category's settings and the
// last text; the skinned sliding window builds on it.
#include "notify/taskbar_notifier.h"

CTaskbarNotifier::~CTaskbarNotifier() = default;

bool CTaskbarNotifier::Create(HWND parent) {
    m_hParent = parent;
    return true;
}

bool CTaskbarNotifier::LoadSkin(int /*bitmapId*/, COLORREF /*transparent*/) { return true; }

void CTaskbarNotifier::SetFonts(const char* /*face*/, int /*size*/, int /*normalStyle*/, int /*hoverStyle*/) {}

void CTaskbarNotifier::SetColors(COLORREF /*normal*/, COLORREF /*hover*/) {}

void CTaskbarNotifier::SetTextArea(const RECT& /*rc*/) {}

void CTaskbarNotifier::ShowPopup(const std::string& text, DWORD /*showMs*/, DWORD /*stayMs*/, DWORD /*hideMs*/) {
    m_strText = text;
}

void CTaskbarNotifier::Hide() {}
