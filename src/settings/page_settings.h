// The font and colour sheet ("<tab> - 页面设置") as the category runs it.
#pragma once

class CMsgCategory;

namespace nuntio {
// Runs the sheet modally. While it runs, OK applies the picked font (to the
// category's working font and list, the header without italic, underline and
// strike-out), the text colour, text background, background and image-list
// background to the category's list. Returns true for OK.
bool RunPageSettings(CMsgCategory& category);
} // namespace nuntio
