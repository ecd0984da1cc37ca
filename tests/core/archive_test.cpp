// Message objects in the archive: the exact bytes of message files, round
// trips, the long count and the big class tag, and every decoding error.
#include <gtest/gtest.h>

#include "msg_file.h"
#include "test_util.h"

using namespace nuntio;
using test::AppendU16;
using test::AppendU32;

namespace {

void AppendObjectBytes(std::vector<uint8_t>& out, const nuntio::CMsgObj& o, const void* record, size_t size) {
    AppendU32(out, static_cast<uint32_t>(o.m_nSerial));
    AppendU32(out, static_cast<uint32_t>(o.m_nImage));
    AppendU32(out, static_cast<uint32_t>(o.m_nCategory));
    AppendU32(out, static_cast<uint32_t>(o.m_tArrived));
    test::Append(out, record, size);
}

const std::vector<uint8_t> kAlertClassRecord = {0xFF, 0xFF, 0x01, 0x00, 0x0C, 0x00, 'C', 'A', 'l',
                                                'e',  'r',  't',  'M',  's',  'g',  'O', 'b', 'j'};
const std::vector<uint8_t> kTradeClassRecord = {0xFF, 0xFF, 0x01, 0x00, 0x0C, 0x00, 'C', 'T', 'r',
                                                'a',  'd',  'e',  'M',  's',  'g',  'O', 'b', 'j'};

nuntio::CMsgList<nuntio::CAlertMsgObj> ThreeAlerts() {
    nuntio::CMsgList<nuntio::CAlertMsgObj> list;
    for (int i = 0; i < 3; ++i)
        list.AddTail(test::MakeAlert(10 + 2 * i, 1700000000 - 100 * i));
    return list;
}

std::vector<uint8_t> Encode(const nuntio::CMsgList<nuntio::CAlertMsgObj>& list) {
    std::vector<uint8_t> out;
    EncodeMessages(list, out);
    return out;
}

template <class T>
DecodeResult Decode(const std::vector<uint8_t>& bytes, nuntio::CMsgList<T>& list) {
    return DecodeMessages(bytes.data(), bytes.size(), list);
}

} // namespace

TEST(MessageFileBytes, AlertsTradesAndAnEmptyListAreLaidOutAsTheFrameworkWritesThem) {
    // The count, the class record before the first object, 01 80 before each later one.
    auto expect = [](const auto& list, const std::vector<uint8_t>& classRecord) {
        std::vector<uint8_t> expected = {0x03, 0x00};
        test::Append(expected, classRecord.data(), classRecord.size());
        for (size_t i = 0; i < 3; ++i) {
            if (i > 0) AppendU16(expected, 0x8001);
            const auto& m = *list.GetAt(static_cast<ptrdiff_t>(i));
            AppendObjectBytes(expected, m, &m.m_record, sizeof m.m_record);
        }
        return expected;
    };
    const nuntio::CMsgList<nuntio::CAlertMsgObj> alerts = ThreeAlerts();
    const std::vector<uint8_t> got = Encode(alerts);
    ASSERT_EQ(got.size(), 1530u);
    EXPECT_EQ(got, expect(alerts, kAlertClassRecord));

    nuntio::CMsgList<nuntio::CTradeMsgObj> trades;
    for (int i = 0; i < 3; ++i)
        trades.AddTail(test::MakeTrade(i, 1700000000 + i));
    std::vector<uint8_t> tradeBytes;
    EncodeMessages(trades, tradeBytes);
    EXPECT_EQ(tradeBytes.size(), 2u + 18 + 316 + 2 * (2 + 316));
    EXPECT_EQ(tradeBytes, expect(trades, kTradeClassRecord));

    EXPECT_EQ(Encode(nuntio::CMsgList<nuntio::CAlertMsgObj>()), test::Bytes({0x00, 0x00}));
}

