// Row texts, time formatting, fixed fields, GBK-aware search, the results of
// a search as the list changes under them, and the user names that make one
// folder.
#include <gtest/gtest.h>

#include <functional>

#include "file_io.h"
#include "found_messages.h"
#include "gbk_text.h"
#include "local_time.h"
#include "msg_text.h"
#include "test_util.h"

using namespace nuntio;

// A case-sensitive byte match that never starts on a trail byte.
TEST(GbkSearch, CaseSensitiveByteMatchStartingOnACharacter) {
    constexpr size_t npos = std::string_view::npos;
    const struct {
        std::string_view text, word;
        size_t at;
    } cases[] = {
        {"xxABCxx", "ABC", 2},
        {"ABC", "ABCD", npos},
        {"", "A", npos},
        {"\xB0\x5C", "\\", npos}, // "癨" is B0 5C: "\" is not found in its trail byte
        {"\xD5\x41", "A", npos},  // nor "A" in a trail byte in the letter range
        {"\xD5\x41\x41", "A", 2},
        {"\xD5\xC5\xC8\xFD", "\xC5\xC8", npos}, // "张三": C5 C8 straddles two characters
        {"\xD5\xC5\xC8\xFD", "\xC8\xFD", 2},
        {"\x81\x7F\x42", "\x7F\x42", 1}, // a lone lead byte before an ASCII control byte
        {"A\xD5", "\xD5", 1},            // a lead byte at the very end
    };
    for (const auto& c : cases)
        EXPECT_EQ(GbkFind(c.text, c.word), c.at) << c.text << " / " << c.word;
}

class RowTexts : public ::testing::Test {
protected:
    test::ScopedTimeZone tz{"Asia/Shanghai"};
};

// Times are local with a two-digit year.
TEST_F(RowTexts, AlertSlotsFollowTheColumnTable) {
    EXPECT_EQ(FormatTime(1709964300), "24-03-09 14:05:00"); // 06:05 UTC
    EXPECT_EQ(FormatTime(0), "70-01-01 08:00:00");
    auto a = test::MakeAlert(3, 1709964300, "C");
    const std::vector<std::string> expected = {
        "",       "24-03-09 14:05:00", "window", "module", "\xD5\xC5\xC8\xFD",
        "600000", "workspace",         "object", "C"};
    for (int slot = 0; slot < kAlertSlots; ++slot)
        EXPECT_EQ(RowText(*a, slot), expected[slot]) << slot;
    EXPECT_EQ(RowText(*a, 9), "");
    EXPECT_EQ(RowImageOf(*a), a->m_nImage);
}

TEST_F(RowTexts, TradeSlotsShowTheEventTime) {
    auto t = test::MakeTrade(1, 1709964300, "D");
    t->m_record.tOccurred = 1709964300 - 3600;
    EXPECT_EQ(RowText(*t, kTradeIcon), "");
    EXPECT_EQ(RowText(*t, kTradeEvent), "event");
    EXPECT_EQ(RowText(*t, kTradeDetail), "D");
    EXPECT_EQ(RowText(*t, kTradeTime), "24-03-09 13:05:00");
    EXPECT_EQ(RowImageOf(*t), kImageTrade);
}

TEST(Matching, AlertSearchesItsSevenTextFieldsButNotTheTime) {
    auto a = test::MakeAlert(1, 1709964300, "xxABCxx");
    EXPECT_TRUE(MatchMessage(*a, "ABC"));
    EXPECT_FALSE(MatchMessage(*a, "abc"));
    EXPECT_FALSE(MatchMessage(*a, ""));
    for (const char* word : {"module", "workspace", "window", "600000", "\xD5\xC5", "object"})
        EXPECT_TRUE(MatchMessage(*a, word)) << word;
    a->m_tArrived = 0;
    EXPECT_FALSE(MatchMessage(*a, "70-01-01"));
    EXPECT_FALSE(MatchMessage(*a, "1709964300"));
    // A full szCode (no NUL) is searched to its end and not into szName.
    std::memset(a->m_record.szCode, 'Q', sizeof a->m_record.szCode);
    test::SetField(a->m_record.szName, "R");
    EXPECT_TRUE(MatchMessage(*a, "QQQQQQQQQQ"));
    EXPECT_FALSE(MatchMessage(*a, "QR"));
}

