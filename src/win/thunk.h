// The one way a window of the library reaches its C++ object. The object is
// bound when the window is born — at WM_NCCREATE for a window of one of our
// classes (the object travels in CreateWindowEx's lpParam), at WM_INITDIALOG
// for a dialog (DialogBoxParam's lParam) or a property page (the lParam of its
// PROPSHEETPAGE) — and let go at WM_NCDESTROY, the window's last message,
// after which OnFinalMessage runs. An object destroyed while its window lives
// lets go first and then destroys the window, so no message reaches a half-
// destroyed object. No exception leaves a window procedure.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>

#include "win/window.h"

namespace win {

// What the three kinds share: the binding and its release.
class Bound : public Window {
public:
    Bound() = default;
    Bound(const Bound&) = delete;
    Bound& operator=(const Bound&) = delete;
    virtual ~Bound();

    // Destroys the window, which reaches the object as usual on the way.
    void Destroy();

protected:
    // After the window's last message; the object may be reused or deleted.
    virtual void OnFinalMessage() {}

    // For the procedures: the object of hwnd, binding it from `birth` first.
    static Bound* Take(HWND hwnd, Bound* birth);
    // For the procedures: after WM_NCDESTROY.
    static void Release(HWND hwnd, Bound* self);
};

// A window of a class of ours.
class WindowImpl : public Bound {
public:
    // Registers the class (once per load of the library) with this thunk as
    // its procedure; the library unregisters its classes when it unloads.
    static bool Register(const char* cls, UINT style, HCURSOR cursor = nullptr, HBRUSH background = nullptr);
    // Creates the window; null when that fails.
    HWND Create(const char* cls, DWORD exStyle, DWORD style, const RECT& rc, HWND parent, UINT_PTR id = 0,
                const char* text = "");

protected:
    // Unhandled messages go to DefWindowProc.
    virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) { return Default(msg, wp, lp); }
    LRESULT Default(UINT msg, WPARAM wp, LPARAM lp) { return ::DefWindowProcA(m_hwnd, msg, wp, lp); }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
};

// A modeless or modal dialog built from one of the library's templates.
class Dialog : public Bound {
public:
    // Creates the dialog from template `id`; OnInitDialog runs before this
    // returns. False when creation fails.
    bool CreateModeless(HINSTANCE module, int id, HWND parent);
    // Runs the dialog modally for parent; the code passed to EndDialog, or -1.
    INT_PTR RunModal(HINSTANCE module, int id, HWND parent);

protected:
    // TRUE when handled; SetResult gives the messages that carry one their result.
    virtual INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp) = 0;
    // A top-level dialog moves and grows its controls and remakes their
    // fonts by itself at WM_DPICHANGED (FollowDpiChanges), unless this says
    // it handles the message itself.
    virtual bool FollowsDpiChanges() const { return true; }
    INT_PTR SetResult(LRESULT result) {
        ::SetWindowLongPtrA(m_hwnd, DWLP_MSGRESULT, result);
        return TRUE;
    }

private:
    static INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
};

// A page of a property sheet built from one of the library's templates.
class PropertyPage : public Bound {
public:
    explicit PropertyPage(int templateId) : m_nTemplate(templateId) {}

    // The page's description for RunPropertySheet: the template, this object,
    // a Help button when asked for.
    PROPSHEETPAGEA Describe(bool help) const;

protected:
    virtual INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp) = 0;
    INT_PTR SetResult(LRESULT result) {
        ::SetWindowLongPtrA(m_hwnd, DWLP_MSGRESULT, result);
        return TRUE;
    }

private:
    static INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
    int m_nTemplate;
};

// Runs a modal property sheet of the library's pages; onInit runs once the
// sheet's window exists (the one sheet callback of the library). Returns what
// PropertySheetA returns.
INT_PTR RunPropertySheet(PROPSHEETHEADERA& header, const std::function<void(HWND sheet)>& onInit);

// Unregisters the classes registered through WindowImpl (at unload, once no
// window of them is left).
void UnregisterClasses();

} // namespace win