TEST(MessageFileRoundTrip, BothKindsComeBackFieldForFieldInOrder) {
    const nuntio::CMsgList<nuntio::CAlertMsgObj> alerts = ThreeAlerts();
    nuntio::CMsgList<nuntio::CAlertMsgObj> alertsBack;
    const DecodeResult ra = Decode(Encode(alerts), alertsBack);
    ASSERT_TRUE(ra.ok()) << ra.error.Describe();
    ASSERT_EQ(alertsBack.GetCount(), 3u);
    for (ptrdiff_t i = 0; i < 3; ++i) {
        const nuntio::CAlertMsgObj &a = *alerts.GetAt(i), &b = *alertsBack.GetAt(i);
        EXPECT_EQ(a.m_nSerial, b.m_nSerial);
        EXPECT_EQ(a.m_nImage, b.m_nImage);
        EXPECT_EQ(a.m_nCategory, b.m_nCategory);
        EXPECT_EQ(a.m_tArrived, b.m_tArrived);
        EXPECT_EQ(0, std::memcmp(&a.m_record, &b.m_record, sizeof a.m_record));
    }

    nuntio::CMsgList<nuntio::CTradeMsgObj> trades, tradesBack;
    trades.AddTail(test::MakeTrade(-5, -1)); // negative words survive
    trades.AddTail(test::MakeTrade(0x7FFFFFFF, 0x7FFFFFFF));
    std::vector<uint8_t> bytes;
    EncodeMessages(trades, bytes);
    ASSERT_TRUE(Decode(bytes, tradesBack).ok());
    ASSERT_EQ(tradesBack.GetCount(), 2u);
    EXPECT_EQ(tradesBack.GetAt(0)->m_nSerial, -5);
    EXPECT_EQ(tradesBack.GetAt(0)->m_tArrived, -1);
    EXPECT_EQ(tradesBack.GetAt(1)->m_nSerial, 0x7FFFFFFF);
    EXPECT_EQ(0,
              std::memcmp(&trades.GetAt(1)->m_record, &tradesBack.GetAt(1)->m_record, sizeof(TradeRecord)));
}

TEST(MessageFileBytes, SeventyThousandMessagesUseTheLongCount) {
    nuntio::CMsgList<nuntio::CAlertMsgObj> list;
    for (int i = 0; i < 70000; ++i)
        list.AddTail(test::MakeAlert(i, 1700000000));
    const std::vector<uint8_t> bytes = Encode(list);
    // 0xFFFF, then 70000 = 0x00011170 as a u32, then the class record.
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 6),
              test::Bytes({0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}));
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 6, bytes.begin() + 24), kAlertClassRecord);
    EXPECT_EQ(bytes.size(), 6u + 18 + 502 + 69999u * 504);
    nuntio::CMsgList<nuntio::CAlertMsgObj> back;
    const DecodeResult r = Decode(bytes, back);
    ASSERT_TRUE(r.ok()) << r.error.Describe();
    EXPECT_EQ(back.GetCount(), 70000u);
    EXPECT_EQ(back.GetAt(69999)->m_nSerial, 69999);
}

TEST(MessageFileBytes, CountJustBelowTheLongFormStaysShort) {
    std::vector<uint8_t> out;
    nuntio::CArchive ar(out);
    ar.WriteCount(0xFFFE);
    ar.WriteCount(0xFFFF);
    EXPECT_EQ(out, test::Bytes({0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}));
}

