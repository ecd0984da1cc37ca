// Non-owning views of window handles and the small helpers every window of the
// library uses. No product logic lives here.
#pragma once

#include <windows.h>

#include <string>

namespace win {

// A borrowed HWND: copying it copies the handle, destroying it does nothing.
class Window {
public:
    Window() = default;
    Window(HWND hwnd) : m_hwnd(hwnd) {}
    operator HWND() const { return m_hwnd; }
    HWND Handle() const { return m_hwnd; }
    void Attach(HWND hwnd) { m_hwnd = hwnd; }
    HWND Detach() {
        HWND h = m_hwnd;
        m_hwnd = nullptr;
        return h;
    }
    bool IsLive() const { return m_hwnd != nullptr && ::IsWindow(m_hwnd); }
    bool IsVisible() const { return m_hwnd != nullptr && ::IsWindowVisible(m_hwnd); }
    HWND Item(int id) const { return ::GetDlgItem(m_hwnd, id); }
    LRESULT Send(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return ::SendMessageA(m_hwnd, msg, wp, lp); }
    BOOL Post(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return ::PostMessageA(m_hwnd, msg, wp, lp); }
    void Show(int cmd) const { ::ShowWindow(m_hwnd, cmd); }
    RECT ClientRect() const {
        RECT rc{};
        ::GetClientRect(m_hwnd, &rc);
        return rc;
    }
    RECT WindowRect() const {
        RECT rc{};
        ::GetWindowRect(m_hwnd, &rc);
        return rc;
    }
    void Move(int x, int y, int cx, int cy, bool repaint = true) const {
        ::MoveWindow(m_hwnd, x, y, cx, cy, repaint ? TRUE : FALSE);
    }
    std::string Text() const {
        int n = ::GetWindowTextLengthA(m_hwnd);
        std::string s(static_cast<size_t>(n > 0 ? n : 0) + 1, '\0');
        n = ::GetWindowTextA(m_hwnd, s.data(), static_cast<int>(s.size()));
        s.resize(static_cast<size_t>(n > 0 ? n : 0));
        return s;
    }
    void SetText(const char* text) const { ::SetWindowTextA(m_hwnd, text); }

protected:
    HWND m_hwnd = nullptr;
};

// Moves window (its size kept) to the centre of box, in the coordinates of
// its parent (the screen's for a top-level window).
inline void CentreIn(HWND window, const RECT& box) {
    RECT rc{};
    ::GetWindowRect(window, &rc);
    const int cx = rc.right - rc.left;
    const int cy = rc.bottom - rc.top;
    ::SetWindowPos(window, nullptr, box.left + (box.right - box.left - cx) / 2,
                   box.top + (box.bottom - box.top - cy) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace win
