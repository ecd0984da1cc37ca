#include "art_scale.h"

#include <climits>
#include <cstdlib>

namespace nuntio {

int NearestArtScale(int dpi) {
    // In hundredths of a dot per inch: scale s stands for s * 96 / 100 DPI.
    // The scales go up, so on a tie the later, larger one wins.
    const long long want = static_cast<long long>(dpi) * 100;
    int best = kArtScales[0];
    long long bestDistance = LLONG_MAX;
    for (const int scale : kArtScales) {
        const long long distance = std::llabs(want - static_cast<long long>(scale) * 96);
        if (distance <= bestDistance) {
            best = scale;
            bestDistance = distance;
        }
    }
    return best;
}

int ScaledArtId(int baseId, int scale) {
    switch (scale) {
    case 125: return baseId + 20000;
    case 150: return baseId + 30000;
    case 200: return baseId + 40000;
    default: return baseId;
    }
}

} // namespace nuntio
