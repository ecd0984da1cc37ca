// A font picker control: face and size lists, four style boxes and a
// sample, inside one child window. Every change of the user's choice is sent
// to the command window as the registered message with a LOGFONT pointer in
// wParam (valid while the message is handled) and the registered id in lParam.
#pragma once

#include <windows.h>

#include "core/font_choice.h"
#include "win/handles.h"
#include "win/thunk.h"

namespace nuntio {

class CSelectFont : public win::WindowImpl {
public:
    CSelectFont();

    // Becomes a child control of `parent` in `rect` (parent client coordinates).
    BOOL CreateAsChild(HWND parent, const RECT& rect);
    void SetCmdWndAndID(HWND wnd, UINT msg, UINT id);
    // Shows that font; the controls follow it. Heights are at 96 DPI, as the
    // configuration keeps them; the sample is drawn at the window's DPI.
    BOOL SetCurFont(const LOGFONTA* font);
    const LOGFONTA& CurFont() const { return m_font; }

private:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void CreateControls();
    void FillFaces();
    void ShowFont();
    void ShowSample();
    void OnChoice(int id);

    HWND m_cmdWnd = nullptr;
    UINT m_cmdMsg = 0;
    UINT m_cmdId = 0;
    LOGFONTA m_font{};
    win::UniqueFont m_sampleFont;
    FontFaces m_faces;
};

} // namespace nuntio
