// The column settings dialog (template 5020): which columns a list shows and
// in what order.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace nuntio {

struct ColumnChoice {
    int columns = 0;                                                  // slots in use (at most 10)
    int32_t positions[10] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1}; // per slot: its place, -1 hidden
    std::string names[10];                                            // per slot: its heading
};

// Runs the dialog modally for owner over choice. On OK the new positions are
// in choice and the function returns true; on Cancel nothing changed.
bool RunColumnSettings(HWND owner, ColumnChoice& choice);

} // namespace nuntio
