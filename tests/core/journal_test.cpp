// The category model and its change journal: each kind of change survives a
// crash (the model dropped without Close) and a journal cut at every byte or
// damaged in its checksum replays exactly the whole records before the damage
// and is kept aside, the serial counter moves past every replayed number, a
// stale journal is not applied twice, a second process writes nothing, a long
// session's journal is folded into the file, and a full disk loses nothing
// that was already durable. Also which icons a new alert changes and the codes of the
// position operations.
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>
#include <set>
#include <tuple>
#include <type_traits>

#include "msg_model.h"
#include "test_util.h"

using namespace nuntio;

namespace {

using Row = std::tuple<int32_t, int32_t, std::string>; // serial, image, content

class Journal : public ::testing::Test {
protected:
    test::ScratchDir dir;
    test::ScopedTimeZone tz{"UTC"};
    IFileSystem& fs = PlatformFileSystem();
    const int64_t now = 1709964300; // 2024-03-09 06:05:00

    void SetUp() override { MakeUserDirs(dir.Native()); }
    static void MakeUserDirs(const std::string& native) {
        ::mkdir((native + "/User").c_str(), 0755);
        ::mkdir((native + "/User/u").c_str(), 0755);
    }
    std::string Native(const std::string& name) const { return dir.Native() + "/User/u/Nuntio/" + name; }

    static InboundMessage Alert(const std::string& content) {
        InboundMessage in{};
        in.nCategory = 0;
        test::SetField(in.body.alert.szContent, content.c_str());
        return in;
    }
    static InboundMessage Trade(const char* detail) {
        InboundMessage in{};
        in.nCategory = 1;
        test::SetField(in.body.trade.szEvent, "E");
        test::SetField(in.body.trade.szDetail, detail);
        return in;
    }
    std::unique_ptr<CAlertListModel> OpenAlerts(CategoryOpenResult* out = nullptr,
                                                IFileSystem* with = nullptr) {
        auto m = std::make_unique<CAlertListModel>(CConfigDoc::ForAlert());
        CategoryOpenResult r = m->Open(with != nullptr ? *with : fs, dir.Path(), "u", "AlertMsg.cfg", now);
        if (out != nullptr) *out = r;
        return m;
    }
    static std::vector<Row> Rows(const CAlertListModel& m) {
        std::vector<Row> rows;
        for (size_t i = 0; i < m.GetMsgCount(); ++i)
            rows.emplace_back(m.GetMsgSerial(static_cast<ptrdiff_t>(i)),
                              m.GetMsgImage(static_cast<ptrdiff_t>(i)),
                              m.RowText(static_cast<ptrdiff_t>(i), kAlertContent));
        return rows;
    }
    std::vector<std::string> Damaged() const {
        std::vector<std::string> out;
        for (const std::string& f : test::ListNative(dir.Native() + "/User/u/Nuntio"))
            if (f.find(".damaged-") != std::string::npos) out.push_back(f);
        return out;
    }
};

class CategoryModel : public Journal {};

} // namespace

