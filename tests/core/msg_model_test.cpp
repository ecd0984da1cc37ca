// The category model: which icons a new alert changes, and the codes of the
// position operations (the rest is driven through the library under Wine).
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "msg_model.h"
#include "test_util.h"

using namespace nuntio;

namespace {

class CategoryModel : public ::testing::Test {
protected:
    test::ScratchDir dir;
    test::ScopedTimeZone tz{"UTC"};
    IFileSystem& fs = PlatformFileSystem();
    const int64_t now = 1709964300; // 2024-03-09 06:05:00

    void SetUp() override {
        ::mkdir((dir.Native() + "/User").c_str(), 0755);
        ::mkdir((dir.Native() + "/User/u").c_str(), 0755);
    }
    std::string Native(const char* name) const { return dir.Native() + "/User/u/Nuntio/" + name; }

    static InboundMessage Alert(const char* content) {
        InboundMessage in{};
        in.nCategory = 0;
        test::SetField(in.body.alert.szContent, content);
        return in;
    }
    static InboundMessage Trade(const char* detail) {
        InboundMessage in{};
        in.nCategory = 1;
        test::SetField(in.body.trade.szEvent, "E");
        test::SetField(in.body.trade.szDetail, detail);
        return in;
    }
};

} // namespace

TEST_F(CategoryModel, OnlyALatestAlertBecomesEarlierBelowANewOne) {
    CAlertListModel model(CConfigDoc::ForAlert());
    model.Open(fs, dir.Path(), "u", "AlertMsg.cfg", now);
    for (const char* c : {"a", "b", "c"})
        model.AddMessage(Alert(c), now);
    EXPECT_EQ(model.SetMsgImage(1, kImageOpened), kDone); // opening the middle one
    EXPECT_EQ(model.RowImage(0), kImageLatest);
    EXPECT_EQ(model.RowImage(1), kImageOpened);
    EXPECT_EQ(model.RowImage(2), kImageEarlier);
    model.SetMsgImage(0, kImageOpened);
    EXPECT_EQ(model.AddMessage(Alert("d"), now).markedEarlier, 0u);
    EXPECT_EQ(model.GetMsgImage(1), kImageOpened);
    EXPECT_EQ(model.RowText(0, kAlertTime), "24-03-09 06:05:00");
}

TEST_F(CategoryModel, PositionOperationsReturnTheirCodes) {
    CTradeListModel model(CConfigDoc::ForTrade());
    EXPECT_EQ(model.GetMsgImage(-1), static_cast<int32_t>(kBadPosition));
    EXPECT_EQ(model.GetMsgImage(0), static_cast<int32_t>(kListEmpty));
    EXPECT_EQ(model.SetMsgImage(0, 1), kDone); // no effect on an empty list
    EXPECT_EQ(model.SetMsgImage(-1, 1), kBadPosition);
    EXPECT_EQ(model.DeleteAt(-1), kBadPosition);
    EXPECT_EQ(model.DeleteAt(0), kNoObject);
    EXPECT_EQ(model.GetMsgSerial(0), static_cast<int32_t>(kBadPosition));
    EXPECT_EQ(model.GetMsgAt(0), nullptr);
    model.AddMessage(Trade("x"), now);
    model.AddMessage(Trade("y"), now);
    EXPECT_EQ(model.GetMsgImage(5), static_cast<int32_t>(kBadPosition));
    EXPECT_EQ(model.GetMsgImage(1), kImageLatest); // trade rows keep their image...
    EXPECT_EQ(model.RowImage(1), kImageTrade);     // ...and always show icon 4
    EXPECT_EQ(model.DeleteAt(0), kDone);
    EXPECT_EQ(model.RowText(0, kTradeDetail), "x");
}
