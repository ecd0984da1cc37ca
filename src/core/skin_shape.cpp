// The popup's shape from its skin's pixels.
#include "skin_shape.h"

#include <algorithm>

namespace nuntio {

std::optional<Rgb> TransparentColour(int red, int green, int blue) {
    auto none = [](int c) { return (c & 0xFFFF) == 0xFFFF; };
    if (none(red) || none(green) || none(blue)) return std::nullopt;
    return Rgb{static_cast<uint8_t>(red), static_cast<uint8_t>(green), static_cast<uint8_t>(blue)};
}

size_t Rgb24Stride(int32_t width) {
    return width > 0 ? (static_cast<size_t>(width) * 3 + 3) / 4 * 4 : 0;
}

int32_t ShownSkinWidth(int32_t width) {
    return width > 0 ? width / 4 * 4 : 0;
}

std::vector<Rect> SkinShape(std::span<const uint8_t> pixels, int32_t width, int32_t height, Rgb transparent) {
    std::vector<Rect> shape;
    const int32_t shown = ShownSkinWidth(width);
    const size_t stride = Rgb24Stride(width);
    if (shown <= 0 || height <= 0 || pixels.size() / stride < static_cast<size_t>(height)) return shape;

    size_t band = 0; // the first rectangle of the last band
    std::vector<Rect> runs;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* row = pixels.data() + stride * static_cast<size_t>(y);
        auto opaque = [&](int32_t x) {
            const uint8_t* p = row + static_cast<size_t>(x) * 3;
            return p[0] != transparent.blue || p[1] != transparent.green || p[2] != transparent.red;
        };
        runs.clear();
        for (int32_t x = 0; x < shown;) {
            if (!opaque(x)) {
                ++x;
                continue;
            }
            const int32_t left = x;
            while (x < shown && opaque(x))
                ++x;
            runs.push_back(Rect{left, y, x, y + 1});
        }
        // The band is the row above's runs (none after a row without any).
        const bool sameAsBand =
            shape.size() - band == runs.size() &&
            std::equal(runs.begin(), runs.end(), shape.begin() + static_cast<std::ptrdiff_t>(band),
                       [](const Rect& a, const Rect& b) { return a.left == b.left && a.right == b.right; });
        if (sameAsBand) {
            for (size_t i = band; i < shape.size(); ++i)
                shape[i].bottom = y + 1;
        } else {
            band = shape.size();
            shape.insert(shape.end(), runs.begin(), runs.end());
        }
    }
    return shape;
}

} // namespace nuntio
