// The configuration file: the exact bytes of a new file, both categories'
// properties, LoadConfig's folder and paths, short, empty and long files.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "config_doc.h"
#include "test_util.h"

using namespace nuntio;

namespace {

// A fresh "AlertMsg.cfg" or "TradeMsg.cfg", spelled out field by field.
std::vector<uint8_t> FreshCfg(bool trade = false) {
    std::vector<uint8_t> b = {0x01, 0x01};
    // Popup style, stay seconds, keep limit, text colour, background; the
    // font's height (-12), width, escapement, orientation and weight.
    for (uint32_t v : {0u, 3u, 1u, 0x000000u, 0xFFFFFFu, 0xFFFFFFF4u, 0u, 0u, 0u, 400u})
        PutU32(b, v);
    for (int v : {0, 0, 0, 0x86, 3, 2, 1, 2})
        b.push_back(static_cast<uint8_t>(v));
    const uint8_t face[32] = {0xCB, 0xCE, 0xCC, 0xE5}; // "宋体"
    b.insert(b.end(), face, face + sizeof face);
    const std::vector<int> alert = {0, 1, 2, 3, 4, 5, 6, 7, 8, -1, 24, 130, 113, 62, 62, 62, 60, 38, 121, 0};
    const std::vector<int> tradeCols = {0,  1,  2,   3,   -1, -1, -1, -1, -1, -1,
                                        22, 38, 129, 127, 0,  0,  0,  0,  0,  0};
    for (int v : trade ? tradeCols : alert) // the column positions, then their widths
        PutU32(b, static_cast<uint32_t>(v));
    b.resize(b.size() + 8); // the next serial and a reserved word, zero
    return b;
}

class ConfigFiles : public ::testing::Test {
protected:
    test::ScratchDir dir;
    IFileSystem& fs = PlatformFileSystem();
    std::string root = dir.Path();
    std::string cfgNative(const std::string& user, const char* name) const {
        return dir.Native() + "/User/" + user + "/Nuntio/" + name;
    }
    void MakeUser(const std::string& user) const {
        ::mkdir((dir.Native() + "/User").c_str(), 0755);
        ::mkdir((dir.Native() + "/User/" + user).c_str(), 0755);
    }
};

} // namespace

TEST(ConfigBytes, FreshFilesAreExactlyThe170ExpectedBytes) {
    for (const bool trade : {false, true}) {
        std::vector<uint8_t> got;
        (trade ? CConfigDoc::ForTrade() : CConfigDoc::ForAlert()).Serialize(got);
        ASSERT_EQ(FreshCfg(trade).size(), 170u);
        EXPECT_EQ(got, FreshCfg(trade)) << trade;
    }
}

// The host makes root\User\<user>; without it nothing is made, and the
// defaults are in memory even so.
TEST_F(ConfigFiles, OnlyTheLastFolderLevelIsMade) {
    CConfigDoc doc = CConfigDoc::ForAlert();
    doc.m_nStaySeconds = 8;
    const CfgResult r = doc.LoadConfig(fs, root, "nobody", "AlertMsg.cfg");
    EXPECT_EQ(r.status, CfgStatus::kCannotWrite);
    EXPECT_EQ(r.path, root + "\\User\\nobody\\Nuntio\\AlertMsg.cfg");
    EXPECT_EQ(doc.m_nStaySeconds, 3);
    EXPECT_EQ(test::ListNative(dir.Native()), std::vector<std::string>{});
}

TEST_F(ConfigFiles, FirstStartCreatesTheFolderAndTheDefaultFile) {
    // "王癨": the second character's trail byte is 0x5C, which is not a separator.
    for (const std::string user : {"alice", "\xCD\xF5\xB0\x5C"}) {
        SCOPED_TRACE(user);
        MakeUser(user);
        CConfigDoc doc = CConfigDoc::ForAlert();
        const CfgResult r = doc.LoadConfig(fs, root, user, "AlertMsg.cfg");
        EXPECT_TRUE(r.ok());
        EXPECT_EQ(doc.m_strCfgFile, root + "\\User\\" + user + "\\Nuntio\\AlertMsg.cfg");
        EXPECT_EQ(doc.m_strMsgFile, root + "\\User\\" + user + "\\Nuntio\\AlertMsg.DAT");
        EXPECT_EQ(test::ReadNative(cfgNative(user, "AlertMsg.cfg")), FreshCfg());
        EXPECT_EQ(UserFolder(root, user), root + "\\User\\" + user + "\\Nuntio\\");
    }
    CConfigDoc trade = CConfigDoc::ForTrade();
    EXPECT_TRUE(trade.LoadConfig(fs, root, "alice", "TradeMsg.cfg").ok());
    EXPECT_EQ(test::ReadNative(cfgNative("alice", "TradeMsg.cfg")), FreshCfg(true));
}

