// What the library's own controls tell a screen reader, and the system's
// high-contrast setting.
//
// A control of a class of ours answers WM_GETOBJECT with AnswerGetObject: the
// reader gets the system's standard object for the window, except that name,
// role and value are the control's own. The accessibility library is loaded on
// the first question, so a host without a screen reader never loads it.
#pragma once

#include <windows.h>

#include <string>

namespace win {

// What a control says about itself (GBK texts).
struct AccessibleFacts {
    std::string name;
    long role = 0; // ROLE_SYSTEM_*
    std::string value;
};

// Asked each time a reader reads the control; false once the control is gone.
using DescribeFn = bool (*)(HWND hwnd, AccessibleFacts& facts);

// The result of WM_GETOBJECT (wp, lp) for hwnd: the control's object for
// OBJID_CLIENT, else 0 (what DefWindowProc would answer). 0 as well when the
// system's accessibility library cannot be had.
LRESULT AnswerGetObject(HWND hwnd, WPARAM wp, LPARAM lp, DescribeFn describe);

// The label a dialog gives a control: the text of the static or group box
// just before it in z-order, without its mnemonic '&' and closing colon.
// Empty when there is none.
std::string LabelOf(HWND control);

// True while the user has high contrast on: the library's own drawing then
// takes the system colours.
bool HighContrast();

} // namespace win
