// The popup's slide beside the taskbar: which side the taskbar is on, where
// the popup comes from on that side and where it goes, and the phases it
// passes through (hidden, showing, shown, hiding) as its three timers tick.
// Nothing here touches a window: each step says what the window is to do.
#pragma once

#include <cstdint>
#include <optional>

#include "placement.h"

namespace nuntio {

enum class TaskbarSide { Bottom, Top, Left, Right };

// The taskbar's side: where the work area leaves part of the screen. A screen
// without a taskbar counts as one with it at the bottom.
TaskbarSide TaskbarSideOf(const Rect& work, int32_t screenWidth, int32_t screenHeight);

struct Point {
    int32_t x = 0, y = 0;
    bool operator==(const Point&) const = default;
};

inline constexpr int32_t kSlideStep = 2; // pixels per tick

// The road of a popup of width x height on one side of the work area. It
// slides along `step`, in whole steps, until it has come at least its width
// (left, right) or its height (top, bottom) from `start`, and back to `start`.
struct SlidePlan {
    Point start;       // just beyond the work area's edge, against its far corner
    Point shown;       // wholly inside the work area, against the same corner
    Point step;        // one tick outwards
    int32_t ticks = 1; // ticks a slide is timed for: the travel over kSlideStep, at least one
    bool operator==(const SlidePlan&) const = default;
};
SlidePlan PlanSlide(TaskbarSide side, const Rect& work, int32_t width, int32_t height);

enum class SlidePhase { Hidden, Showing, Shown, Hiding };

// The popup window's three timers; the values are their ids.
enum class SlideTimer : uint8_t { None = 0, Out = 1, Stay = 2, Back = 3 };

// What the window does for one step, in this order.
struct SlideStep {
    bool hide = false;                   // stop every timer, hide, shrink to nothing at 0, 0
    bool show = false;                   // show the window without activating it
    SlideTimer kill = SlideTimer::None;  // stop this timer
    SlideTimer start = SlideTimer::None; // (re)start this timer with `period` ms
    uint32_t period = 0;
    std::optional<Point> move{}; // the window's top left, at the skin's size
    bool redraw = false;         // draw it again: the text has changed
    bool operator==(const SlideStep&) const = default;
};

// How long a showing takes, in ms: the slide out, the stay, the slide back.
struct SlideTimes {
    uint32_t out = 0, stay = 0, back = 0;
};

class PopupSlide {
public:
    // A new message for a popup of width x height. Hidden: it starts sliding
    // out of the taskbar's side of the work area. Showing: it goes on. Shown:
    // the stay starts over. Hiding: it is back at once where it is wholly
    // shown, and stays again. The stay is the one asked last.
    SlideStep Show(TaskbarSide side, const Rect& work, int32_t width, int32_t height,
                   const SlideTimes& times);
    // A tick of `timer`. A tick of a timer that is not the phase's (already
    // queued when the phase changed) only stops that timer.
    SlideStep Tick(SlideTimer timer);
    // The window was hidden by other means (a click, a close, its owner).
    void Stop() { m_phase = SlidePhase::Hidden; }

    SlidePhase Phase() const { return m_phase; }
    Point Position() const { return m_at; }

private:
    // How far the popup has come out from the start, and how far it goes.
    int32_t Travelled() const;
    int32_t Travel() const;

    SlidePhase m_phase = SlidePhase::Hidden;
    SlidePlan m_plan;
    Point m_at;
    uint32_t m_stay = 0;
    uint32_t m_outPeriod = 0;
    uint32_t m_backPeriod = 0;
};

} // namespace nuntio