// A folder with three alerts written whole, then a session of every kind of
// change that is dropped without Close; the state and the journal's size after
// each change (states[0]: the file as written whole).
TEST_F(Journal, CutAtEveryByteReplaysTheWholeRecordsBeforeTheCut) {
    std::vector<std::vector<Row>> states;
    std::vector<size_t> ends;
    {
        auto m = OpenAlerts();
        for (int i = 0; i < 3; ++i)
            m->AddMessage(Alert("base" + std::to_string(i)), now);
        ASSERT_TRUE(m->Close(now));
    }
    {
        auto m = OpenAlerts();
        states.push_back(Rows(*m));
        ends.push_back(kJournalHeaderSize);
        auto step = [&] {
            states.push_back(Rows(*m));
            ends.push_back(test::ReadNative(Native("AlertMsg.DAT.journal")).size());
        };
        m->AddMessage(Alert("a"), now), step();
        m->SetMsgImage(1, kImageOpened), step();
        m->DeleteAt(2), step();
        m->Config().m_nKeepMode = kKeepByCount;
        m->Config().m_nKeepLimit = 2;
        m->ApplyRetention(now), step();
        m->AddMessage(Alert("b"), now), step();
        m->DeleteAll(), step();
        m->AddMessage(Alert("c"), now), step();
    }
    const std::vector<uint8_t> dat = test::ReadNative(Native("AlertMsg.DAT"));
    const std::vector<uint8_t> cfg = test::ReadNative(Native("AlertMsg.cfg"));
    const std::vector<uint8_t> journal = test::ReadNative(Native("AlertMsg.DAT.journal"));
    ASSERT_EQ(journal.size(), ends.back());

    for (size_t cut = 0; cut <= journal.size(); ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        for (const std::string& f : Damaged())
            ::unlink(Native(f).c_str());
        test::WriteNative(Native("AlertMsg.DAT"), dat);
        test::WriteNative(Native("AlertMsg.cfg"), cfg);
        test::WriteNative(
            Native("AlertMsg.DAT.journal"),
            std::vector<uint8_t>(journal.begin(), journal.begin() + static_cast<ptrdiff_t>(cut)));
        size_t whole = 0;
        bool boundary = cut == 0;
        for (size_t i = 0; i < ends.size(); ++i) {
            if (ends[i] <= cut) whole = i;
            if (ends[i] == cut) boundary = true;
        }
        CategoryOpenResult r;
        auto m = OpenAlerts(&r);
        ASSERT_EQ(Rows(*m), states[whole]);
        EXPECT_EQ(r.journal.replayed, whole);
        EXPECT_EQ(r.journal.damaged, !boundary);
        EXPECT_EQ(test::ReadNative(Native("AlertMsg.DAT.journal")).size(), ends[whole])
            << "the journal goes on after its whole records; the damage is cut";
        EXPECT_EQ(Damaged().size(), boundary ? 0u : 1u) << "the damaged journal is kept aside";
        if (!boundary && !Damaged().empty()) {
            EXPECT_EQ(test::ReadNative(Native(Damaged()[0])).size(), cut);
        }
        // What was replayed is durable: a second crash right away keeps it.
        m.reset();
        auto again = OpenAlerts(&r);
        ASSERT_EQ(Rows(*again), states[whole]);
        EXPECT_EQ(r.journal.replayed, whole);
        EXPECT_FALSE(r.journal.damaged);
    }
}

TEST_F(Journal, ChecksumDamageEndsTheReplayThere) {
    std::vector<size_t> ends;
    {
        auto m = OpenAlerts();
        for (int i = 0; i < 4; ++i) {
            m->AddMessage(Alert("m" + std::to_string(i)), now);
            ends.push_back(test::ReadNative(Native("AlertMsg.DAT.journal")).size());
        }
    }
    std::vector<uint8_t> j = test::ReadNative(Native("AlertMsg.DAT.journal"));
    j[ends[1] + 40] ^= 0x10; // inside the third record's object
    test::WriteNative(Native("AlertMsg.DAT.journal"), j);
    CategoryOpenResult r;
    auto m = OpenAlerts(&r);
    EXPECT_TRUE(r.journal.damaged);
    EXPECT_EQ(r.journal.replayed, 2u);
    ASSERT_EQ(m->GetMsgCount(), 2u);
    EXPECT_EQ(m->RowText(0, kAlertContent), "m1");
    EXPECT_EQ(r.journal.keptAsidePath,
              dir.Path() + "\\User\\u\\Nuntio\\AlertMsg.DAT.journal.damaged-20240309-060500");
    EXPECT_EQ(test::ReadNative(Native("AlertMsg.DAT.journal.damaged-20240309-060500")), j);
    // The checksum is the usual CRC-32 (zlib's), at every length and alignment.
    const std::string digits = "123456789";
    EXPECT_EQ(Crc32(reinterpret_cast<const uint8_t*>(digits.data()), digits.size()), 0xCBF43926u);
    std::vector<uint8_t> bytes(1030);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + 3);
    EXPECT_EQ(Crc32(bytes.data(), 1029), 0x1CE10E21u);
    EXPECT_EQ(Crc32(bytes.data() + 13, 1016, Crc32(bytes.data(), 13)), 0x1CE10E21u);
}

