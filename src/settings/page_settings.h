// The font and colour sheet ("<tab> - 页面设置"): what a category's list looks like.
#pragma once

#include <windows.h>

#include <string>

namespace nuntio {

struct ListLook {
    LOGFONTA font;
    COLORREF text;
    COLORREF back;
};

// Runs the sheet modally for owner, starting from look. True for OK, with the
// choice in look; Cancel leaves it as it was.
bool RunPageSettings(HWND owner, const std::string& tabName, ListLook& look);

} // namespace nuntio
