// The popup's slide: the plan per taskbar side and the phases.
#include "popup_slide.h"

namespace nuntio {

TaskbarSide TaskbarSideOf(const Rect& work, int32_t screenWidth, int32_t screenHeight) {
    if (work.Width() < screenWidth) return work.left == 0 ? TaskbarSide::Right : TaskbarSide::Left;
    if (work.Height() < screenHeight && work.top != 0) return TaskbarSide::Top;
    return TaskbarSide::Bottom;
}

SlidePlan PlanSlide(TaskbarSide side, const Rect& work, int32_t width, int32_t height) {
    SlidePlan p;
    switch (side) {
    case TaskbarSide::Right:
        p.start = {work.right, work.bottom - height};
        p.shown = {work.right - width, work.bottom - height};
        p.step = {-kSlideStep, 0};
        break;
    case TaskbarSide::Left:
        p.start = {work.left - width, work.bottom - height};
        p.shown = {work.left, work.bottom - height};
        p.step = {kSlideStep, 0};
        break;
    case TaskbarSide::Top:
        p.start = {work.right - width, work.top - height};
        p.shown = {work.right - width, work.top};
        p.step = {0, kSlideStep};
        break;
    case TaskbarSide::Bottom:
        p.start = {work.right - width, work.bottom};
        p.shown = {work.right - width, work.bottom - height};
        p.step = {0, -kSlideStep};
        break;
    }
    // A popup smaller than one step is timed as one tick.
    const int32_t travel = p.step.x != 0 ? width : height;
    p.ticks = travel / kSlideStep > 0 ? travel / kSlideStep : 1;
    return p;
}

namespace {

// How far `to` lies from `from` along the direction of `step`.
int32_t Along(Point from, Point to, Point step) {
    const int64_t d =
        (static_cast<int64_t>(to.x) - from.x) * step.x + (static_cast<int64_t>(to.y) - from.y) * step.y;
    return static_cast<int32_t>(d / kSlideStep);
}

} // namespace

int32_t PopupSlide::Travelled() const {
    return Along(m_plan.start, m_at, m_plan.step);
}

int32_t PopupSlide::Travel() const {
    return Along(m_plan.start, m_plan.shown, m_plan.step);
}

SlideStep PopupSlide::Show(TaskbarSide side, const Rect& work, int32_t width, int32_t height,
                           const SlideTimes& times) {
    m_stay = times.stay;
    SlideStep s;
    switch (m_phase) {
    case SlidePhase::Hidden:
        m_plan = PlanSlide(side, work, width, height);
        m_outPeriod = times.out / static_cast<uint32_t>(m_plan.ticks);
        m_backPeriod = times.back / static_cast<uint32_t>(m_plan.ticks);
        m_at = m_plan.start;
        m_phase = SlidePhase::Showing;
        s.show = true;
        s.start = SlideTimer::Out;
        s.period = m_outPeriod;
        break;
    case SlidePhase::Showing: s.redraw = true; break;
    case SlidePhase::Shown:
        s.start = SlideTimer::Stay;
        s.period = m_stay;
        s.redraw = true;
        break;
    case SlidePhase::Hiding: {
        // Wholly shown on the side the taskbar is on now; the way back is the
        // one the popup came out by.
        const SlidePlan now = PlanSlide(side, work, width, height);
        if (now.step.x != 0)
            m_at.x = now.shown.x;
        else
            m_at.y = now.shown.y;
        m_phase = SlidePhase::Shown;
        s.kill = SlideTimer::Back;
        s.start = SlideTimer::Stay;
        s.period = m_stay;
        s.move = m_at;
        s.redraw = true;
        break;
    }
    }
    return s;
}

SlideStep PopupSlide::Tick(SlideTimer timer) {
    SlideStep s;
    if (timer == SlideTimer::Out && m_phase == SlidePhase::Showing) {
        if (Travelled() < Travel()) {
            m_at = {m_at.x + m_plan.step.x, m_at.y + m_plan.step.y};
        } else {
            m_phase = SlidePhase::Shown;
            s.kill = SlideTimer::Out;
            s.start = SlideTimer::Stay;
            s.period = m_stay;
        }
        s.move = m_at;
    } else if (timer == SlideTimer::Stay && m_phase == SlidePhase::Shown) {
        m_phase = SlidePhase::Hiding;
        s.kill = SlideTimer::Stay;
        s.start = SlideTimer::Back;
        s.period = m_backPeriod;
    } else if (timer == SlideTimer::Back && m_phase == SlidePhase::Hiding) {
        if (Travelled() > 0) {
            m_at = {m_at.x - m_plan.step.x, m_at.y - m_plan.step.y};
        } else {
            m_phase = SlidePhase::Hidden;
            s.hide = true;
        }
        s.move = m_at;
    } else {
        s.kill = timer;
    }
    return s;
}

} // namespace nuntio
