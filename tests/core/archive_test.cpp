// Message objects in the archive: the exact bytes of message files, round
// trips, the long count and the big class tag, and every decoding error.
#include <gtest/gtest.h>

#include "msg_file.h"
#include "test_util.h"

using namespace nuntio;

namespace {

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

template <class T>
std::vector<uint8_t> Encode(const nuntio::CMsgList<T>& list) {
    std::vector<uint8_t> out;
    EncodeMessages(list, out);
    return out;
}

template <class T>
DecodeResult Decode(const std::vector<uint8_t>& bytes, nuntio::CMsgList<T>& list) {
    return DecodeMessages(bytes.data(), bytes.size(), list);
}

} // namespace

// The count, the class record before the first object, 01 80 before each
// later one; each object its four words and its record. The bytes are exact,
// so a list read back that writes the same bytes again came back field for
// field.
TEST(MessageFileBytes, AlertsTradesAndAnEmptyListAreLaidOutAsTheFrameworkWritesThemAndReadBack) {
    auto expect = [](const auto& list, const std::vector<uint8_t>& classRecord) {
        std::remove_cvref_t<decltype(list)> back;
        const std::vector<uint8_t> bytes = Encode(list);
        EXPECT_TRUE(Decode(bytes, back).ok());
        EXPECT_EQ(Encode(back), bytes);
        std::vector<uint8_t> expected = {0x03, 0x00};
        expected.insert(expected.end(), classRecord.begin(), classRecord.end());
        for (size_t i = 0; i < 3; ++i) {
            if (i > 0) PutU16(expected, 0x8001);
            const auto& m = *list.GetAt(static_cast<ptrdiff_t>(i));
            for (int32_t word : {m.m_nSerial, m.m_nImage, m.m_nCategory, m.m_tArrived})
                PutU32(expected, static_cast<uint32_t>(word));
            const auto* record = reinterpret_cast<const uint8_t*>(&m.m_record);
            expected.insert(expected.end(), record, record + sizeof m.m_record);
        }
        return expected;
    };
    const nuntio::CMsgList<nuntio::CAlertMsgObj> alerts = ThreeAlerts();
    ASSERT_EQ(Encode(alerts).size(), 1530u);
    EXPECT_EQ(Encode(alerts), expect(alerts, kAlertClassRecord));

    nuntio::CMsgList<nuntio::CTradeMsgObj> trades;
    for (int i = 0; i < 3; ++i)
        trades.AddTail(test::MakeTrade(i - 1, i == 2 ? 0x7FFFFFFF : -1)); // negative words survive
    EXPECT_EQ(Encode(trades).size(), 2u + 18 + 316 + 2 * (2 + 316));
    EXPECT_EQ(Encode(trades), expect(trades, kTradeClassRecord));

    EXPECT_EQ(Encode(nuntio::CMsgList<nuntio::CAlertMsgObj>()), (std::vector<uint8_t>{0x00, 0x00}));
}

TEST(MessageFileBytes, SeventyThousandMessagesUseTheLongCount) {
    nuntio::CMsgList<nuntio::CAlertMsgObj> list;
    for (int i = 0; i < 70000; ++i)
        list.AddTail(test::MakeAlert(i, 1700000000));
    const std::vector<uint8_t> bytes = Encode(list);
    // 0xFFFF, then 70000 = 0x00011170 as a u32, then the class record.
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 6),
              (std::vector<uint8_t>{0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}));
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 6, bytes.begin() + 24), kAlertClassRecord);
    EXPECT_EQ(bytes.size(), 6u + 18 + 502 + 69999u * 504);
    nuntio::CMsgList<nuntio::CAlertMsgObj> back;
    const DecodeResult r = Decode(bytes, back);
    ASSERT_TRUE(r.ok()) << r.error.Describe();
    EXPECT_EQ(back.GetCount(), 70000u);
    EXPECT_EQ(back.GetAt(69999)->m_nSerial, 69999);

    // The count just below the long form stays short.
    std::vector<uint8_t> out;
    nuntio::CArchive ar(out);
    ar.WriteCount(0xFFFE);
    ar.WriteCount(0xFFFF);
    EXPECT_EQ(out, (std::vector<uint8_t>{0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}));
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
              (std::vector<uint8_t>{0xFF, 0x7F, 0x42, 0x9C, 0x00, 0x80})); // 0x80000000 | 40002

    nuntio::CArchive in(out.data(), out.size(), nuntio::MessageClasses());
    for (int i = 0; i < 40000; ++i)
        ASSERT_TRUE(in.ReadObject(nullptr)) << in.Error().Describe();
    auto t1 = in.ReadObject(&nuntio::CTradeMsgObj::classCTradeMsgObj);
    auto t2 = in.ReadObject(&nuntio::CTradeMsgObj::classCTradeMsgObj);
    ASSERT_TRUE(t1 && t2) << in.Error().Describe();
    EXPECT_EQ(static_cast<nuntio::CTradeMsgObj&>(*t2).m_nSerial, 2);
    EXPECT_TRUE(in.AtEnd());
}