// The header, then each record framed by its length (of op and payload), op
// and a checksum of the length, op and payload.
TEST(JournalBytes, AHeaderAndARecordAreLaidOutByteForByte) {
    std::vector<uint8_t> j;
    EncodeJournalHeader(1, {0x0504, 0x0706}, j);
    EncodeSetImageRecord(2, -1, 1, j);
    const std::vector<uint8_t> record = {13, 0, 0, 0, 4, 2, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0};
    std::vector<uint8_t> want = {'N', 'T', 'J', 'L', 1, 0, 1, 0, 4, 5, 0, 0, 6, 7, 0, 0};
    want.insert(want.end(), record.begin(), record.end());
    PutU32(want, Crc32(record.data(), record.size()));
    EXPECT_EQ(j, want);
}

TEST_F(Journal, SerialNumbersNeverRepeatAfterACrash) {
    {
        auto m = OpenAlerts();
        m->Config().m_nNextSerial = 100;
        ASSERT_TRUE(m->Close(now)); // the counter on disk: 100
    }
    std::set<int32_t> seen;
    {
        auto m = OpenAlerts();
        for (int i = 0; i < 3; ++i) {
            m->AddMessage(Alert("x"), now);
            m->MakeObject(Alert("x"), now); // the notification's number
        }
        m->DeleteAt(0); // its number is gone with it, but must not come back
        for (const Row& r : Rows(*m))
            seen.insert(std::get<0>(r));
    }
    auto m = OpenAlerts();
    EXPECT_GE(m->Config().m_nNextSerial, 106);
    // The counter was stored with the replayed file, so a second crash keeps it.
    m.reset();
    m = OpenAlerts();
    EXPECT_GE(m->Config().m_nNextSerial, 106);
    m->AddMessage(Alert("after"), now);
    EXPECT_EQ(seen.count(m->GetMsgSerial(0)), 0u);
    EXPECT_GE(m->GetMsgSerial(0), 106);
}

TEST_F(Journal, AJournalOlderThanTheFileIsNotAppliedTwice) {
    std::vector<uint8_t> journal;
    {
        auto m = OpenAlerts();
        m->AddMessage(Alert("one"), now);
        m->AddMessage(Alert("two"), now);
        m->DeleteAt(1);
        journal = test::ReadNative(Native("AlertMsg.DAT.journal"));
        ASSERT_TRUE(m->Close(now));
    }
    // The host died after the file's rename and before the journal's removal.
    test::WriteNative(Native("AlertMsg.DAT.journal"), journal);
    CategoryOpenResult r;
    auto m = OpenAlerts(&r);
    EXPECT_EQ(r.journal.replayed, 0u);
    EXPECT_FALSE(r.journal.damaged);
    ASSERT_EQ(m->GetMsgCount(), 1u);
    EXPECT_EQ(m->RowText(0, kAlertContent), "two");
}

// A long session does not let the journal grow without end: past the file's
// size (and a floor) it is folded into the file. A fold that cannot write the
// file loses nothing and is tried again later; a crash after a fold loses
// nothing either.
TEST_F(Journal, ALongSessionFoldsTheJournalIntoTheFile) {
    test::FailingFileSystem ffs;
    std::vector<Row> before;
    size_t largest = 0;
    int foldedAt = -1;
    {
        CAlertListModel m(CConfigDoc::ForAlert());
        m.Open(ffs, dir.Path(), "u", "AlertMsg.cfg", now);
        m.Config().m_nKeepMode = 2; // retention by count keeps the file small
        m.Config().m_nKeepLimit = 100;
        ffs.failReplace = true;
        size_t last = 0;
        for (int i = 0; i < 4000; ++i) {
            if (i == 2500) ffs.failReplace = false;
            m.AddMessage(Alert("n" + std::to_string(i)), now);
            if (i % 7 == 0) m.SetMsgImage(1, kImageOpened);
            EXPECT_FALSE(m.TakeWriteFailure());
            const size_t size = std::filesystem::file_size(Native("AlertMsg.DAT.journal"));
            if (size < last && foldedAt < 0) foldedAt = i;
            largest = std::max(largest, size);
            last = size;
        }
        m.DeleteAt(3);
        before = Rows(m);
    } // dropped without Close
    EXPECT_GE(foldedAt, 2500);
    EXPECT_LT(largest, 2 * CAlertListModel::kJournalFloor + 4096);
    auto m = OpenAlerts();
    EXPECT_EQ(Rows(*m), before);
    EXPECT_EQ(m->RowText(0, kAlertContent), "n3999");
    EXPECT_GT(m->Config().m_nNextSerial, std::get<0>(before.front()));
}

