// The library's pictures at the scale drawn nearest to a DPI (100, 125, 150
// or 200 %): nothing is stretched.
#pragma once

#include <windows.h>

namespace win {

// A picture's side given at 100 % (px), at the scale drawn for dpi.
int ArtSize(int px, int dpi);
// Icon baseId (its id at 100 %) of side px at 100 %, drawn for dpi (shared:
// not to be destroyed); the 100 % icon where the scaled one is missing.
HICON LoadArtIcon(int baseId, int px, int dpi);

} // namespace win
