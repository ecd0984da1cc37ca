// The scales the library's pictures are drawn at (percent of 96 DPI) and the
// resource id of a picture at each of them. A picture with id n at 100 % has
// id n + 20000 at 125 %, n + 30000 at 150 % and n + 40000 at 200 %; the base
// ids stay below 25536, so every scaled id fits a resource id.
#pragma once

namespace nuntio {

inline constexpr int kArtScales[] = {100, 125, 150, 200};

// The picture scale for `dpi` dots per inch: the one of kArtScales nearest to
// dpi / 96, a tie going to the larger; below 96 DPI 100, above 192 DPI 200.
int NearestArtScale(int dpi);

// The id of picture `baseId` (its id at 100 %) drawn at `scale`; a scale that
// is not one of kArtScales gives `baseId`.
int ScaledArtId(int baseId, int scale);

} // namespace nuntio
