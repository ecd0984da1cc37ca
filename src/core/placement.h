// Where a window opens that was saved at a rectangle: the rule that keeps a
// saved place the user can still reach (a monitor removed, a damaged
// Nuntio.ini).
#pragma once

#include <algorithm>
#include <cstdint>

namespace nuntio {

struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    int64_t Width() const { return static_cast<int64_t>(right) - left; }
    int64_t Height() const { return static_cast<int64_t>(bottom) - top; }
    bool operator==(const Rect&) const = default;
};

// How much of the caption must lie on the work area for the user to grab it.
inline constexpr int32_t kGrabWidth = 100;
inline constexpr int32_t kGrabHeight = 20;

// The place for a window saved at `saved`, given the work area of the monitor
// nearest to it: saved itself while its caption can be grabbed there; else
// moved (and shrunk when larger) to lie wholly on the work area. An empty
// rectangle for an impossible saved one (no width or height, or far larger
// than the work area): the caller then uses its default place.
inline Rect PlaceOnWorkArea(const Rect& saved, const Rect& work) {
    if (saved.Width() <= 0 || saved.Height() <= 0 || saved.Width() > 4 * work.Width() ||
        saved.Height() > 4 * work.Height())
        return {};
    const int64_t grabLeft = std::max<int64_t>(saved.left, work.left);
    const int64_t grabRight = std::min<int64_t>(saved.right, work.right);
    const bool grabbable = grabRight - grabLeft >= std::min<int64_t>(kGrabWidth, saved.Width()) &&
                           saved.top >= work.top && saved.top + kGrabHeight <= work.bottom;
    if (grabbable) return saved;
    const int64_t w = std::min(saved.Width(), work.Width()), h = std::min(saved.Height(), work.Height());
    const int64_t left = std::clamp<int64_t>(saved.left, work.left, work.right - w);
    const int64_t top = std::clamp<int64_t>(saved.top, work.top, work.bottom - h);
    return {static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(left + w),
            static_cast<int32_t>(top + h)};
}

} // namespace nuntio
