// The popup's rules that need no window: the caption's parts, the slide on
// each side of the taskbar and through its phases, the shape cut from a skin.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "popup_slide.h"
#include "popup_text.h"
#include "skin_shape.h"

using namespace nuntio;

namespace nuntio {
void PrintTo(const Point& p, std::ostream* os) {
    *os << "(" << p.x << ", " << p.y << ")";
}
void PrintTo(const SlideStep& s, std::ostream* os) {
    *os << "{hide " << s.hide << ", show " << s.show << ", kill " << int(s.kill) << ", start " << int(s.start)
        << " " << s.period << " ms, move " << testing::PrintToString(s.move) << ", redraw " << s.redraw
        << "}";
}
} // namespace nuntio

namespace {

// ---- The caption -------------------------------------------------------------

TEST(PopupText, TitleBeforeTheFirstLineBreakBodyAfterTheBlankLineWithoutEmptyBrackets) {
    const std::string lead = "\x81["; // one character whose trail byte is '['
    const struct {
        std::string text, title, body;
    } cases[] = {
        {"行情[]预警\r\n\r\n[]600000:浦发银行\r\n最新价[]上穿[]", "行情[]预警",
         "600000:浦发银行\r\n最新价上穿"},
        {"\r\n\r\n", "", ""},
        {"交易-\r\n\r\n[][]", "交易-", ""},
        {"t\r\n\r\n[[]]", "t", "[]"},                // one pass from the left
        {"标题\r\n正文", "标题", "正文"},            // no blank line: the body follows the title's line break
        {"只有正文[]", "", "只有正文"},              // no line break: no title
        {"t\r\n\r\n" + lead + "]", "t", lead + "]"}, // the ']' after it ends no empty pair
        {"t\r\n\r\n" + lead + "[]", "t", lead},
        {"t\r\n\r\n[\x81]]", "t", "[\x81]]"},
        {"t\r\n\r\n\x81", "t", "\x81"}, // a lone lead byte at the end
    };
    for (const auto& c : cases) {
        const PopupText t = SplitPopupText(c.text);
        EXPECT_EQ(t.title, c.title) << c.text;
        EXPECT_EQ(t.body, c.body) << c.text;
    }
}

// ---- The slide ---------------------------------------------------------------

using P = SlidePhase;
using S = TaskbarSide;
using T = SlideTimer;

// A 1024 x 768 screen with a taskbar 30 high or 40 wide.
constexpr Rect kBottom{0, 0, 1024, 738}, kTop{0, 30, 1024, 768}, kLeft{40, 0, 1024, 768},
    kRight{0, 0, 984, 768};

// The four sides are in the slides below; here, work areas of other shapes.
TEST(PopupSlide, TheTaskbarIsWhereTheWorkAreaLeavesPartOfTheScreen) {
    const std::pair<Rect, TaskbarSide> cases[] = {
        {{0, 0, 1024, 768}, S::Bottom},    // no taskbar
        {{0, 0, 984, 738}, S::Right},      // narrower and shorter: the width decides
        {{40, 30, 1024, 768}, S::Left},    // the same, the other way
        {{0, 30, 1024, 738}, S::Top},      // shorter, not starting at the top
        {{1024, 0, 2048, 738}, S::Bottom}, // as wide as the screen, elsewhere
    };
    for (const auto& [work, side] : cases)
        EXPECT_EQ(TaskbarSideOf(work, 1024, 768), side) << work.left << "," << work.top;
}

// Ticks `t` while the slide is in `phase`, `most` times at most; the steps.
std::vector<SlideStep> TickWhile(PopupSlide& slide, SlidePhase phase, SlideTimer t, size_t most = 10000) {
    std::vector<SlideStep> steps;
    while (slide.Phase() == phase && steps.size() < most)
        steps.push_back(slide.Tick(t));
    return steps;
}

TEST(PopupSlide, OutOfTheTaskbarSideInWholeStepsStayAndBackToTheStart) {
    const struct {
        Rect work; // of a 1024 x 768 screen
        int32_t w, h;
        Point start, out, shown; // shown: where a message while hiding brings it back to
        size_t ticks;            // of each slide, the last one ending it
        uint32_t outMs, backMs;  // 4900 and 8330 ms over the travel in whole steps
    } cases[] = {
        {kBottom, 197, 171, {827, 738}, {827, 566}, {827, 567}, 87, 57, 98},
        {kTop, 197, 171, {827, -141}, {827, 31}, {827, 30}, 87, 57, 98},
        {kLeft, 197, 171, {-157, 597}, {41, 597}, {40, 597}, 100, 50, 85},
        {kRight, 197, 171, {984, 597}, {786, 597}, {787, 597}, 100, 50, 85},
        {kBottom, 180, 152, {844, 738}, {844, 586}, {844, 586}, 77, 64, 109}, // even: no step beyond
        {kRight, 1, 1, {984, 767}, {982, 767}, {983, 767}, 2, 4900, 8330},    // less than a step
        {kTop, 0, 0, {1024, 30}, {1024, 30}, {1024, 30}, 1, 4900, 8330},      // no skin yet
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.start));
        const TaskbarSide side = TaskbarSideOf(c.work, 1024, 768);
        EXPECT_EQ(PlanSlide(side, c.work, c.w, c.h).shown, c.shown);
        PopupSlide slide;
        // Times that a tick more or less in the travel would change.
        EXPECT_EQ(slide.Show(side, c.work, c.w, c.h, {4900, 3000, 8330}),
                  (SlideStep{.show = true, .start = T::Out, .period = c.outMs}));
        EXPECT_EQ(slide.Position(), c.start);
        const std::vector<SlideStep> out = TickWhile(slide, P::Showing, T::Out);
        EXPECT_EQ(out.size(), c.ticks);
        EXPECT_EQ(out.back(), (SlideStep{.kill = T::Out, .start = T::Stay, .period = 3000, .move = c.out}));
        EXPECT_EQ(slide.Tick(T::Stay), (SlideStep{.kill = T::Stay, .start = T::Back, .period = c.backMs}));
        const std::vector<SlideStep> back = TickWhile(slide, P::Hiding, T::Back);
        EXPECT_EQ(back.size(), c.ticks);
        EXPECT_EQ(back.back(), (SlideStep{.hide = true, .move = c.start})) << "hidden where it came from";
    }
}

