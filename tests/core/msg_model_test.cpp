// The category model: a user's first start, adding with serials, icons and
// retention, the codes of the position operations, and a round trip through
// Close and Open.
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

TEST_F(CategoryModel, FirstStartCreatesBothFilesAndLoadsNothing) {
    CAlertListModel model(CConfigDoc::ForAlert());
    const CategoryOpenResult r = model.Open(fs, dir.Path(), "u", "AlertMsg.cfg", now);
    EXPECT_TRUE(r.config.ok());
    EXPECT_EQ(r.ensure, kMsgFileCreated);
    EXPECT_EQ(r.messages.status, MsgLoadStatus::kLoaded);
    EXPECT_EQ(model.GetMsgCount(), 0u);
    EXPECT_EQ(test::ReadNative(Native("AlertMsg.cfg")).size(), 170u);
    EXPECT_EQ(test::ReadNative(Native("AlertMsg.DAT")).size(), 0u);
}

TEST_F(CategoryModel, AlertsTakeSerialsAndTheOlderTopBecomesEarlier) {
    CAlertListModel model(CConfigDoc::ForAlert());
    model.Open(fs, dir.Path(), "u", "AlertMsg.cfg", now);
    model.Config().m_nNextSerial = 7;
    for (const char* c : {"a", "b", "c"}) {
        model.AddMessage(Alert(c), now);
        model.MakeObject(Alert(c), now); // the notification's copy takes a number too
    }
    EXPECT_EQ(model.GetMsgSerial(0), 11);
    EXPECT_EQ(model.GetMsgSerial(2), 7);
    EXPECT_EQ(model.Config().m_nNextSerial, 13);
    EXPECT_EQ(model.GetMsgImage(0), kImageLatest);
    EXPECT_EQ(model.GetMsgImage(1), kImageEarlier);
    EXPECT_EQ(model.GetMsgImage(2), kImageEarlier);
    EXPECT_EQ(model.SetMsgImage(1, kImageOpened), kDone); // opening the middle one
    EXPECT_EQ(model.RowImage(0), kImageLatest);
    EXPECT_EQ(model.RowImage(1), kImageOpened);
    EXPECT_EQ(model.RowImage(2), kImageEarlier);
    EXPECT_EQ(model.RowText(0, kAlertContent), "c");
    EXPECT_EQ(model.RowText(0, kAlertTime), "24-03-09 06:05:00");
    // An opened alert below a new one stays opened.
    model.SetMsgImage(0, kImageOpened);
    EXPECT_EQ(model.AddMessage(Alert("d"), now).markedEarlier, 0u);
    EXPECT_EQ(model.GetMsgImage(1), kImageOpened);
}

TEST_F(CategoryModel, CountRetentionAfterAddReportsTheRowsToDrop) {
    CAlertListModel model(CConfigDoc::ForAlert());
    model.Open(fs, dir.Path(), "u", "AlertMsg.cfg", now);
    model.Config().m_nKeepMode = kKeepByCount;
    model.Config().m_nKeepLimit = 3;
    for (const char* c : {"1", "2", "3"})
        EXPECT_EQ(model.AddMessage(Alert(c), now).retention.removed, 0u);
    const AddResult r = model.AddMessage(Alert("4"), now);
    EXPECT_EQ(r.retention.removed, 1u);
    EXPECT_EQ(model.GetMsgCount(), 3u);
    EXPECT_EQ(model.RowText(2, kAlertContent), "2");
    // Day mode with the default limit 1 keeps only today's messages.
    model.Config().m_nKeepMode = kKeepByDays;
    model.Config().m_nKeepLimit = 1;
    EXPECT_EQ(model.ApplyRetention(now + 86400).removed, 3u);
    EXPECT_EQ(model.ApplyRetention(now).code, kListEmpty);
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
    model.DeleteAll();
    EXPECT_EQ(model.GetMsgCount(), 0u);
}

TEST_F(CategoryModel, FindListsMatchingPositionsNewestFirst) {
    CAlertListModel model(CConfigDoc::ForAlert());
    for (const char* c : {"xxABCxx", "abc", "ABC"})
        model.AddMessage(Alert(c), now);
    EXPECT_EQ(model.FindMessages("ABC"), (std::vector<size_t>{0, 2}));
    EXPECT_EQ(model.FindMessages(""), std::vector<size_t>{});
    EXPECT_EQ(model.MatchMessage("abc", 1), 1u);
    EXPECT_EQ(model.MatchMessage("abc", 7), 0u);
}

TEST_F(CategoryModel, CloseAndOpenAgainRestoreMessagesAndCounter) {
    {
        CTradeListModel model(CConfigDoc::ForTrade());
        model.Open(fs, dir.Path(), "u", "TradeMsg.cfg", now);
        model.Config().m_nKeepMode = 0; // keep everything
        for (const char* d : {"first", "second", "third"})
            model.AddMessage(Trade(d), now);
        ASSERT_TRUE(model.Close(now));
    }
    EXPECT_EQ(test::ReadNative(Native("TradeMsg.DAT")).size(), 2u + 18 + 316 + 2 * 318);
    CTradeListModel again(CConfigDoc::ForTrade());
    const CategoryOpenResult r = again.Open(fs, dir.Path(), "u", "TradeMsg.cfg", now);
    EXPECT_EQ(r.ensure, kDone);
    EXPECT_EQ(r.messages.loaded, 3u);
    EXPECT_EQ(again.RowText(0, kTradeDetail), "third");
    EXPECT_EQ(again.RowText(2, kTradeDetail), "first");
    EXPECT_EQ(again.Config().m_nNextSerial, 3);
    EXPECT_EQ(again.Config().m_nKeepMode, 0);
}

TEST_F(CategoryModel, DamagedFileAtOpenKeepsTheDecodedMessagesAndACopy) {
    {
        CAlertListModel model(CConfigDoc::ForAlert());
        model.Open(fs, dir.Path(), "u", "AlertMsg.cfg", now);
        model.Config().m_nKeepMode = 0;
        for (const char* c : {"1", "2", "3"})
            model.AddMessage(Alert(c), now);
        model.Close(now);
    }
    std::vector<uint8_t> bytes = test::ReadNative(Native("AlertMsg.DAT"));
    bytes.resize(bytes.size() - 10);
    test::WriteNative(Native("AlertMsg.DAT"), bytes);

    CAlertListModel model(CConfigDoc::ForAlert());
    const CategoryOpenResult r = model.Open(fs, dir.Path(), "u", "AlertMsg.cfg", now);
    EXPECT_TRUE(r.messages.damaged());
    EXPECT_EQ(model.GetMsgCount(), 2u);
    EXPECT_EQ(r.messages.keptAsidePath,
              dir.Path() + "\\User\\u\\Nuntio\\AlertMsg.DAT.damaged-20240309-060500");
    EXPECT_EQ(test::ReadNative(Native("AlertMsg.DAT.damaged-20240309-060500")), bytes);
}
