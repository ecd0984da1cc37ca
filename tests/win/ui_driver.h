// Answers modal dialogs and message boxes that the code under test opens on
// this thread. A thread timer (dispatched by the modal loop itself) looks for a
// visible dialog window (#32770) that did not exist when the answerer was
// armed, records its caption and text, and runs the test's action on it. An
// answerer armed inside another's action (for a box that a dialog opens)
// answers alone until it goes; then the outer one answers again.
#pragma once

#include <windows.h>

#include <functional>
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
// Visible top-level dialog windows of this thread.
std::vector<HWND> ThreadDialogs();
// A list view's column headings in display order, and the column under one.
std::vector<std::string> Headings(HWND list);
int ColumnOf(HWND list, const std::string& heading);

} // namespace testhost
