// The popup's skin: its bitmap from the library's resources, and the window
// region cut out of it where the transparent colour is.
#pragma once

#include <windows.h>

#include "core/skin_shape.h"
#include "win/handles.h"

namespace nuntio {

// Bitmap `id` of the library; null when it cannot be loaded.
win::UniqueBitmap LoadSkinBitmap(UINT id);

// The window region of `skin`: its shown columns less the pixels of the
// transparent colour. Null when its pixels cannot be read.
win::UniqueRegion SkinRegion(HBITMAP skin, Rgb transparent);

} // namespace nuntio