TEST(ArchiveTags, ClassNumbersFrom0x7FFFOnAreWrittenAndReadWithTheEscape) {
    // 40,000 alerts take the numbers 1 (class) to 40001; the trade class then
    // takes 40002 and its second object must refer to it with the escape.
    std::vector<uint8_t> out;
    {
        nuntio::CArchive ar(out);
        nuntio::CAlertMsgObj a;
        for (int i = 0; i < 40000; ++i)
            ar.WriteObject(&a);
        nuntio::CTradeMsgObj t;
        t.m_nSerial = 1;
        ar.WriteObject(&t);
        t.m_nSerial = 2;
        ar.WriteObject(&t);
    }
    const size_t tradeStart = 18 + 502 + 39999u * 504;
    ASSERT_EQ(out.size(), tradeStart + 18 + 316 + 6 + 316);
    EXPECT_EQ(std::vector<uint8_t>(out.begin() + tradeStart, out.begin() + tradeStart + 18),
              kTradeClassRecord);
    const size_t escape = tradeStart + 18 + 316;
    EXPECT_EQ(std::vector<uint8_t>(out.begin() + escape, out.begin() + escape + 6),
              test::Bytes({0xFF, 0x7F, 0x42, 0x9C, 0x00, 0x80})); // 0x80000000 | 40002

    nuntio::CArchive in(out.data(), out.size(), nuntio::MessageClasses());
    for (int i = 0; i < 40000; ++i)
        ASSERT_TRUE(in.ReadObject(nullptr)) << in.Error().Describe();
    auto t1 = in.ReadObject(&nuntio::CTradeMsgObj::classCTradeMsgObj);
    auto t2 = in.ReadObject(&nuntio::CTradeMsgObj::classCTradeMsgObj);
    ASSERT_TRUE(t1 && t2) << in.Error().Describe();
    EXPECT_EQ(static_cast<nuntio::CTradeMsgObj&>(*t2).m_nSerial, 2);
    EXPECT_TRUE(in.AtEnd());
}

TEST(ArchiveTags, EscapedReferenceToASmallClassNumberIsAccepted) {
    std::vector<uint8_t> bytes = Encode(ThreeAlerts());
    // Replace the second object's 01 80 by FF 7F 01 00 00 80.
    bytes.erase(bytes.begin() + 522, bytes.begin() + 524);
    const auto esc = test::Bytes({0xFF, 0x7F, 0x01, 0x00, 0x00, 0x80});
    bytes.insert(bytes.begin() + 522, esc.begin(), esc.end());
    nuntio::CMsgList<nuntio::CAlertMsgObj> list;
    EXPECT_TRUE(Decode(bytes, list).ok());
    EXPECT_EQ(list.GetCount(), 3u);
}

TEST(ArchiveTags, NullObjectEntryIsSkipped) {
    std::vector<uint8_t> bytes = Encode(ThreeAlerts());
    bytes[0] = 4;
    bytes.insert(bytes.begin() + 2, {0x00, 0x00});
    nuntio::CMsgList<nuntio::CAlertMsgObj> list;
    const DecodeResult r = Decode(bytes, list);
    EXPECT_TRUE(r.ok()) << r.error.Describe();
    EXPECT_EQ(r.decoded, 3u);
}

static std::vector<uint8_t> Good() {
    return Encode(ThreeAlerts());
}