// A message file that cannot be read (held past the wait, or no memory for
// it) is never written: the session's changes wait in the pending journal,
// survive a crash there, and join the stored messages at the first start that
// can read the file, exactly once even when the pending journal could not be
// removed after its fold.
TEST_F(Journal, AMessageFileThatCannotBeReadIsLeftAsItIsAndItsSessionIsKept) {
    for (const bool noMemory : {false, true}) {
        SCOPED_TRACE(noMemory ? "no memory" : "held by another program");
        std::filesystem::remove_all(Native(""));
        {
            auto m = OpenAlerts();
            for (const char* t : {"a", "b", "c"})
                m->AddMessage(Alert(t), now);
            m->Close(now);
        }
        const std::vector<uint8_t> stored = test::ReadNative(Native("AlertMsg.DAT"));
        test::FailingFileSystem ffs;
        (noMemory ? ffs.noMemorySuffix : ffs.busySuffix) = "AlertMsg.DAT";
        {
            CategoryOpenResult r;
            auto m = OpenAlerts(&r, &ffs);
            EXPECT_TRUE(r.partial && m->Partial());
            EXPECT_EQ(r.unreadBecause, noMemory ? ReadStatus::kOk : ReadStatus::kBusy);
            EXPECT_EQ(ffs.paused, noMemory ? 0u : kBusyWaitMs) << "a held file is waited for";
            EXPECT_EQ(m->GetMsgCount(), 0u);
            m->Config().m_nKeepMode = kKeepByCount; // retention would drop stored messages it cannot see
            m->Config().m_nKeepLimit = 1;
            for (const char* t : {"d", "e", "f"})
                m->AddMessage(Alert(t), now);
            EXPECT_EQ(m->GetMsgCount(), 3u);
            EXPECT_EQ(m->CountRetention(kKeepByCount, 1, now), 0u)
                << "retention waits, so the settings ask nothing";
            m->DeleteRows({1});
            m->SetMsgImage(1, kImageOpened);
        } // a crash
        {
            auto m = OpenAlerts(nullptr, &ffs);
            EXPECT_EQ(m->GetMsgCount(), 2u) << "its own changes are shown again";
            m->AddMessage(Alert("g"), now);
            m->DeleteAll(); // only what it lists
            m->AddMessage(Alert("h"), now);
            m->Close(now);
        }
        EXPECT_EQ(test::ReadNative(Native("AlertMsg.DAT")), stored) << "never written";
        EXPECT_TRUE(std::filesystem::exists(Native("AlertMsg.DAT.pending")));
        EXPECT_FALSE(std::filesystem::exists(Native("AlertMsg.DAT.journal")));

        // The file can be read again: stored and new together, folded once.
        const std::vector<uint8_t> pending = test::ReadNative(Native("AlertMsg.DAT.pending"));
        CategoryOpenResult r;
        auto m = OpenAlerts(&r);
        EXPECT_FALSE(r.partial);
        EXPECT_GT(r.journal.pendingReplayed, 0u);
        std::vector<std::string> texts;
        for (const Row& row : Rows(*m))
            texts.push_back(std::get<2>(row));
        EXPECT_EQ(texts, (std::vector<std::string>{"h", "c", "b", "a"}));
        EXPECT_EQ(m->CountRetention(kKeepByCount, 1, now), 3u) << "the stored messages count again";
        std::set<int32_t> serials;
        for (const Row& row : Rows(*m))
            EXPECT_TRUE(serials.insert(std::get<0>(row)).second) << "serials unique";
        EXPECT_FALSE(std::filesystem::exists(Native("AlertMsg.DAT.pending")));
        const std::vector<Row> folded = Rows(*m);
        m.reset();

        // A pending journal left behind after its fold (its removal failed):
        // its fold record keeps it from being applied twice.
        std::vector<uint8_t> again = pending;
        std::vector<uint8_t> payload, rec;
        const JournalBase base = BaseOf(test::ReadNative(Native("AlertMsg.DAT")));
        PutU32(payload, base.size);
        PutU32(payload, base.crc);
        EncodeRecord(kFoldedOp, payload, rec);
        again.insert(again.end(), rec.begin(), rec.end());
        test::WriteNative(Native("AlertMsg.DAT.pending"), again);
        EXPECT_EQ(Rows(*OpenAlerts()), folded);
    }
}