TEST(Matching, ATradeSearchesItsDetailOnly) {
    auto t = test::MakeTrade(1, 1709964300, "sell 600000");
    EXPECT_TRUE(MatchMessage(*t, "600000"));
    EXPECT_FALSE(MatchMessage(*t, "event"));
    EXPECT_FALSE(MatchMessage(*t, ""));
}

// Each result finds its message again after newer ones arrived and others
// went, whatever order the serials have; a message that went stays in the
// results with the texts and icon it had, and a later one that happens to take
// its serial number again is not it.
TEST(FoundMessages, RowsFollowTheirMessagesAndKeepTheTextsOfThoseGone) {
    nuntio::CMsgList<nuntio::CAlertMsgObj> list;
    // Serial numbers that came round after the highest one.
    const int32_t serials[] = {INT32_MAX - 1, INT32_MAX, INT32_MIN, INT32_MIN + 1};
    const char* contents[] = {"hit one", "other", "hit two", "hit three"};
    for (int i = 0; i < 4; ++i) {
        list.AddHead(test::MakeAlert(serials[i], 1000 + i, contents[i]));
        list.GetHead()->m_nImage = kImageEarlier;
    }
    CFoundMessages<nuntio::CAlertMsgObj> found(list, "hit");
    ASSERT_EQ(found.GetCount(), 3u);
    EXPECT_TRUE(found.Complete());
    int32_t next = INT32_MIN + 2;
    auto arrive = [&](int32_t serial, const char* content = "new") {
        list.AddHead(test::MakeAlert(serial, 2000 + next, content));
        list.GetHead()->m_nImage = kImageLatest;
    };
    const struct {
        const char* change;
        std::function<void()> make;
        std::vector<ptrdiff_t> where; // of "hit three", "hit two", "hit one"
    } steps[] = {
        {"none", [] {}, {0, 1, 3}},
        {"one arrives", [&] { arrive(next++); }, {1, 2, 4}},
        {"hit two deleted", [&] { list.RemoveAt(2); }, {1, -1, 3}},
        {"two arrive, the oldest dropped",
         [&] {
             arrive(next++);
             arrive(next++);
             list.RemoveTail();
         },
         {3, -1, -1}},
        {"hit one's serial again", [&] { arrive(INT32_MAX - 1, "hit again"); }, {4, -1, -1}},
        {"the rest deleted but hit three",
         [&] {
             list.RemoveSorted({0, 1, 2, 3, 5});
         },
         {0, -1, -1}},
        {"hit three gone, its serial again in its place",
         [&] {
             list.RemoveAt(0);
             arrive(INT32_MIN + 1, "hit three again");
         },
         {-1, -1, -1}},
    };
    const char* texts[] = {"hit three", "hit two", "hit one"};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.change);
        step.make();
        for (size_t row = 0; row < 3; ++row) {
            EXPECT_EQ(found.Locate(row), step.where[row]) << row;
            EXPECT_EQ(found.RowText(row, kAlertContent), texts[row]) << row;
        }
        if (step.where[0] >= 0) {
            list.GetAt(step.where[0])->m_nImage = kImageOpened;
            EXPECT_EQ(found.RowImage(0), kImageOpened) << "the listed message's own icon";
        }
        EXPECT_EQ(found.RowImage(1), kImageEarlier) << "the icon hit two had";
    }
    EXPECT_EQ(found.Locate(3), -1);
    EXPECT_EQ(CFoundMessages<nuntio::CAlertMsgObj>(list, "").GetCount(), 0u);
}