// Each way a message file can be damaged stops decoding with its kind, the
// offset of the bad item, and the messages before it kept.
TEST(DecodingErrors, StopWithKindOffsetAndKeepWhatCameBefore) {
    auto with = [](size_t at, uint8_t value) {
        std::vector<uint8_t> b = Good();
        b[at] = value;
        return b;
    };
    auto cut = [](size_t size) {
        std::vector<uint8_t> b = Good();
        b.resize(size);
        return b;
    };
    std::vector<uint8_t> longer = Good(), baseClass = {0x01, 0x00, 0xFF, 0xFF, 0x01, 0x00, 0x07, 0x00};
    longer.push_back(0);
    for (char c : std::string("CMsgObj"))
        baseClass.push_back(static_cast<uint8_t>(c));
    baseClass.resize(baseClass.size() + 16);
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        nuntio::ArchiveError::Kind kind;
        size_t offset, kept;
    } cases[] = {
        {"unknown class CXlertMsgObj", with(8, 'X'), nuntio::ArchiveError::kUnknownClass, 2, 0},
        {"other schema", with(4, 2), nuntio::ArchiveError::kBadSchema, 4, 0},
        {"class name too long", with(6, 64), nuntio::ArchiveError::kUnknownClass, 6, 0},
        {"class number never met (05 80)", with(522, 0x05), nuntio::ArchiveError::kBadClassIndex, 522, 1},
        {"class number of an object (02 80)", with(1026, 0x02), nuntio::ArchiveError::kBadClassIndex, 1026,
         2},
        {"reference to object 1 (01 00)", with(523, 0x00), nuntio::ArchiveError::kObjectRef, 522, 1},
        {"ends inside the third object", cut(1529), nuntio::ArchiveError::kEndOfData, 1028, 2},
        {"ends inside a tag", cut(1027), nuntio::ArchiveError::kEndOfData, 1026, 2},
        {"ends inside the class name", cut(12), nuntio::ArchiveError::kEndOfData, 8, 0},
        {"ends inside the count", test::Bytes({0x03}), nuntio::ArchiveError::kEndOfData, 0, 0},
        {"ends inside the long count", test::Bytes({0xFF, 0xFF, 0x01, 0x00}),
         nuntio::ArchiveError::kEndOfData, 2, 0},
        {"count promises more", with(0, 4), nuntio::ArchiveError::kEndOfData, 1530, 3},
        {"bytes after the last object", longer, nuntio::ArchiveError::kEndOfData, 1530, 3},
        {"base class in an alert file", baseClass, nuntio::ArchiveError::kWrongClass, 2, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        nuntio::CMsgList<nuntio::CAlertMsgObj> list;
        const DecodeResult r = Decode(c.bytes, list);
        EXPECT_EQ(r.error.kind, c.kind) << r.error.Describe();
        EXPECT_EQ(r.error.offset, c.offset) << r.error.Describe();
        EXPECT_EQ(list.GetCount(), c.kept);
        EXPECT_EQ(r.decoded, c.kept);
        EXPECT_FALSE(r.error.expected.empty());
        EXPECT_NE(r.error.Describe().find("offset " + std::to_string(c.offset)), std::string::npos);
    }
}

TEST(DecodingErrorsOfKind, TradeFileReadAsAlertsIsAnotherClass) {
    nuntio::CMsgList<nuntio::CTradeMsgObj> trades;
    trades.AddTail(test::MakeTrade(1, 1));
    std::vector<uint8_t> bytes;
    EncodeMessages(trades, bytes);
    nuntio::CMsgList<nuntio::CAlertMsgObj> alerts;
    const DecodeResult r = Decode(bytes, alerts);
    EXPECT_EQ(r.error.kind, nuntio::ArchiveError::kWrongClass);
    EXPECT_NE(r.error.Describe().find("CTradeMsgObj"), std::string::npos) << r.error.Describe();
    EXPECT_EQ(alerts.GetCount(), 0u);
}

TEST(DecodingErrorsOfKind, ShortObjectNamesItsSize) {
    auto b = Good();
    b.resize(100);
    nuntio::CMsgList<nuntio::CAlertMsgObj> list;
    const DecodeResult r = Decode(b, list);
    EXPECT_EQ(r.error.Describe(),
              "offset 20: unexpected end of data: expected 502 bytes of a CAlertMsgObj, found only 80 bytes "
              "before the end");
}

TEST(MessageObjects, SlotsOutliveAReleaseWhileObjectsLive) {
    // At unload the slots are released while a static owner may still hold
    // objects; those are freed afterwards and new ones still work.
    nuntio::CMsgList<nuntio::CAlertMsgObj> held;
    for (int i = 0; i < 200; ++i)
        held.AddTail(test::MakeAlert(i, i));
    nuntio::ReleaseMessageSlots();
    held.RemoveAll();
    nuntio::CMsgList<nuntio::CTradeMsgObj> more;
    for (int i = 0; i < 100; ++i)
        more.AddHead(test::MakeTrade(i, i));
    EXPECT_EQ(more.GetTail()->m_nSerial, 0);
    nuntio::CAlertMsgObj fresh;
    EXPECT_EQ(fresh.m_record.szContent[255], 0); // a new object's record is zero
}
