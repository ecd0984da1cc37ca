// A modeless or modal dialog built from one of the library's templates. The
// object is found through GWLP_USERDATA, stored at WM_INITDIALOG and cleared at
// WM_NCDESTROY; no exception leaves the dialog procedure.
#pragma once

#include "win/window.h"

namespace win {

class Dialog : public Window {
public:
    Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;
    virtual ~Dialog();

    // Creates the dialog from template `id` of `module`; the window procedure
    // runs OnInitDialog before this returns. Returns false when creation fails.
    bool CreateModeless(HINSTANCE module, int id, HWND parent);
    // Runs the dialog modally; returns the code passed to EndDialog, or -1.
    INT_PTR RunModal(HINSTANCE module, int id, HWND parent);
    void Destroy();

protected:
    // Return TRUE when handled; `result` becomes DWLP_MSGRESULT for messages
    // that carry one.
    virtual INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp) = 0;
    virtual void OnFinalMessage() {}
    INT_PTR SetResult(LRESULT result) {
        ::SetWindowLongPtrA(m_hwnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    bool m_modal = false;

private:
    static INT_PTR CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
};

} // namespace win