// An existing file of any length: what LoadConfig reports and reads; a field
// the file does not reach keeps its value, bytes past the 170 are ignored.
TEST_F(ConfigFiles, ExistingShortEmptyAndLongFilesLoadWhatTheyHold) {
    struct Case {
        const char* user;
        size_t size;
        CfgStatus status;
        size_t bytesRead;
        int32_t stay, keepLimit, nextSerial;
    } cases[] = {
        {"bob", 170, CfgStatus::kOk, 170, 9, 1, 7},
        {"carol", 12, CfgStatus::kShort, 10, 9, 42, 99}, // ends inside the keep limit
        {"dan", 0, CfgStatus::kOk, 0, 3, 42, 99},
        {"erin", 400, CfgStatus::kOk, 170, 9, 1, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.user);
        std::vector<uint8_t> stored = FreshCfg();
        stored[6] = 9;   // stay 9 s
        stored[162] = 7; // next serial 7
        stored.resize(c.size, 0xEE);
        MakeUser(c.user);
        ::mkdir((dir.Native() + "/User/" + c.user + "/Nuntio").c_str(), 0755);
        test::WriteNative(cfgNative(c.user, "AlertMsg.cfg"), stored);

        CConfigDoc doc = CConfigDoc::ForAlert();
        doc.m_nKeepLimit = 42;
        doc.m_nNextSerial = 99;
        const CfgResult r = doc.LoadConfig(fs, root, c.user, "AlertMsg.cfg");
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.path, root + "\\User\\" + c.user + "\\Nuntio\\AlertMsg.cfg");
        EXPECT_EQ(r.bytesRead, c.bytesRead);
        EXPECT_EQ(doc.m_nStaySeconds, c.stay);
        EXPECT_EQ(doc.m_nKeepLimit, c.keepLimit);
        EXPECT_EQ(doc.m_nNextSerial, c.nextSerial);
        EXPECT_EQ(doc.m_nReserved, 0);
        // Nothing is written at load; a save writes the 170 bytes back.
        EXPECT_EQ(test::ReadNative(cfgNative(c.user, "AlertMsg.cfg")).size(), c.size);
        if (c.size == 170) {
            doc.m_nNextSerial = 11;
            ASSERT_TRUE(doc.Save().ok());
            stored[162] = 11;
            EXPECT_EQ(test::ReadNative(cfgNative(c.user, "AlertMsg.cfg")), stored);
        }
    }
}

TEST_F(ConfigFiles, FaceNameFillingItsFieldIsCutInsideIt) {
    CConfigDoc doc = CConfigDoc::ForAlert();
    std::vector<uint8_t> stored = FreshCfg();
    std::fill(stored.begin() + 50, stored.begin() + 82, 'A');
    EXPECT_EQ(doc.Deserialize(stored.data(), stored.size()), 170u);
    EXPECT_EQ(std::string(doc.m_lfList.lfFaceName), std::string(31, 'A'));
    std::vector<uint8_t> again;
    doc.Serialize(again);
    EXPECT_EQ(again[81], 0);
}

TEST_F(ConfigFiles, FailedSaveLeavesTheOldFileWhole) {
    MakeUser("fay");
    CConfigDoc doc = CConfigDoc::ForAlert();
    test::FailingFileSystem failing;
    ASSERT_TRUE(doc.LoadConfig(failing, root, "fay", "AlertMsg.cfg").ok());
    failing.failWrite = true;
    doc.m_nNextSerial = 1234;
    EXPECT_EQ(doc.Save().status, CfgStatus::kCannotWrite);
    EXPECT_EQ(test::ReadNative(cfgNative("fay", "AlertMsg.cfg")), FreshCfg());
    EXPECT_EQ(test::ListNative(dir.Native() + "/User/fay/Nuntio"), std::vector<std::string>{"AlertMsg.cfg"});
}

TEST(ConfigColumns, StoredPositionsBecomeACleanArrangementWithTheIconFirst) {
    const struct {
        std::vector<int32_t> stored, want;
    } cases[] = {
        {{-1, 1, 2, 3, 4, 5, 6, 7, 8, -1}, {0, 1, 2, 3, 4, 5, 6, 7, 8, -1}}, // the icon hidden
        {{0, 8, 7, 6, 5, 4, 3, 2, 1, -1}, {0, 8, 7, 6, 5, 4, 3, 2, 1, -1}},  // reversed by the user
        {{-1, 99, 1, 5, -7, 3, 3, 7, 2, -1}, {0, 7, 1, 5, -1, 3, 4, 6, 2, -1}},
        {{5, 0, -1, 0, 2, -1, -1, 9, 4, 7}, {0, 1, -1, 2, 3, -1, -1, 5, 4, -1}}, // slot 9 is not a column
    };
    for (const auto& c : cases) {
        CConfigDoc doc = CConfigDoc::ForAlert(); // nine columns
        std::copy(c.stored.begin(), c.stored.end(), doc.m_nColPos);
        doc.NormalizeColumnPositions();
        EXPECT_EQ(std::vector<int32_t>(doc.m_nColPos, doc.m_nColPos + 10), c.want);
    }
}
