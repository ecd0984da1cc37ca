// Answers modal dialogs and message boxes that the code under test opens on
// this thread. A thread timer (dispatched by the modal loop itself) looks for a
// visible dialog window (#32770) that did not exist when the answerer was
// armed, records its caption and text, and runs the test's action on it. An
// answerer armed inside another's action (for a box that a dialog opens)
// answers alone until it goes; then the outer one answers again.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

namespace testhost {

struct SeenDialog {
    std::string caption;
    std::string message; // a message box's text (static 0xFFFF), else empty
};

class DialogAnswerer {
public:
    using Action = std::function<void(HWND dialog)>;
    explicit DialogAnswerer(Action action);
    ~DialogAnswerer();
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;

    // The dialogs answered so far.
    const std::vector<SeenDialog>& Seen() const { return m_seen; }

    // Actions.
    static Action Press(int buttonId); // WM_COMMAND as a click would send it
    static Action Close();             // IDCANCEL

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    void Poll();

    Action m_action;
    std::set<HWND> m_known;
    std::vector<SeenDialog> m_seen;
    UINT_PTR m_timer = 0;
    DialogAnswerer* m_previous = nullptr;
};

// A visible, active top-level window standing for the host's main window; it
// records the requests the library sends or posts it (0x0839, 0x083C).
struct HostWindow {
    struct Request {
        UINT msg;
        WPARAM wp;
        LPARAM lp;
        std::string text; // what lParam points at, for the voice request
        HWND to;          // the host window that received it
    };
    // visible: false stands for a host minimised to the notification area.
    explicit HostWindow(bool visible = true);
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;
    HWND hwnd = nullptr;
    static std::vector<Request> requests;
    // Runs inside the host's handler of each request, after it is recorded.
    static std::function<void(UINT msg)> onRequest;
};

std::string ClassName(HWND hwnd);
std::string WindowText(HWND hwnd);
// Top-level windows of a class, of any thread; the visible dialog windows of
// this thread; a window's children of a class (any with null) in z-order, with
// `deep` theirs too.
std::vector<HWND> TopWindows(const char* cls);
std::vector<HWND> ThreadDialogs();
std::vector<HWND> Children(HWND parent, const char* cls = nullptr, bool deep = false);
// A window's place on the screen (in the client area of `in`, when given), the
// box around its region (empty without one), and a box as "left,top,right,bottom".
RECT WindowBox(HWND hwnd, HWND in = nullptr);
RECT RegionBox(HWND hwnd);
std::string BoxText(const RECT& box);
LOGFONTA FontOf(HWND hwnd);

// A dialog's controls as the trader works them: a click on the control (a
// check box toggles), the button's own command (as a click sends it, also to a
// button that is not there), a key pressed in an edit (the spinners take the
// arrow keys of their edit), and typed text.
bool Checked(HWND dialog, int id);
bool Enabled(HWND dialog, int id);
std::string Text(HWND dialog, int id);
void Click(HWND dialog, int id);
void Press(HWND dialog, int id);
void Key(HWND dialog, int id, UINT vk);
void Type(HWND dialog, int id, const char* text);

// A list view's column headings in display order; the texts of one column top
// to bottom; its selected rows; and a selection of these rows only (the last
// one focused).
std::vector<std::string> Headings(HWND list);
std::vector<std::string> ColumnTexts(HWND list, int sub);
std::vector<int> SelectedRows(HWND list);
void SelectOnly(HWND list, std::initializer_list<int> rows);

} // namespace testhost
