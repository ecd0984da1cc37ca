// The popup's rules that need no window: the caption's parts, the slide on
// each side of the taskbar and through its phases, the shape cut from a skin.
#include <gtest/gtest.h>

#include <array>
#include <ostream>
#include <string>
#include <vector>

#include "popup_slide.h"
#include "popup_text.h"
#include "skin_shape.h"

using namespace nuntio;

namespace nuntio {
void PrintTo(const Point& p, std::ostream* os) {
    *os << "(" << p.x << ", " << p.y << ")";
}
void PrintTo(const Rect& r, std::ostream* os) {
    *os << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}
void PrintTo(const SlideStep& s, std::ostream* os) {
    *os << "{hide " << s.hide << ", show " << s.show << ", kill " << static_cast<int>(s.kill) << ", start "
        << static_cast<int>(s.start) << " " << s.period << " ms, move ";
    if (s.move) PrintTo(*s.move, os);
    *os << ", redraw " << s.redraw << "}";
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
        {"", "", ""},
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

// A 1024 x 768 screen with a taskbar 30 high or 40 wide.
constexpr Rect kBottom{0, 0, 1024, 738}, kTop{0, 30, 1024, 768}, kLeft{40, 0, 1024, 768},
    kRight{0, 0, 984, 768};

TEST(PopupSlide, TheTaskbarIsWhereTheWorkAreaLeavesPartOfTheScreen) {
    const struct {
        Rect work;
        TaskbarSide side;
    } cases[] = {
        {kBottom, TaskbarSide::Bottom},
        {kTop, TaskbarSide::Top},
        {kLeft, TaskbarSide::Left},
        {kRight, TaskbarSide::Right},
        {{0, 0, 1024, 768}, TaskbarSide::Bottom}, // no taskbar
        {{0, 0, 984, 738}, TaskbarSide::Right},   // narrower and shorter: the width decides
        {{40, 30, 1024, 768}, TaskbarSide::Left},
        {{0, 30, 1024, 738}, TaskbarSide::Top},      // shorter and not at the top
        {{1024, 0, 2048, 738}, TaskbarSide::Bottom}, // a second monitor's work area as wide as the screen
    };
    for (const auto& c : cases)
        EXPECT_EQ(TaskbarSideOf(c.work, 1024, 768), c.side)
            << c.work.left << "," << c.work.top << "," << c.work.right << "," << c.work.bottom;
}

// The popup window as the slide drives it: its timers, place and visibility.
struct FakePopup {
    bool visible = false;
    std::array<bool, 4> running{};
    std::array<uint32_t, 4> period{};
    std::vector<Point> moves;
    int redraws = 0;

    void Apply(const SlideStep& s) {
        if (s.hide) {
            visible = false;
            running.fill(false);
        }
        if (s.show) visible = true;
        running[static_cast<size_t>(s.kill)] = false;
        if (s.start != SlideTimer::None) {
            running[static_cast<size_t>(s.start)] = true;
            period[static_cast<size_t>(s.start)] = s.period;
        }
        if (s.move) moves.push_back(*s.move);
        if (s.redraw) ++redraws;
    }
    bool Running(SlideTimer t) const { return running[static_cast<size_t>(t)]; }
    // Ticks `t` while it runs; how many ticks that took.
    int Ticks(PopupSlide& slide, SlideTimer t, int most = 10000) {
        int n = 0;
        for (; n < most && Running(t); ++n)
            Apply(slide.Tick(t));
        return n;
    }
};

TEST(PopupSlide, OutOfTheTaskbarSideInWholeStepsStayAndBackToTheStart) {
    const struct {
        const char* name;
        TaskbarSide side;
        Rect work;
        int32_t w, h;
        Point start, first, out, shown;
        int ticks;              // of each timer that moves the popup, the last one stops it
        uint32_t outMs, backMs; // their periods: 500 and 300 ms over the travel's steps
    } cases[] = {
        {"bottom",
         TaskbarSide::Bottom,
         kBottom,
         197,
         171,
         {827, 738},
         {827, 736},
         {827, 566},
         {827, 567},
         87,
         5,
         3},
        {"top", TaskbarSide::Top, kTop, 197, 171, {827, -141}, {827, -139}, {827, 31}, {827, 30}, 87, 5, 3},
        {"left",
         TaskbarSide::Left,
         kLeft,
         197,
         171,
         {-157, 597},
         {-155, 597},
         {41, 597},
         {40, 597},
         100,
         5,
         3},
        {"right",
         TaskbarSide::Right,
         kRight,
         197,
         171,
         {984, 597},
         {982, 597},
         {786, 597},
         {787, 597},
         100,
         5,
         3},
        {"even",
         TaskbarSide::Bottom,
         kBottom,
         180,
         152,
         {844, 738},
         {844, 736},
         {844, 586},
         {844, 586},
         77,
         6,
         3},
        {"one pixel",
         TaskbarSide::Right,
         kRight,
         1,
         1,
         {984, 767},
         {982, 767},
         {982, 767},
         {983, 767},
         2,
         500,
         300},
        {"no skin",
         TaskbarSide::Top,
         kTop,
         0,
         0,
         {1024, 30},
         {1024, 30},
         {1024, 30},
         {1024, 30},
         1,
         500,
         300},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PlanSlide(c.side, c.work, c.w, c.h).shown, c.shown);
        PopupSlide slide;
        FakePopup popup;
        popup.Apply(slide.Show(c.side, c.work, c.w, c.h, {500, 3000, 300}));
        EXPECT_TRUE(popup.visible);
        EXPECT_EQ(slide.Position(), c.start);
        EXPECT_EQ(slide.Phase(), SlidePhase::Showing);
        EXPECT_EQ(popup.period[1], c.outMs);

        EXPECT_EQ(popup.Ticks(slide, SlideTimer::Out), c.ticks);
        ASSERT_FALSE(popup.moves.empty());
        EXPECT_EQ(popup.moves.front(), c.first);
        EXPECT_EQ(popup.moves.back(), c.out);
        EXPECT_EQ(slide.Phase(), SlidePhase::Shown);
        EXPECT_TRUE(popup.Running(SlideTimer::Stay));
        EXPECT_EQ(popup.period[2], 3000u);

        popup.moves.clear();
        popup.Apply(slide.Tick(SlideTimer::Stay));
        EXPECT_TRUE(popup.moves.empty()) << "the stay's end moves nothing";
        EXPECT_EQ(slide.Phase(), SlidePhase::Hiding);
        EXPECT_EQ(popup.period[3], c.backMs);
        EXPECT_EQ(popup.Ticks(slide, SlideTimer::Back), c.ticks);
        EXPECT_FALSE(popup.visible);
        EXPECT_EQ(popup.running, (std::array<bool, 4>{}));
        EXPECT_EQ(popup.moves.back(), c.start) << "back where it came from";
        EXPECT_EQ(slide.Phase(), SlidePhase::Hidden);
    }
}

TEST(PopupSlide, AMessageInEachPhase) {
    // Skin 197 x 171 over a taskbar at the bottom: out 500 ms, stay 3 s, back
    // 300 ms; the new message asks for a stay of 5 s.
    const struct {
        const char* name;
        int out, back; // ticks of each before the message (-1: all of them)
        bool stay, stop;
        SlideStep want;
        SlidePhase phase;
        Point at;
    } cases[] = {
        {"hidden",
         0,
         0,
         false,
         false,
         {.show = true, .start = SlideTimer::Out, .period = 5},
         SlidePhase::Showing,
         {827, 738}},
        {"showing: the slide goes on",
         10,
         0,
         false,
         false,
         {.redraw = true},
         SlidePhase::Showing,
         {827, 718}},
        {"shown: the stay starts over",
         -1,
         0,
         false,
         false,
         {.start = SlideTimer::Stay, .period = 5000, .redraw = true},
         SlidePhase::Shown,
         {827, 566}},
        {"hiding: wholly shown at once",
         -1,
         5,
         true,
         false,
         {.kill = SlideTimer::Back,
          .start = SlideTimer::Stay,
          .period = 5000,
          .move = Point{827, 567},
          .redraw = true},
         SlidePhase::Shown,
         {827, 567}},
        {"hidden after a click while showing",
         10,
         0,
         false,
         true,
         {.show = true, .start = SlideTimer::Out, .period = 5},
         SlidePhase::Showing,
         {827, 738}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PopupSlide slide;
        FakePopup popup;
        if (c.out != 0) {
            popup.Apply(slide.Show(TaskbarSide::Bottom, kBottom, 197, 171, {500, 3000, 300}));
            popup.Ticks(slide, SlideTimer::Out, c.out < 0 ? 10000 : c.out);
        }
        if (c.stay) popup.Apply(slide.Tick(SlideTimer::Stay));
        popup.Ticks(slide, SlideTimer::Back, c.back);
        if (c.stop) slide.Stop();
        EXPECT_EQ(slide.Show(TaskbarSide::Bottom, kBottom, 197, 171, {500, 5000, 300}), c.want);
        EXPECT_EQ(slide.Phase(), c.phase);
        EXPECT_EQ(slide.Position(), c.at);
    }
}

TEST(PopupSlide, ATickOfATimerNotOfThePhaseOnlyStopsIt) {
    const SlideTimer timers[] = {SlideTimer::Out, SlideTimer::Stay, SlideTimer::Back};
    // Reached by ticking the phase's own timer: none, Out 10 times, all Out, Stay once.
    const struct {
        SlidePhase phase;
        SlideTimer own;
    } phases[] = {{SlidePhase::Hidden, SlideTimer::None},
                  {SlidePhase::Showing, SlideTimer::Out},
                  {SlidePhase::Shown, SlideTimer::Stay},
                  {SlidePhase::Hiding, SlideTimer::Back}};
    for (const auto& p : phases) {
        for (SlideTimer t : timers) {
            if (t == p.own) continue;
            PopupSlide slide;
            FakePopup popup;
            if (p.phase != SlidePhase::Hidden)
                popup.Apply(slide.Show(TaskbarSide::Left, kLeft, 197, 171, {}));
            popup.Ticks(slide, SlideTimer::Out, p.phase == SlidePhase::Showing ? 10 : 10000);
            if (p.phase == SlidePhase::Hiding) popup.Apply(slide.Tick(SlideTimer::Stay));
            ASSERT_EQ(slide.Phase(), p.phase);
            const Point at = slide.Position();
            EXPECT_EQ(slide.Tick(t), SlideStep{.kill = t})
                << static_cast<int>(p.phase) << " " << static_cast<int>(t);
            EXPECT_EQ(slide.Phase(), p.phase);
            EXPECT_EQ(slide.Position(), at);
        }
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

// A skin drawn as text: '.' the transparent magenta, '#' grey, 'r', 'g', 'b'
// magenta with one component off by one. Rows padded as a bitmap's are.
std::vector<uint8_t> Pixels(const std::vector<std::string>& rows, size_t extraRows = 0) {
    const size_t stride = Rgb24Stride(static_cast<int32_t>(rows[0].size()));
    std::vector<uint8_t> out(stride * (rows.size() + extraRows), 0xFF);
    for (size_t y = 0; y < rows.size(); ++y) {
        for (size_t x = 0; x < rows[y].size(); ++x) {
            uint8_t* p = out.data() + stride * y + x * 3;
            const char c = rows[y][x];
            const Rgb rgb = c == '#' ? Rgb{128, 128, 128}
                                     : Rgb{static_cast<uint8_t>(c == 'r' ? 254 : 255),
                                           static_cast<uint8_t>(c == 'g' ? 1 : 0),
                                           static_cast<uint8_t>(c == 'b' ? 254 : 255)};
            p[0] = rgb.blue;
            p[1] = rgb.green;
            p[2] = rgb.red;
        }
    }
    return out;
}

TEST(SkinShape, RunsOfPixelsNotTransparentInTheShownColumnsBandedByRows) {
    const struct {
        const char* name;
        std::vector<std::string> rows;
        std::vector<Rect> want;
    } cases[] = {
        {"all shown: one rectangle", {"########", "########", "########"}, {{0, 0, 8, 3}}},
        {"all transparent", {"....", "...."}, {}},
        {"round corners", {"..####..", ".######.", "########"}, {{2, 0, 6, 1}, {1, 1, 7, 2}, {0, 2, 8, 3}}},
        {"bands split where a row differs",
         {"#..#", "#..#", "####", "#..#"},
         {{0, 0, 1, 2}, {3, 0, 4, 2}, {0, 2, 4, 3}, {0, 3, 1, 4}, {3, 3, 4, 4}}},
        {"no band across a transparent row", {"##..", "....", "##.."}, {{0, 0, 2, 1}, {0, 2, 2, 3}}},
        {"one component off is not transparent",
         {"rgb.....", "..r.g.b."},
         {{0, 0, 3, 1}, {2, 1, 3, 2}, {4, 1, 5, 2}, {6, 1, 7, 2}}},
        {"whole groups of four columns", {"###.###", "#######"}, {{0, 0, 3, 1}, {0, 1, 4, 2}}},
        {"5 wide, padded", {"....#", "#...."}, {{0, 1, 1, 2}}},
        {"narrower than four: nothing shown", {"###", "###"}, {}},
    };
    for (const auto& c : cases) {
        const std::vector<uint8_t> pixels = Pixels(c.rows);
        EXPECT_EQ(SkinShape(pixels, static_cast<int32_t>(c.rows[0].size()),
                            static_cast<int32_t>(c.rows.size()), Rgb{255, 0, 255}),
                  c.want)
            << c.name;
    }
}

TEST(SkinShape, NothingFromABufferShorterThanItsRows) {
    const std::vector<uint8_t> pixels = Pixels({"####", "####"});
    EXPECT_TRUE(SkinShape(pixels, 4, 3, Rgb{255, 0, 255}).empty());
    EXPECT_TRUE(SkinShape(std::span(pixels).first(pixels.size() - 1), 4, 2, Rgb{255, 0, 255}).empty());
    EXPECT_EQ(SkinShape(pixels, 4, 2, Rgb{255, 0, 255}), (std::vector<Rect>{{0, 0, 4, 2}}));
}

} // namespace
