// The popup's skin: the bitmap and the region made of its shape.
#include "notify/popup_skin.h"
#include "win/help.h"

#include <cstring>
#include <new>
#include <vector>

namespace nuntio {

namespace {

// A region of the rectangles, which lie within width x height.
win::UniqueRegion RegionOf(const std::vector<Rect>& rects, int width, int height) {
    if (rects.empty()) return win::UniqueRegion(::CreateRectRgn(0, 0, 0, 0));
    std::vector<BYTE> data(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
    auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
    header->dwSize = sizeof(RGNDATAHEADER);
    header->iType = RDH_RECTANGLES;
    header->nCount = static_cast<DWORD>(rects.size());
    header->nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
    header->rcBound = RECT{0, 0, width, height};
    for (size_t i = 0; i < rects.size(); ++i) {
        const RECT r{rects[i].left, rects[i].top, rects[i].right, rects[i].bottom};
        std::memcpy(data.data() + sizeof(RGNDATAHEADER) + i * sizeof(RECT), &r, sizeof r);
    }
    win::UniqueRegion region(
        ::ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), reinterpret_cast<RGNDATA*>(data.data())));
    if (region) return region;
    // Rectangle by rectangle, as a last resort.
    region.Reset(::CreateRectRgn(0, 0, 0, 0));
    if (!region) return region;
    for (const Rect& r : rects) {
        const win::UniqueRegion one(::CreateRectRgn(r.left, r.top, r.right, r.bottom));
        if (one) ::CombineRgn(region.Get(), region.Get(), one.Get(), RGN_OR);
    }
    return region;
}

} // namespace

win::UniqueBitmap LoadSkinBitmap(UINT id) {
    // A DIB section keeps the bitmap's own colours whatever the screen's depth,
    // so the transparent colour is found exactly.
    return win::UniqueBitmap(static_cast<HBITMAP>(
        ::LoadImageA(win::Instance(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

win::UniqueRegion SkinRegion(HBITMAP skin, Rgb transparent) {
    BITMAP bm{};
    if (::GetObjectA(skin, sizeof bm, &bm) == 0) return {};
    const int width = bm.bmWidth;
    const int height = bm.bmHeight;
    if (ShownSkinWidth(width) <= 0 || height <= 0) return {};
    try {
        // The pixels as the shape reads them: 24-bit top-down rows.
        std::vector<uint8_t> pixels(Rgb24Stride(width) * static_cast<size_t>(height));
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = -height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 24;
        bi.bmiHeader.biCompression = BI_RGB;
        bi.bmiHeader.biSizeImage = static_cast<DWORD>(pixels.size());
        HDC screen = ::GetDC(nullptr);
        const int rows =
            ::GetDIBits(screen, skin, 0, static_cast<UINT>(height), pixels.data(), &bi, DIB_RGB_COLORS);
        ::ReleaseDC(nullptr, screen);
        if (rows != height) return {};
        return RegionOf(SkinShape(pixels, width, height, transparent), ShownSkinWidth(width), height);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

} // namespace nuntio
