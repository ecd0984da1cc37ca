// The font picker's rules: points and LOGFONT heights at a screen's dots per
// inch, the sizes offered around a font's own, and the character set each
// face is asked for in.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <optional>
#include <string>
#include <vector>

#include "font_choice.h"

using namespace nuntio;

TEST(FontSize, HeightsAndPointsRoundHalfAwayFromZeroAndMeetAgain) {
    const struct {
        int32_t height;
        int dpi, points;
    } toPoints[] = {
        {-12, 96, 9},
        {12, 96, 9},   // the list's default font; a cell height counts alike
        {-13, 96, 10}, // 9.75
        {-2, 96, 2},   // 10.5 and 1.5 round up
        {-1, 96, 1},
        {0, 96, 1}, // never below 1
        {-20, 120, 12},
        {-12, 0, 1},                 // another screen; no screen
        {INT32_MIN, 96, 1610612736}, // a damaged file's height
    };
    for (const auto& c : toPoints)
        EXPECT_EQ(PointsOfHeight(c.height, c.dpi), c.points) << c.height << " at " << c.dpi;
    const struct {
        int points, dpi;
        int32_t height;
    } toHeight[] = {
        {12, 96, -16}, {9, 96, -12}, {10, 96, -13}, {11, 96, -15}, {72, 120, -120}, {8, 144, -16},
    };
    for (const auto& c : toHeight)
        EXPECT_EQ(HeightOfPoints(c.points, c.dpi), c.height) << c.points << " at " << c.dpi;
    // Every size offered comes back as itself once it is a height.
    for (int dpi : {72, 96, 120, 144, 192})
        for (int points : kFontSizes)
            EXPECT_EQ(PointsOfHeight(HeightOfPoints(points, dpi), dpi), points) << points << " at " << dpi;
}

TEST(FontSize, AFontsOwnSizeIsOfferedInItsPlaceAndOnlyOnce) {
    const std::vector<int> usual(std::begin(kFontSizes), std::end(kFontSizes));
    const struct {
        int points;
        size_t at;
        bool added;
    } cases[] = {{9, 1, false}, {72, 15, false}, {13, 5, true},
                 {1, 0, true},  {30, 13, true},  {100, 16, true}};
    for (const auto& c : cases) {
        std::vector<int> sizes = SizesOffered(c.points);
        ASSERT_LT(c.at, sizes.size()) << c.points;
        EXPECT_EQ(sizes[c.at], c.points);
        if (c.added) sizes.erase(sizes.begin() + static_cast<ptrdiff_t>(c.at));
        EXPECT_EQ(sizes, usual) << c.points;
    }
}

TEST(FontFaces, ChineseWinsOtherwiseTheFirstCharsetAndVerticalFacesAreLeftOut) {
    constexpr uint8_t kAnsi = 0, kGreek = 161, kSymbol = 2;
    FontFaces faces;
    faces.Add("宋体", kAnsi);
    faces.Add("宋体", kChineseCharset);
    faces.Add("宋体", kAnsi);
    faces.Add("Arial", kAnsi);
    faces.Add("Arial", kGreek);
    faces.Add("@宋体", kChineseCharset);
    faces.Add("", kAnsi);
    faces.AddShown("Wingdings", kSymbol); // the font shown, which the screen lacks
    faces.AddShown("Arial", kChineseCharset);
    const struct {
        const char* face;
        std::optional<uint8_t> charset;
    } cases[] = {
        {"宋体", kChineseCharset}, {"Arial", kAnsi},   {"Wingdings", kSymbol},
        {"@宋体", std::nullopt},   {"", std::nullopt}, {"arial", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(faces.Charset(c.face), c.charset) << c.face;
    std::vector<std::string> names = faces.Names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Arial", "Wingdings", "宋体"}));
}