// The second process: its delete-all and its Close write nothing either.
TEST_F(Journal, ASecondProcessSeesTheStoredMessagesAndWritesNothing) {
    auto first = OpenAlerts();
    first->AddMessage(Alert("first"), now);
    CategoryOpenResult r;
    auto second = OpenAlerts(&r);
    EXPECT_EQ(r.journal.mode, StoreMode::kShared);
    ASSERT_EQ(second->GetMsgCount(), 1u);
    EXPECT_EQ(second->RowText(0, kAlertContent), "first");
    second->AddMessage(Alert("second"), now);
    second->DeleteAll();
    const std::vector<uint8_t> dat = test::ReadNative(Native("AlertMsg.DAT"));
    const std::vector<uint8_t> cfg = test::ReadNative(Native("AlertMsg.cfg"));
    const std::vector<uint8_t> journal = test::ReadNative(Native("AlertMsg.DAT.journal"));
    EXPECT_TRUE(second->Close(now));
    EXPECT_EQ(test::ReadNative(Native("AlertMsg.DAT")), dat);
    EXPECT_EQ(test::ReadNative(Native("AlertMsg.cfg")), cfg);
    EXPECT_EQ(test::ReadNative(Native("AlertMsg.DAT.journal")), journal);
    first->AddMessage(Alert("first again"), now);
    first.reset(); // crash of the first
    auto third = OpenAlerts(&r);
    EXPECT_EQ(r.journal.mode, StoreMode::kJournal);
    ASSERT_EQ(third->GetMsgCount(), 2u);
    EXPECT_EQ(third->RowText(0, kAlertContent), "first again");
}

