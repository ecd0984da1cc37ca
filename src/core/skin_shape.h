// The popup's shape from its skin: the pixels that are not of the transparent
// colour, as rectangles the window turns into its region.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "placement.h"

namespace nuntio {

struct Rgb {
    uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const Rgb&) const = default;
};

// The transparent colour as the categories give it: red, green and blue each
// in its low 8 bits; any of them -1 (0xFFFF in its low 16 bits) means none.
std::optional<Rgb> TransparentColour(int red, int green, int blue);

// Bytes from one row of a 24-bit bitmap `width` pixels wide to the next: rows
// are padded to whole groups of 4 bytes.
size_t Rgb24Stride(int32_t width);

// The columns of a skin `width` pixels wide that the popup shows: whole groups
// of four; the rest of the bitmap is never part of the window.
int32_t ShownSkinWidth(int32_t width);

// The shape of a skin: in the shown columns of each row, the runs of pixels
// that are not `transparent`; consecutive rows with the same runs make one
// band of taller rectangles. Ordered top to bottom, then left to right (the order
// of a region's rectangles). `pixels` holds `height` rows top-down, 3 bytes a
// pixel (blue, green, red), Rgb24Stride(width) bytes apart; empty when it is
// shorter than that or nothing is shown.
std::vector<Rect> SkinShape(std::span<const uint8_t> pixels, int32_t width, int32_t height, Rgb transparent);

} // namespace nuntio