// In each phase (skin 197 x 171 over the taskbar at the bottom; 10 ticks out,
// all of them, 5 ticks back): a tick of a timer not the phase's, queued before
// the phase changed, only stops it; a message asks for a stay of 5 seconds.
TEST(PopupSlide, ATickOfAnotherTimerOrAMessageInEachPhase) {
    const struct {
        SlidePhase before;
        SlideTimer own;
        SlideStep want;
        SlidePhase after;
        Rect work = kBottom; // at the message
    } cases[] = {
        {P::Hidden, T::None, {.show = true, .start = T::Out, .period = 5}, P::Showing},
        {P::Showing, T::Out, {.redraw = true}, P::Showing}, // the slide goes on
        {P::Shown, T::Stay, {.start = T::Stay, .period = 5000, .redraw = true}, P::Shown},
        // back at once where it is wholly shown, across the taskbar's edge
        {P::Hiding,
         T::Back,
         {.kill = T::Back, .start = T::Stay, .period = 5000, .move = Point{827, 567}, .redraw = true},
         P::Shown},
        // the same with the taskbar moved to the right meanwhile: only across it
        {P::Hiding,
         T::Back,
         {.kill = T::Back, .start = T::Stay, .period = 5000, .move = Point{787, 576}, .redraw = true},
         P::Shown,
         kRight},
    };
    for (const auto& c : cases) {
        PopupSlide slide;
        if (c.before != P::Hidden) slide.Show(S::Bottom, kBottom, 197, 171, {500, 3000, 300});
        TickWhile(slide, P::Showing, T::Out, c.before == P::Showing ? 10 : 10000);
        if (c.before == P::Hiding) {
            slide.Tick(T::Stay);
            TickWhile(slide, P::Hiding, T::Back, 5);
        }
        ASSERT_EQ(slide.Phase(), c.before);
        const Point at = c.before == P::Hidden ? Point{827, 738} : slide.Position();
        for (SlideTimer t : {T::Out, T::Stay, T::Back}) {
            if (t == c.own) continue;
            EXPECT_EQ(slide.Tick(t), SlideStep{.kill = t});
        }
        EXPECT_EQ(slide.Show(TaskbarSideOf(c.work, 1024, 768), c.work, 197, 171, {500, 5000, 300}), c.want);
        EXPECT_EQ(slide.Phase(), c.after);
        EXPECT_EQ(slide.Position(), c.want.move.value_or(at));
    }
}