TEST_F(Journal, AFullDiskLosesNothingAlreadyDurable) {
    if (::geteuid() != 0) GTEST_SKIP() << "mounting a small tmpfs needs root";
    const std::string mnt = dir.Native() + "/small";
    ::mkdir(mnt.c_str(), 0755);
    if (::mount("tmpfs", mnt.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here (" << std::strerror(errno) << ")";
    struct Unmount {
        std::string path;
        ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
    } unmount{mnt};
    MakeUserDirs(mnt);
    const std::string root = dir.Path() + "\\small";
    std::vector<std::string> stored;
    bool told = false;
    {
        CAlertListModel m(CConfigDoc::ForAlert());
        m.Open(fs, root, "u", "AlertMsg.cfg", now);
        ASSERT_EQ(m.Mode(), StoreMode::kJournal);
        for (int i = 0; i < 400 && !told; ++i) {
            m.AddMessage(Alert("full" + std::to_string(i)), now);
            if (m.TakeWriteFailure())
                told = true;
            else
                stored.insert(stored.begin(), "full" + std::to_string(i));
        }
        EXPECT_TRUE(told) << "64 KB hold fewer than 400 journal records";
        EXPECT_FALSE(m.TakeWriteFailure()) << "told once";
        // Crash.
    }
    CAlertListModel m(CConfigDoc::ForAlert());
    m.Open(fs, root, "u", "AlertMsg.cfg", now);
    ASSERT_EQ(m.GetMsgCount(), stored.size());
    for (size_t i = 0; i < stored.size(); ++i)
        EXPECT_EQ(m.RowText(static_cast<ptrdiff_t>(i), kAlertContent), stored[i]);
}

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

// ---- replay of records onto a list, without files ---------------------------

namespace {

// A message's identity in these tests: its serial, its icon and its arrival
// (each message of a test list arrives at its own time, so messages sharing a
// serial stay apart).
using Msg = std::tuple<int32_t, int32_t, int32_t>;

template <class T>
std::unique_ptr<T> MakeMsg(int32_t serial, int32_t arrived) {
    if constexpr (std::is_same_v<T, nuntio::CAlertMsgObj>)
        return test::MakeAlert(serial, arrived);
    else
        return test::MakeTrade(serial, arrived);
}
template <class T>
std::vector<Msg> MsgsOf(const nuntio::CMsgList<T>& list) {
    std::vector<Msg> out;
    for (const auto& m : list)
        out.emplace_back(m->m_nSerial, m->m_nImage, m->m_tArrived);
    return out;
}
std::vector<uint8_t> WithHeader(uint16_t kind, const std::vector<uint8_t>& records) {
    std::vector<uint8_t> j;
    EncodeJournalHeader(kind, kAnyBase, j);
    j.insert(j.end(), records.begin(), records.end());
    return j;
}

} // namespace

// A batch too large for one record is split; each record's positions are in
// the list the records before it left. Every message shares one serial, so
// only the positions pick the rows.
TEST(JournalReplay, ASplitBatchRemovesTheSameRowsAsOneRecord) {
    const std::vector<std::pair<int32_t, int32_t>> rows = {{0, 7}, {2, 7}, {3, 7}, {5, 7},
                                                           {8, 7}, {9, 7}, {11, 7}};
    for (size_t perRecord : {size_t{3}, size_t{7}, kJournalMaxBatchRows}) {
        SCOPED_TRACE(perRecord);
        std::vector<uint8_t> recs;
        journal_detail::EncodeDeleteBatchRecords(rows, perRecord, recs);
        const std::vector<uint8_t> bytes = WithHeader(0, recs);
        const ParsedJournal parsed = ParseJournal(bytes.data(), bytes.size());
        ASSERT_EQ(parsed.status, JournalStatus::kWhole);
        EXPECT_EQ(parsed.records.size(), (rows.size() + perRecord - 1) / perRecord);
        nuntio::CMsgList<nuntio::CAlertMsgObj> list;
        for (int32_t i = 0; i < 12; ++i)
            list.AddTail(test::MakeAlert(7, i));
        int32_t next = 0;
        const ReplayResult r = ReplayJournal(parsed, list, next);
        std::vector<int32_t> left; // the first list's positions
        for (const auto& m : list)
            left.push_back(m->m_tArrived);
        EXPECT_EQ(left, (std::vector<int32_t>{1, 4, 6, 7, 10}));
        EXPECT_EQ(r.applied, parsed.records.size());
    }
}

// Random journals of every kind of record, onto random lists, some with
// serials shared by several messages (as old files may hold), some cut short
// or ending in a malformed record. Each record is applied as it is written to
// a plain vector of the messages, newest first, searched from the top; the
// replay of the journal as cut must give that vector, counts, good end and
// serial counter as they stood after the last whole record before the cut.
template <class T>
void ReplayMatchesThePlainReplay(uint32_t seed) {
    std::mt19937 rng(seed);
    auto below = [&](int n) { return static_cast<int32_t>(rng() % static_cast<uint32_t>(n)); };
    struct State {
        std::vector<Msg> msgs;
        int32_t next;
        size_t applied, skipped, end;
    };
    for (int trial = 0; trial < 300; ++trial) {
        const int size = below(40);
        const int serials = trial % 2 == 0 ? 1 + size / 3 : size + 6; // even trials share serials
        std::vector<Msg> plain;
        nuntio::CMsgList<T> list;
        for (int i = 0; i < size; ++i) {
            list.AddTail(MakeMsg<T>(trial % 2 == 0 ? below(serials) : size - i, i));
            list.GetTail()->m_nImage = below(3);
            plain.emplace_back(list.GetTail()->m_nSerial, list.GetTail()->m_nImage, i);
        }
        // At the row's position when it holds the row's serial, else the first with that serial.
        auto locate = [&](int32_t pos, int32_t serial) {
            if (pos >= 0 && pos < static_cast<int32_t>(plain.size()) && std::get<0>(plain[pos]) == serial)
                return plain.begin() + pos;
            return std::find_if(plain.begin(), plain.end(),
                                [&](const Msg& m) { return std::get<0>(m) == serial; });
        };
        auto drop = [&](uint32_t n) { plain.resize(plain.size() - std::min<size_t>(n, plain.size())); };
        const int32_t firstNext = below(serials);
        std::vector<uint8_t> bytes = WithHeader(0, {});
        std::vector<State> states = {{plain, firstNext, 0, 0, bytes.size()}};
        int32_t added = serials;
        for (int i = 0, records = below(60); i < records; ++i) {
            State s = states.back();
            const int32_t pos = below(size + 3) - 1, serial = below(serials + 2), kind = below(20);
            bool found = true;
            if (kind < 5) {
                // New serials mostly; now and then one the list holds already.
                auto m = MakeMsg<T>(below(4) == 0 ? serial : added++, 1000 + i);
                m->m_nImage = below(3);
                const bool flag = below(2) == 0;
                const uint32_t dropped = below(4) == 0 ? static_cast<uint32_t>(below(3)) : 0;
                const int32_t next = below(added + 3);
                EncodeAddRecord(*m, flag, dropped, next, bytes);
                if ((std::is_same_v<T, nuntio::CAlertMsgObj> || flag) && !plain.empty() &&
                    std::get<1>(plain[0]) == kImageLatest)
                    std::get<1>(plain[0]) = kImageEarlier;
                plain.emplace(plain.begin(), m->m_nSerial, m->m_nImage, 1000 + i);
                drop(dropped);
                s.next = std::max({s.next, next, m->m_nSerial + 2});
            } else if (kind < 9) {
                EncodeDeleteRecord(pos, serial, bytes);
                if ((found = locate(pos, serial) != plain.end())) plain.erase(locate(pos, serial));
            } else if (kind < 12) {
                const int32_t image = below(3);
                EncodeSetImageRecord(pos, serial, image, bytes);
                if ((found = locate(pos, serial) != plain.end())) std::get<1>(*locate(pos, serial)) = image;
            } else if (kind == 12) {
                const uint32_t n = static_cast<uint32_t>(below(3));
                EncodeRetentionRecord(n, bytes);
                drop(n);
            } else if (kind == 13 && below(4) == 0) {
                EncodeDeleteAllRecord(bytes);
                plain.clear();
            } else if (kind == 19 && below(4) == 0) {
                // A record of any kind one to three bytes long (too short, too
                // long or of no kind), or a batch whose size disagrees with its count.
                const std::vector<uint8_t> batches[] = {
                    {},                                                // no count
                    {2, 0, 0, 0, 1, 0, 0, 0, 11, 0, 0, 0},             // one row of two
                    {0, 0, 0, 0, 1, 0, 0, 0, 11, 0, 0, 0},             // a row beyond its count
                    {1, 0, 0, 0, 1, 0, 0, 0, 11, 0, 0},                // a cut row
                    {0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 11, 0, 0, 0}, // a count whose size overflows
                };
                if (below(2) == 0)
                    EncodeRecord(JournalOp::kDeleteBatch, batches[below(5)], bytes);
                else
                    EncodeRecord(static_cast<JournalOp>(1 + below(9)),
                                 std::vector<uint8_t>(static_cast<size_t>(1 + below(3)), 1), bytes);
                break;
            } else {
                // Every row is located before any is removed.
                std::vector<std::pair<int32_t, int32_t>> rows;
                std::set<ptrdiff_t> gone;
                for (int32_t p = 0; p < size + 2; ++p) {
                    if (below(3) != 0) continue;
                    rows.emplace_back(p, below(serials + 2));
                    if (auto at = locate(p, rows.back().second); at != plain.end())
                        gone.insert(at - plain.begin());
                }
                if (rows.empty())
                    EncodeRecord(JournalOp::kDeleteBatch, {0, 0, 0, 0}, bytes); // finds nothing: skipped
                else
                    EncodeDeleteBatchRecord(rows, bytes);
                for (auto at = gone.rbegin(); at != gone.rend(); ++at)
                    plain.erase(plain.begin() + *at);
                found = !gone.empty();
            }
            ++(found ? s.applied : s.skipped);
            s.msgs = plain;
            s.end = bytes.size();
            states.push_back(s);
        }
        const size_t cut =
            below(4) == 0 ? static_cast<size_t>(below(static_cast<int>(bytes.size()) + 1)) : bytes.size();
        bytes.resize(cut);
        size_t whole = 0;
        while (whole + 1 < states.size() && states[whole + 1].end <= cut)
            ++whole;
        const State& want = states[whole];
        int32_t next = firstNext;
        const ReplayResult r = ReplayJournal(ParseJournal(bytes.data(), bytes.size()), list, next);
        ASSERT_EQ(MsgsOf(list), want.msgs) << "trial " << trial;
        ASSERT_EQ(std::tie(r.applied, r.skipped, r.damaged, r.goodEnd),
                  std::make_tuple(want.applied, want.skipped, cut != 0 && cut != want.end,
                                  cut < kJournalHeaderSize ? 0 : want.end))
            << "trial " << trial;
        ASSERT_EQ(next, want.next) << "trial " << trial;
    }
}

TEST(JournalReplay, MatchesThePlainReplayRecordForRecord) {
    for (uint32_t seed : {1u, 2u, 3u}) {
        SCOPED_TRACE(seed);
        ReplayMatchesThePlainReplay<nuntio::CAlertMsgObj>(seed);
        ReplayMatchesThePlainReplay<nuntio::CTradeMsgObj>(seed);
    }
}

TEST(MessageList, RemoveSortedTakesTheGivenPositionsInOnePass) {
    struct Case {
        std::vector<size_t> positions;
        std::vector<int> left;
    };
    const Case cases[] = {
        {{}, {0, 1, 2, 3, 4}},     {{0}, {1, 2, 3, 4}},       {{4}, {0, 1, 2, 3}},
        {{0, 1, 2, 3, 4}, {}},     {{1, 1, 3, 3}, {0, 2, 4}}, // repeated
        {{3, 5, 9}, {0, 1, 2, 4}},                            // past the end
        {{5}, {0, 1, 2, 3, 4}},    {{2, 1, 4}, {0, 1, 3}},    // out of order: the lower one is ignored
    };
    for (const Case& c : cases) {
        nuntio::CMsgList<int> list;
        for (int i = 0; i < 5; ++i)
            list.AddTail(std::make_unique<int>(i));
        EXPECT_EQ(list.RemoveSorted(c.positions), 5 - c.left.size());
        std::vector<int> left;
        for (const auto& p : list)
            left.push_back(*p);
        EXPECT_EQ(left, c.left);
    }
    nuntio::CMsgList<int> empty;
    EXPECT_EQ(empty.RemoveSorted({0, 1}), 0u);
}

TEST(SerialNumbers, TheCounterStartsAboveEveryListedSerial) {
    const struct {
        std::vector<int32_t> listed;
        int32_t counter, want;
    } cases[] = {
        {{}, 5, 5},
        {{4, 2, 0}, 6, 6},
        {{4, 2, 0}, 0, 5},                 // a .cfg that lost its counter
        {{4, -7, 0}, -100, 5},             //
        {{0, 1, INT32_MAX}, 0, INT32_MIN}, // nothing is above: the widest gap
        {{INT32_MIN, INT32_MAX}, 3, INT32_MIN + 1},
    };
    for (const auto& c : cases) {
        nuntio::CMsgList<nuntio::CAlertMsgObj> list;
        for (int32_t s : c.listed)
            list.AddTail(test::MakeAlert(s, 0));
        EXPECT_EQ(SerialAboveAll(list, c.counter), c.want)
            << c.listed.size() << " listed, counter " << c.counter;
    }
}
