// The dialog keys of a modeless window of the library, whatever message loop
// runs the thread. The host's loop knows nothing of our windows (it calls
// neither IsDialogMessage nor TranslateAccelerator for them), so a message
// hook on the thread looks at each key message as it leaves the queue. A key
// for the window or one of its children is turned, in place, into the message
// the dialog manager would have made of it: the host's loop then dispatches
// that. Keys for any other window pass untouched, and nothing is done while a
// menu is open.
#pragma once

#include <windows.h>

#include <functional>

namespace win {

class DialogKeys {
public:
    // Makes a command (or another message) of a key message for the window
    // before the dialog keys are looked at; true when msg now carries it.
    using Translate = std::function<bool(MSG& msg)>;

    DialogKeys() = default;
    ~DialogKeys() { Detach(); }
    DialogKeys(const DialogKeys&) = delete;
    DialogKeys& operator=(const DialogKeys&) = delete;

    // From now on `dialog` gets: `translate` first, then Tab and Shift+Tab
    // (next and previous control), Enter (the focused push button, else the
    // default button, else IDOK) and Esc (IDCANCEL), each unless the focused
    // control wants the key itself.
    void Attach(HWND dialog, Translate translate = {});
    void Detach();

    // For the hook: rewrites msg when it is a key of this window.
    bool Route(MSG& msg) const;

private:
    HWND m_hwnd = nullptr;
    Translate m_translate;
};

// The command that `table` gives the key of msg (WM_KEYDOWN or WM_SYSKEYDOWN)
// with Shift, Ctrl and Alt as they are now; 0 when it gives none.
WORD AcceleratorCommand(HACCEL table, const MSG& msg);

} // namespace win
