// The one dialog procedure of the library: finds the object and keeps
// exceptions inside.
#include "win/dialog.h"

namespace win {

Dialog::~Dialog() {
    // The derived object is gone by now: the window must not reach it while
    // it is destroyed. A derived class that has work to do when its window
    // ends destroys the window in its own destructor.
    if (m_hwnd != nullptr && ::IsWindow(m_hwnd)) {
        ::SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, 0);
        ::DestroyWindow(m_hwnd);
    }
    m_hwnd = nullptr;
}

bool Dialog::CreateModeless(HINSTANCE module, int id, HWND parent) {
    m_modal = false;
    HWND hwnd = ::CreateDialogParamA(module, MAKEINTRESOURCEA(id), parent, &Dialog::StaticProc,
                                     reinterpret_cast<LPARAM>(this));
    return hwnd != nullptr;
}

INT_PTR Dialog::RunModal(HINSTANCE module, int id, HWND parent) {
    m_modal = true;
    return ::DialogBoxParamA(module, MAKEINTRESOURCEA(id), parent, &Dialog::StaticProc,
                             reinterpret_cast<LPARAM>(this));
}

void Dialog::Destroy() {
    if (m_hwnd != nullptr && ::IsWindow(m_hwnd)) {
        ::DestroyWindow(m_hwnd);
    }
    m_hwnd = nullptr;
}

INT_PTR CALLBACK Dialog::StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    try {
        Dialog* self = nullptr;
        if (msg == WM_INITDIALOG) {
            self = reinterpret_cast<Dialog*>(lp);
            ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, lp);
            self->m_hwnd = hwnd;
        } else {
            self = reinterpret_cast<Dialog*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        }
        if (self == nullptr) return FALSE;
        INT_PTR r = self->HandleMessage(msg, wp, lp);
        if (msg == WM_NCDESTROY) {
            ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            self->m_hwnd = nullptr;
            self->OnFinalMessage();
        }
        return r;
    } catch (...) {
        // A failure inside one message must not take the host down; the message
        // counts as unhandled.
        return FALSE;
    }
}

} // namespace win