TEST(Filling, MessagesTakeSerialsAndTheirBodies) {
    InboundMessage in{};
    in.nCategory = 0;
    test::SetField(in.body.alert.szContent, "hello");
    std::memset(in.body.bytes + 300, 0x5A, 186);
    int32_t next = 7;
    nuntio::CAlertMsgObj a;
    a.m_nImage = 2;
    a.Fill(in, next, 1234);
    EXPECT_EQ(a.m_nSerial, 7);
    EXPECT_EQ(next, 8);
    EXPECT_EQ(a.m_nImage, 0);
    EXPECT_EQ(a.m_tArrived, 1234);
    EXPECT_EQ(0, std::memcmp(&a.m_record, in.body.bytes, 486));

    in.nCategory = 1;
    nuntio::CTradeMsgObj t;
    t.Fill(in, next, 99);
    EXPECT_EQ(t.m_nSerial, 8);
    EXPECT_EQ(t.m_nCategory, 1);
    EXPECT_EQ(0, std::memcmp(&t.m_record, in.body.bytes, 300));
    next = INT32_MAX;
    t.Fill(in, next, 99);
    EXPECT_EQ(next, INT32_MIN); // the counter wraps as the stored word does
}

TEST(UserNames, OneFolderNameUnderTheRoot) {
    const std::string root = "C:\\Corvane";
    const struct {
        std::string user;
        UserNameCheck want;
    } cases[] = {
        {"trader01", UserNameCheck::kOk},
        {"\xBD\xBB\xD2\xD7\xD4\xB1", UserNameCheck::kOk}, // "交易员"
        {"\x95\x5C", UserNameCheck::kOk},                 // a second byte 0x5C is no backslash
        {"con2", UserNameCheck::kOk},
        {"trader.01", UserNameCheck::kOk},
        {" x", UserNameCheck::kOk},
        {"", UserNameCheck::kEmpty},
        {"..\\..\\x", UserNameCheck::kSeparator},
        {"a/b", UserNameCheck::kSeparator},
        {"c:x", UserNameCheck::kSeparator},
        {"x.", UserNameCheck::kDots},
        {"x ", UserNameCheck::kDots},
        {"CON", UserNameCheck::kDeviceName},
        {"nul.txt", UserNameCheck::kDeviceName},
        {"Com1", UserNameCheck::kDeviceName},
        {"lpt9 .log", UserNameCheck::kDeviceName},
        {"CONOUT$", UserNameCheck::kDeviceName},
        {"a*b", UserNameCheck::kBadCharacter},
        {"a\tb", UserNameCheck::kBadCharacter},
        {"\x95", UserNameCheck::kBadCharacter},     // a lead byte alone
        {"\x95\x7F", UserNameCheck::kBadCharacter}, // no trail byte
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckUserName(root, c.user), c.want) << c.user;
    EXPECT_EQ(CheckUserName("", "x"), UserNameCheck::kEmpty);
    // The longest name that still leaves room for every file we write.
    const size_t room = kMaxPath - 1 - kLongestFileName - UserFolder(root, "").size();
    EXPECT_EQ(CheckUserName(root, std::string(room, 'n')), UserNameCheck::kOk);
    EXPECT_EQ(CheckUserName(root, std::string(room + 1, 'n')), UserNameCheck::kTooLong);
}

TEST(UserNames, TheRootLosesItsTrailingSeparatorsOnly) {
    EXPECT_EQ(WithoutTrailingSeparators("C:\\"), "C:");
    EXPECT_EQ(WithoutTrailingSeparators("C:\\data\\\\/"), "C:\\data");
    EXPECT_EQ(WithoutTrailingSeparators("C:\\\x95\x5C\\"), "C:\\\x95\x5C");
    EXPECT_EQ(WithoutTrailingSeparators("\\"), "");
}
