#include "win/art.h"

#include "core/art_scale.h"
#include "win/help.h"

namespace win {

int ArtSize(int px, int dpi) {
    return px * nuntio::NearestArtScale(dpi) / 100;
}

HICON LoadArtIcon(int baseId, int px, int dpi) {
    const int scale = nuntio::NearestArtScale(dpi);
    const int size = px * scale / 100;
    HANDLE icon = ::LoadImageA(Instance(), MAKEINTRESOURCEA(nuntio::ScaledArtId(baseId, scale)), IMAGE_ICON,
                               size, size, LR_SHARED);
    if (icon == nullptr)
        icon = ::LoadImageA(Instance(), MAKEINTRESOURCEA(baseId), IMAGE_ICON, size, size, LR_SHARED);
    return static_cast<HICON>(icon);
}

} // namespace win
