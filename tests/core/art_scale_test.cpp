// The picture scale for a DPI and the resource ids of the scaled pictures:
// the ids in resource.h follow the rule the code computes, and no two
// pictures at any scale share an id.
#include <gtest/gtest.h>

#include <set>

#include "art_scale.h"
#include "resource.h"

using namespace nuntio;

TEST(ArtScale, TheNearestScaleForADpiTiesGoingToTheLarger) {
    const struct {
        int dpi, scale;
    } cases[] = {
        {-96, 100}, {0, 100},   {72, 100},  {96, 100},  {107, 100},     {108, 125}, // 108: halfway to 120
        {120, 125}, {131, 125}, {132, 150}, {144, 150}, {167, 150},     {168, 200}, // 168: halfway to 192
        {192, 200}, {240, 200}, {288, 200}, {384, 200}, {1 << 30, 200},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NearestArtScale(c.dpi), c.scale) << c.dpi << " DPI";
}

TEST(ArtScale, ScaledIdsInTheResourceHeaderFollowTheRule) {
    const struct {
        int base, at125, at150, at200;
        bool bitmap;
    } pictures[] = {
        {IDI_MSGCENTER, IDI_MSGCENTER_125, IDI_MSGCENTER_150, IDI_MSGCENTER_200, false},
        {IDI_ROW_LATEST, IDI_ROW_LATEST_125, IDI_ROW_LATEST_150, IDI_ROW_LATEST_200, false},
        {IDI_ROW_OPENED, IDI_ROW_OPENED_125, IDI_ROW_OPENED_150, IDI_ROW_OPENED_200, false},
        {IDI_ROW_EARLIER, IDI_ROW_EARLIER_125, IDI_ROW_EARLIER_150, IDI_ROW_EARLIER_200, false},
        {IDI_ROW_HEADER, IDI_ROW_HEADER_125, IDI_ROW_HEADER_150, IDI_ROW_HEADER_200, false},
        {IDI_ROW_TRADE, IDI_ROW_TRADE_125, IDI_ROW_TRADE_150, IDI_ROW_TRADE_200, false},
        {IDI_ROW_SPARE, IDI_ROW_SPARE_125, IDI_ROW_SPARE_150, IDI_ROW_SPARE_200, false},
        {IDI_TAB_ALERT, IDI_TAB_ALERT_125, IDI_TAB_ALERT_150, IDI_TAB_ALERT_200, false},
        {IDI_TAB_TRADE, IDI_TAB_TRADE_125, IDI_TAB_TRADE_150, IDI_TAB_TRADE_200, false},
        {IDB_TOOLBAR_ALERT, IDB_TOOLBAR_ALERT_125, IDB_TOOLBAR_ALERT_150, IDB_TOOLBAR_ALERT_200, true},
        {IDB_TOOLBAR_TRADE, IDB_TOOLBAR_TRADE_125, IDB_TOOLBAR_TRADE_150, IDB_TOOLBAR_TRADE_200, true},
        {IDB_SKIN1, IDB_SKIN1_125, IDB_SKIN1_150, IDB_SKIN1_200, true},
        {IDB_SKIN2, IDB_SKIN2_125, IDB_SKIN2_150, IDB_SKIN2_200, true},
        {IDB_SKIN3, IDB_SKIN3_125, IDB_SKIN3_150, IDB_SKIN3_200, true},
    };
    std::set<int> icons, bitmaps;
    for (const auto& p : pictures) {
        EXPECT_EQ(ScaledArtId(p.base, 100), p.base);
        EXPECT_EQ(ScaledArtId(p.base, 125), p.at125) << p.base;
        EXPECT_EQ(ScaledArtId(p.base, 150), p.at150) << p.base;
        EXPECT_EQ(ScaledArtId(p.base, 200), p.at200) << p.base;
        EXPECT_EQ(ScaledArtId(p.base, 175), p.base) << "a scale without pictures";
        // Icons and bitmaps are separate resource types: ids must be unique within each.
        auto& ids = p.bitmap ? bitmaps : icons;
        for (const int scale : kArtScales) {
            const int id = ScaledArtId(p.base, scale);
            EXPECT_GT(id, 0);
            EXPECT_LT(id, 65536) << p.base << " at " << scale;
            EXPECT_TRUE(ids.insert(id).second) << "id " << id << " used twice";
        }
    }
    for (const int preview : {IDB_PREVIEW1, IDB_PREVIEW2, IDB_PREVIEW3})
        EXPECT_TRUE(bitmaps.insert(preview).second) << "preview " << preview << " shares an id";
}