// A file cut at any byte (a crash in the middle of a copy, a full disk at a
// backup): every whole message before the cut is kept, and the error names
// the item the cut fell in (count, tag, schema, name length, name, object).
TEST(DecodingErrors, ACutAtAnyByteKeepsTheWholeMessagesBeforeItAndNamesTheItem) {
    const std::vector<uint8_t> whole = Encode(ThreeAlerts());
    const size_t starts[] = {0, 2, 4, 6, 8, 20, 522, 524, 1026, 1028};
    for (size_t cut = 0; cut <= whole.size(); ++cut) {
        SCOPED_TRACE(cut);
        nuntio::CMsgList<nuntio::CAlertMsgObj> list;
        const DecodeResult r = DecodeMessages(whole.data(), cut, list);
        size_t item = 0;
        for (size_t start : starts)
            item = start <= cut ? start : item;
        const bool read = cut == 0 || cut == whole.size(); // an empty file holds no messages
        ASSERT_EQ(r.error.kind, read ? nuntio::ArchiveError::kNone : nuntio::ArchiveError::kEndOfData);
        ASSERT_EQ(r.error.offset, read ? 0 : item);
        ASSERT_EQ(list.GetCount(), (cut >= 522) + (cut >= 1026) + (cut == whole.size()));
    }
}

// Each other way a message file can be damaged, or differ from what this
// library writes, stops decoding with its kind, the offset of the bad item
// and the messages before it kept; or is read whole.
TEST(DecodingErrors, StopWithKindOffsetAndKeepWhatCameBefore) {
    const std::vector<uint8_t> good = Encode(ThreeAlerts());
    auto with = [&](size_t at, uint8_t value) {
        std::vector<uint8_t> b = good;
        b[at] = value;
        return b;
    };
    auto replace = [&](size_t at, size_t n, std::vector<uint8_t> bytes) {
        std::vector<uint8_t> b = good;
        b.erase(b.begin() + static_cast<ptrdiff_t>(at), b.begin() + static_cast<ptrdiff_t>(at + n));
        b.insert(b.begin() + static_cast<ptrdiff_t>(at), bytes.begin(), bytes.end());
        return b;
    };
    std::vector<uint8_t> longer = good, baseClass = {0x01, 0x00, 0xFF, 0xFF, 0x01, 0x00, 0x07, 0x00};
    longer.push_back(0);
    for (char c : std::string("CMsgObj"))
        baseClass.push_back(static_cast<uint8_t>(c));
    baseClass.resize(baseClass.size() + 16);
    nuntio::CMsgList<nuntio::CTradeMsgObj> trades;
    trades.AddTail(test::MakeTrade(1, 1));
    using E = nuntio::ArchiveError;
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        E::Kind kind;
        size_t offset, kept;
        std::string says = "";
    } cases[] = {
        {"unknown class CXlertMsgObj", with(8, 'X'), E::kUnknownClass, 2, 0},
        {"other schema", with(4, 2), E::kBadSchema, 4, 0},
        {"class name too long", with(6, 64), E::kUnknownClass, 6, 0},
        {"class number never met (05 80)", with(522, 0x05), E::kBadClassIndex, 522, 1},
        {"class number of an object (02 80)", with(1026, 0x02), E::kBadClassIndex, 1026, 2},
        {"reference to object 1 (01 00)", with(523, 0x00), E::kObjectRef, 522, 1},
        {"ends inside the long count", {0xFF, 0xFF, 0x01, 0x00}, E::kEndOfData, 2, 0},
        {"count promises more", with(0, 4), E::kEndOfData, 1530, 3},
        {"bytes after the last object", longer, E::kEndOfData, 1530, 3},
        {"base class in an alert file", baseClass, E::kWrongClass, 2, 0},
        {"a trade file", Encode(trades), E::kWrongClass, 2, 0, "CTradeMsgObj"},
        {"ends inside the first object", std::vector<uint8_t>(good.begin(), good.begin() + 100),
         E::kEndOfData, 20, 0,
         "offset 20: unexpected end of data: expected 502 bytes of a CAlertMsgObj, found only 80 bytes "
         "before the end"},
        // Read whole: an escaped reference to a small class number, a null entry.
        {"01 80 as FF 7F 01 00 00 80", replace(522, 2, {0xFF, 0x7F, 0x01, 0x00, 0x00, 0x80}), E::kNone, 0, 3},
        {"a null entry first", replace(0, 2, {0x04, 0x00, 0x00, 0x00}), E::kNone, 0, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        nuntio::CMsgList<nuntio::CAlertMsgObj> list;
        const DecodeResult r = Decode(c.bytes, list);
        EXPECT_EQ(r.error.kind, c.kind) << r.error.Describe();
        EXPECT_EQ(list.GetCount(), c.kept);
        EXPECT_EQ(r.decoded, c.kept);
        if (c.kind == E::kNone) continue;
        EXPECT_EQ(r.error.offset, c.offset) << r.error.Describe();
        EXPECT_FALSE(r.error.expected.empty());
        EXPECT_NE(r.error.Describe().find("offset " + std::to_string(c.offset)), std::string::npos);
        EXPECT_NE(r.error.Describe().find(c.says), std::string::npos) << r.error.Describe();
    }
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
