// Message files on disk: making sure one exists, the atomic save, a damaged
// file kept aside, and recovery of an interrupted save.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "msg_file.h"
#include "test_util.h"

using namespace nuntio;

namespace {

class MessageFiles : public ::testing::Test {
protected:
    test::ScratchDir dir;
    IFileSystem& fs = PlatformFileSystem();
    std::string path = dir.Path() + "\\AlertMsg.DAT";
    std::string native = dir.Native() + "/AlertMsg.DAT";
    // 2024-03-09 14:05:06 in the test's zone.
    test::ScopedTimeZone tz{"UTC"};
    int64_t now = 1709993106;

    static nuntio::CMsgList<nuntio::CAlertMsgObj> Alerts(int n) {
        nuntio::CMsgList<nuntio::CAlertMsgObj> list;
        for (int i = 0; i < n; ++i)
            list.AddTail(test::MakeAlert(i, 1700000000 - i));
        return list;
    }
    static std::vector<uint8_t> Encoded(const nuntio::CMsgList<nuntio::CAlertMsgObj>& list) {
        std::vector<uint8_t> b;
        EncodeMessages(list, b);
        return b;
    }
};

} // namespace

TEST_F(MessageFiles, EnsureExistsCreatesClearsAndReportsFailure) {
    CMsgFile file(fs, path);
    EXPECT_EQ(file.EnsureExists(), kMsgFileCreated);
    EXPECT_EQ(test::ReadNative(native).size(), 0u);
    ::chmod(native.c_str(), 0444); // read-only: made writable again
    EXPECT_EQ(file.EnsureExists(), kDone);
    struct stat st;
    ASSERT_EQ(::stat(native.c_str(), &st), 0);
    EXPECT_TRUE(st.st_mode & S_IWUSR);

    CMsgFile nowhere(fs, dir.Path() + "\\missing\\AlertMsg.DAT");
    EXPECT_EQ(nowhere.EnsureExists(), kMsgFileNotCreated);
}

TEST_F(MessageFiles, FailedWriteOrRenameLeavesTheOldFileIntact) {
    const std::vector<uint8_t> old = Encoded(Alerts(3));
    test::WriteNative(native, old);
    test::FailingFileSystem failing;
    CMsgFile file(failing, path);
    for (bool* fault : {&failing.failWrite, &failing.failReplace}) { // a full disk, then a failed rename
        failing.failWrite = failing.failReplace = false;
        *fault = true;
        EXPECT_FALSE(file.Save(Alerts(50), now));
        EXPECT_EQ(test::ReadNative(native), old);
        EXPECT_EQ(test::ListNative(dir.Native()), std::vector<std::string>{"AlertMsg.DAT"});
    }
}

TEST_F(MessageFiles, DamagedFileKeepsWhatDecodedAndIsKeptAsideBeforeTheSave) {
    std::vector<uint8_t> damaged = Encoded(Alerts(3));
    damaged.resize(1300); // inside the third object
    test::WriteNative(native, damaged);

    CMsgFile file(fs, path);
    EXPECT_EQ(file.EnsureExists(), kDone);
    nuntio::CMsgList<nuntio::CAlertMsgObj> list;
    const MsgLoadResult r = file.Load(list, now);
    EXPECT_TRUE(r.damaged());
    EXPECT_EQ(r.loaded, 2u);
    EXPECT_EQ(list.GetCount(), 2u);
    EXPECT_EQ(r.error.offset, 1028u) << r.error.Describe();
    EXPECT_EQ(r.keptAsidePath, path + ".damaged-20240309-140506");
    EXPECT_EQ(test::ReadNative(native + ".damaged-20240309-140506"), damaged);

    // The save then replaces the damaged file; the copy stays.
    ASSERT_TRUE(file.Save(list, now));
    EXPECT_EQ(test::ReadNative(native), Encoded(Alerts(2)));
    EXPECT_EQ(test::ListNative(dir.Native()),
              (std::vector<std::string>{"AlertMsg.DAT", "AlertMsg.DAT.damaged-20240309-140506"}));

    // A second damage in the same second gets its own name.
    test::WriteNative(native, damaged);
    nuntio::CMsgList<nuntio::CAlertMsgObj> again;
    EXPECT_EQ(CMsgFile(fs, path).Load(again, now).keptAsidePath, path + ".damaged-20240309-140506-2");
}

TEST_F(MessageFiles, DamagedFileThatCannotBeKeptAsideIsNotOverwritten) {
    std::vector<uint8_t> damaged = Encoded(Alerts(3));
    damaged[1030] ^= 0xFF;
    damaged.push_back(1); // trailing byte
    test::WriteNative(native, damaged);
    test::FailingFileSystem failing;
    failing.failWrite = true;
    failing.failWriteSuffix = ".tmp"; // every atomic write fails
    CMsgFile file(failing, path);
    nuntio::CMsgList<nuntio::CAlertMsgObj> list;
    const MsgLoadResult r = file.Load(list, now);
    EXPECT_TRUE(r.damaged());
    EXPECT_EQ(r.loaded, 3u);
    EXPECT_TRUE(r.keptAsidePath.empty());
    EXPECT_FALSE(file.Save(list, now));
    EXPECT_EQ(test::ReadNative(native), damaged);

    // Once copies can be written, the save first keeps the damaged file aside.
    failing.failWrite = false;
    EXPECT_TRUE(file.Save(list, now));
    EXPECT_EQ(test::ReadNative(native + ".damaged-20240309-140506"), damaged);
}

TEST_F(MessageFiles, OnlyAWholeTempFileOfAnInterruptedSaveIsRecovered) {
    const std::vector<uint8_t> saved = Encoded(Alerts(4));
    test::WriteNative(native + ".tmp", std::vector<uint8_t>(saved.begin(), saved.begin() + 700));
    EXPECT_EQ(CMsgFile(fs, path).EnsureExists(), kMsgFileCreated);
    EXPECT_EQ(test::ReadNative(native).size(), 0u);

    ::unlink(native.c_str());
    test::WriteNative(native + ".tmp", saved);
    EXPECT_EQ(CMsgFile(fs, path).EnsureExists(), kDone);
    EXPECT_EQ(test::ReadNative(native), saved);
    EXPECT_EQ(test::ListNative(dir.Native()), std::vector<std::string>{"AlertMsg.DAT"});
}