// ---- The skin's shape ----------------------------------------------------------

TEST(SkinShape, TheTransparentColourOrNone) {
    const struct {
        int r, g, b;
        std::optional<Rgb> want;
    } cases[] = {
        {255, 0, 255, Rgb{255, 0, 255}}, {0x1FF, 0x100, 0x7F, Rgb{255, 0, 127}}, // the low 8 bits of each
        {-1, 0, 255, std::nullopt},      {255, 0xFFFF, 255, std::nullopt},
        {255, 0, 0x3FFFF, std::nullopt}, {0x10000, 0, 0, Rgb{0, 0, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TransparentColour(c.r, c.g, c.b), c.want) << c.r << "," << c.g << "," << c.b;
}

// The shape of a skin drawn as text: '.' the transparent colour (red 255,
// green 1, blue 128), '#' grey, 'r', 'g', 'b' the transparent colour with that
// component off by one; each row padded to whole groups of 4 bytes, as a
// bitmap's are; `rows` more rows than the buffer holds.
std::string Shape(const std::vector<std::string>& text, size_t rows = 0) {
    const auto width = static_cast<int32_t>(text[0].size());
    const size_t stride = (text[0].size() * 3 + 3) / 4 * 4;
    std::vector<uint8_t> pixels(stride * text.size(), 0xFF);
    for (size_t y = 0; y < text.size(); ++y) {
        for (size_t x = 0; x < text[y].size(); ++x) {
            const char c = text[y][x];
            uint8_t* p = pixels.data() + stride * y + x * 3;
            p[0] = c == '#' ? 200 : c == 'b' ? 129 : 128;
            p[1] = c == '#' ? 200 : c == 'g' ? 2 : 1;
            p[2] = c == '#' ? 200 : c == 'r' ? 254 : 255;
        }
    }
    std::string out;
    for (const Rect& r : SkinShape(pixels, width, static_cast<int32_t>(text.size() + rows), Rgb{255, 1, 128}))
        out += "{" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) +
               ", " + std::to_string(r.bottom) + "} ";
    return out;
}

TEST(SkinShape, RunsOfPixelsNotTransparentInTheShownColumnsBandedByRows) {
    const struct {
        std::vector<std::string> rows;
        std::string want;
    } cases[] = {
        {{"########", "########", "########"}, "{0, 0, 8, 3} "},
        {{"....", "...."}, ""},
        {{"..####..", ".######.", "########"}, "{2, 0, 6, 1} {1, 1, 7, 2} {0, 2, 8, 3} "},
        {{"#..#", "#..#", "####", "#..#"},
         "{0, 0, 1, 2} {3, 0, 4, 2} {0, 2, 4, 3} {0, 3, 1, 4} {3, 3, 4, 4} "},
        {{"##..", "....", "##.."}, "{0, 0, 2, 1} {0, 2, 2, 3} "}, // no band across a row
        {{"rgb.....", "..r.g.b."}, "{0, 0, 3, 1} {2, 1, 3, 2} {4, 1, 5, 2} {6, 1, 7, 2} "},
        {{"###.###", "#######"}, "{0, 0, 3, 1} {0, 1, 4, 2} "}, // whole groups of four columns
        {{"....#", "#...."}, "{0, 1, 1, 2} "},                  // 5 wide: a padded row
        {{"###", "###"}, ""},                                   // narrower than four: nothing
    };
    for (const auto& c : cases)
        EXPECT_EQ(Shape(c.rows), c.want) << testing::PrintToString(c.rows);
    EXPECT_EQ(Shape({"####", "####"}, 1), "") << "a buffer shorter than its rows";
}

} // namespace
