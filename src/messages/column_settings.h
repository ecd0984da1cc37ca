// The column settings dialog (template 5020) as the category runs it.
#pragma once

class CMsgCategory;

namespace nuntio {
// Runs the dialog modally over the category's columns. On OK the new
// positions are in the category's configuration and the function returns
// true (the category then rebuilds its columns); on Cancel nothing changed.
bool RunColumnSettings(CMsgCategory& category);
} // namespace nuntio
