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
#include <optional>
#include <set>
#include <tuple>

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
    std::unique_ptr<CAlertListModel> OpenAlerts(CategoryOpenResult* out = nullptr) {
        auto m = std::make_unique<CAlertListModel>(CConfigDoc::ForAlert());
        CategoryOpenResult r = m->Open(fs, dir.Path(), "u", "AlertMsg.cfg", now);
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

// Builds a folder with three alerts written whole, then a session of every
// kind of change that is dropped without Close. Records the state and the
// journal's size after each change.
struct Session {
    std::vector<std::vector<Row>> states; // states[0]: the file as written whole
    std::vector<size_t> ends;             // the journal's size after each state
    std::vector<uint8_t> dat, cfg, journal;
};

} // namespace

TEST_F(Journal, CutAtEveryByteReplaysTheWholeRecordsBeforeTheCut) {
    Session s;
    {
        auto m = OpenAlerts();
        for (int i = 0; i < 3; ++i)
            m->AddMessage(Alert("base" + std::to_string(i)), now);
        ASSERT_TRUE(m->Close(now));
    }
    {
        auto m = OpenAlerts();
        s.states.push_back(Rows(*m));
        s.ends.push_back(kJournalHeaderSize);
        auto step = [&] {
            s.states.push_back(Rows(*m));
            s.ends.push_back(test::ReadNative(Native("AlertMsg.DAT.journal")).size());
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
    s.dat = test::ReadNative(Native("AlertMsg.DAT"));
    s.cfg = test::ReadNative(Native("AlertMsg.cfg"));
    s.journal = test::ReadNative(Native("AlertMsg.DAT.journal"));
    ASSERT_EQ(s.journal.size(), s.ends.back());

    for (size_t cut = 0; cut <= s.journal.size(); ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        for (const std::string& f : Damaged())
            ::unlink(Native(f).c_str());
        test::WriteNative(Native("AlertMsg.DAT"), s.dat);
        test::WriteNative(Native("AlertMsg.cfg"), s.cfg);
        test::WriteNative(
            Native("AlertMsg.DAT.journal"),
            std::vector<uint8_t>(s.journal.begin(), s.journal.begin() + static_cast<ptrdiff_t>(cut)));
        size_t whole = 0;
        bool boundary = cut == 0;
        for (size_t i = 0; i < s.ends.size(); ++i) {
            if (s.ends[i] <= cut) whole = i;
            if (s.ends[i] == cut) boundary = true;
        }
        CategoryOpenResult r;
        auto m = OpenAlerts(&r);
        ASSERT_EQ(Rows(*m), s.states[whole]);
        EXPECT_EQ(r.journal.replayed, whole);
        EXPECT_EQ(r.journal.damaged, !boundary);
        EXPECT_EQ(test::ReadNative(Native("AlertMsg.DAT.journal")).size(), kJournalHeaderSize)
            << "what was replayed is written whole at once";
        EXPECT_EQ(Damaged().size(), boundary ? 0u : 1u) << "the damaged journal is kept aside";
        if (!boundary && !Damaged().empty()) {
            EXPECT_EQ(test::ReadNative(Native(Damaged()[0])).size(), cut);
        }
        // What was replayed is durable: a second crash right away keeps it.
        m.reset();
        auto again = OpenAlerts(&r);
        ASSERT_EQ(Rows(*again), s.states[whole]);
        EXPECT_EQ(r.journal.replayed, 0u);
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
    EXPECT_EQ(Crc32(bytes.data(), 13), 0xA97AD5C1u);
    EXPECT_EQ(Crc32(bytes.data() + 13, 1016, Crc32(bytes.data(), 13)), 0x1CE10E21u);
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
            struct stat st {};
            ASSERT_EQ(::stat(Native("AlertMsg.DAT.journal").c_str(), &st), 0);
            const size_t size = static_cast<size_t>(st.st_size);
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
