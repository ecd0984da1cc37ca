// Owned Win32 handles: each type deletes its handle when it goes, so who owns
// a font, a menu or a region is written in the type. A plain HFONT, HMENU...
// is a borrowed one. Also a guard that puts back what SelectObject replaced.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace win {

// An owned handle of type H, freed with Free when it is replaced or goes.
template <class H, class Traits>
class Unique {
public:
    Unique() = default;
    explicit Unique(H h) : m_h(h) {}
    ~Unique() { Reset(); }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& other) noexcept : m_h(other.Release()) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    H Get() const { return m_h; }
    explicit operator bool() const { return m_h != Traits::Invalid(); }
    // Frees the handle held (after the new one is taken, so that resetting to
    // the same handle keeps it).
    void Reset(H h = Traits::Invalid()) {
        const H old = std::exchange(m_h, h);
        if (old != Traits::Invalid() && old != h) Traits::Free(old);
    }
    // Gives the handle away (to a window that takes it over, say).
    H Release() { return std::exchange(m_h, Traits::Invalid()); }

private:
    H m_h = Traits::Invalid();
};

namespace traits {
template <class H>
struct GdiObject {
    static H Invalid() { return nullptr; }
    static void Free(H h) { ::DeleteObject(h); }
};
struct Menu {
    static HMENU Invalid() { return nullptr; }
    static void Free(HMENU h) { ::DestroyMenu(h); }
};
struct ImageList {
    static HIMAGELIST Invalid() { return nullptr; }
    static void Free(HIMAGELIST h) { ::ImageList_Destroy(h); }
};
struct Icon {
    static HICON Invalid() { return nullptr; }
    static void Free(HICON h) { ::DestroyIcon(h); }
};
struct Kernel {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Free(HANDLE h) { ::CloseHandle(h); }
};
} // namespace traits

using UniqueFont = Unique<HFONT, traits::GdiObject<HFONT>>;
using UniqueBitmap = Unique<HBITMAP, traits::GdiObject<HBITMAP>>;
using UniqueBrush = Unique<HBRUSH, traits::GdiObject<HBRUSH>>;
using UniqueRegion = Unique<HRGN, traits::GdiObject<HRGN>>;
using UniqueMenu = Unique<HMENU, traits::Menu>;
using UniqueImageList = Unique<HIMAGELIST, traits::ImageList>;
using UniqueIcon = Unique<HICON, traits::Icon>;
// A file or other kernel handle (invalid is INVALID_HANDLE_VALUE).
using UniqueFile = Unique<HANDLE, traits::Kernel>;

// Selects an object into a device context and puts the one it replaced back.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(::SelectObject(dc, object)) {}
    ~SelectGuard() { ::SelectObject(m_dc, m_old); }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

} // namespace win
