// The DPI a window lays out for. A host that declares itself DPI-aware gets
// the monitor's DPI here and our windows scale their fixed pixel sizes; an
// unaware host is told 96 by Windows and sees the sizes unchanged. The calls
// that came with later Windows versions are looked up at run time, so the
// DLL still loads where they are missing.
#pragma once

#include <windows.h>

namespace win {

constexpr int kBaseDpi = 96;

// The DPI of the window (per monitor where the host is per-monitor aware),
// or of the system when the window has none yet. A top-level window that
// was told of a new DPI (WM_DPICHANGED) keeps it with NoteDpi, and its
// children are asked at that DPI from then on.
int DpiOf(HWND wnd);
// Keeps dpi as the DPI of the top-level window top (0: forget it; a window
// must forget before it is destroyed).
void NoteDpi(HWND top, int dpi);
// The DPI of the system: what a new window gets before it has a monitor.
int SystemDpi();
// The DPI of the monitor that holds pt, where the host is per-monitor aware;
// the system's otherwise.
int DpiAt(POINT pt);

// A size given for 96 DPI, at dpi (rounded to nearest, as MulDiv does).
inline int Scale(int px, int dpi) {
    return ::MulDiv(px, dpi, kBaseDpi);
}
// A size at dpi, back at 96 DPI (what the stored sizes are kept at).
inline int Unscale(int px, int dpi) {
    return dpi > 0 ? ::MulDiv(px, kBaseDpi, dpi) : px;
}

// GetSystemMetricsForDpi where it exists; the system's metric scaled from
// the system DPI otherwise.
int MetricForDpi(int index, int dpi);

// A font height given for 96 DPI (negative: character height) at dpi.
inline LONG ScaleFontHeight(LONG height, int dpi) {
    return ::MulDiv(height, dpi, kBaseDpi);
}

// Makes a top-level window of standard controls (a dialog, a property sheet)
// follow WM_DPICHANGED by itself: it takes the suggested place, every window
// inside moves and grows by the ratio of the two DPIs and gets its font again
// at the new size. The fonts made are freed with the window.
void FollowDpiChanges(HWND top);
// Tells Windows not to scale the dialog by itself at a change of DPI (it
// does so for a per-monitor v2 host): the dialog lays itself out.
void TakeOverDpiChanges(HWND dialog);

} // namespace win
