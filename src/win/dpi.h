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
// or of the system when the window has none yet.
int DpiOf(HWND wnd);
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

} // namespace win
