// The configuration file: the exact bytes of a new file, both categories'
// properties, LoadConfig's folder and paths, short, empty and long files.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "config_doc.h"
#include "test_util.h"

using namespace nuntio;
using test::AppendU32;

namespace {

// A fresh "AlertMsg.cfg", spelled out field by field.
std::vector<uint8_t> FreshAlertCfg() {
    std::vector<uint8_t> b = {0x01, 0x01};
    AppendU32(b, 0);          // popup style
    AppendU32(b, 3);          // stay seconds
    AppendU32(b, 1);          // keep limit
    AppendU32(b, 0x000000);   // text colour
    AppendU32(b, 0xFFFFFF);   // background
    AppendU32(b, 0xFFFFFFF4); // height -12
    AppendU32(b, 0);
    AppendU32(b, 0);
    AppendU32(b, 0);
    AppendU32(b, 400);
    for (int v : {0, 0, 0, 0x86, 3, 2, 1, 2})
        b.push_back(static_cast<uint8_t>(v));
    const uint8_t face[32] = {0xCB, 0xCE, 0xCC, 0xE5}; // "宋体"
    test::Append(b, face, sizeof face);
    for (int pos : {0, 1, 2, 3, 4, 5, 6, 7, 8, -1})
        AppendU32(b, static_cast<uint32_t>(pos));
    for (int w : {24, 130, 113, 62, 62, 62, 60, 38, 121, 0})
        AppendU32(b, static_cast<uint32_t>(w));
    AppendU32(b, 0); // next serial
    AppendU32(b, 0); // reserved
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
    // The host makes root\User\<user>; LoadConfig makes only the Nuntio level.
    void MakeUser(const std::string& user) const {
        ::mkdir((dir.Native() + "/User").c_str(), 0755);
        ::mkdir((dir.Native() + "/User/" + user).c_str(), 0755);
    }
};

} // namespace

TEST(ConfigBytes, FreshAlertFileIsExactlyThe170ExpectedBytes) {
    std::vector<uint8_t> got;
    CConfigDoc::ForAlert().Serialize(got);
    ASSERT_EQ(FreshAlertCfg().size(), 170u);
    EXPECT_EQ(got, FreshAlertCfg());
}

TEST(ConfigBytes, TradeDefaultsUseTheTradeColumns) {
    std::vector<uint8_t> got;
    CConfigDoc::ForTrade().Serialize(got);
    ASSERT_EQ(got.size(), 170u);
    std::vector<uint8_t> tail;
    for (int pos : {0, 1, 2, 3, -1, -1, -1, -1, -1, -1})
        AppendU32(tail, static_cast<uint32_t>(pos));
    for (int w : {22, 38, 129, 127, 0, 0, 0, 0, 0, 0})
        AppendU32(tail, static_cast<uint32_t>(w));
    EXPECT_EQ(std::vector<uint8_t>(got.begin() + 82, got.begin() + 162), tail);
    const std::vector<uint8_t> alert = FreshAlertCfg();
    EXPECT_EQ(std::vector<uint8_t>(got.begin(), got.begin() + 82),
              std::vector<uint8_t>(alert.begin(), alert.begin() + 82));
}

TEST_F(ConfigFiles, OnlyTheLastFolderLevelIsMade) {
    CConfigDoc doc = CConfigDoc::ForAlert();
    EXPECT_EQ(doc.LoadConfig(fs, root, "nobody", "AlertMsg.cfg").status, CfgStatus::kCannotWrite);
    EXPECT_EQ(test::ListNative(dir.Native()), std::vector<std::string>{});
}

TEST_F(ConfigFiles, FirstStartCreatesTheFolderAndTheDefaultFile) {
    MakeUser("alice");
    CConfigDoc doc = CConfigDoc::ForAlert();
    const CfgResult r = doc.LoadConfig(fs, root, "alice", "AlertMsg.cfg");
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(doc.m_strCfgFile, root + "\\User\\alice\\Nuntio\\AlertMsg.cfg");
    EXPECT_EQ(doc.m_strMsgFile, root + "\\User\\alice\\Nuntio\\AlertMsg.DAT");
    EXPECT_EQ(test::ReadNative(cfgNative("alice", "AlertMsg.cfg")), FreshAlertCfg());
    EXPECT_EQ(UserFolder(root, "alice"), root + "\\User\\alice\\Nuntio\\");

    CConfigDoc trade = CConfigDoc::ForTrade();
    EXPECT_TRUE(trade.LoadConfig(fs, root, "alice", "TradeMsg.cfg").ok());
    EXPECT_EQ(trade.m_nMenuIndex, 1);
    EXPECT_EQ(test::ReadNative(cfgNative("alice", "TradeMsg.cfg")).size(), 170u);
}

TEST_F(ConfigFiles, ExistingFileIsLoadedAndSavedBack) {
    std::vector<uint8_t> stored = FreshAlertCfg();
    stored[1] = 2;     // keep by count
    stored[162] = 7;   // next serial 7
    stored[82] = 0xFF; // slot 0 position -1 (low byte)
    MakeUser("bob");
    ::mkdir((dir.Native() + "/User/bob/Nuntio").c_str(), 0755);
    test::WriteNative(cfgNative("bob", "AlertMsg.cfg"), stored);

    CConfigDoc doc = CConfigDoc::ForAlert();
    ASSERT_TRUE(doc.LoadConfig(fs, root, "bob", "AlertMsg.cfg").ok());
    EXPECT_EQ(doc.m_nKeepMode, 2);
    EXPECT_EQ(doc.m_nNextSerial, 7);
    EXPECT_EQ(doc.m_nColPos[0], 255);
    doc.m_nNextSerial = 11;
    ASSERT_TRUE(doc.Save().ok());
    stored[162] = 11;
    EXPECT_EQ(test::ReadNative(cfgNative("bob", "AlertMsg.cfg")), stored);
}

TEST_F(ConfigFiles, ShortFileKeepsTheFieldsItHoldsAndNamesTheFile) {
    MakeUser("carol");
    ::mkdir((dir.Native() + "/User/carol/Nuntio").c_str(), 0755);
    std::vector<uint8_t> stored = FreshAlertCfg();
    stored[0] = 0;     // prompt mode 0
    stored[6] = 9;     // stay 9 s
    stored.resize(12); // ends inside the keep limit
    test::WriteNative(cfgNative("carol", "AlertMsg.cfg"), stored);

    CConfigDoc doc = CConfigDoc::ForAlert();
    doc.m_nKeepLimit = 42; // a field cut by the end keeps its value
    doc.m_crBack = 0x123456;
    // LoadConfig sees the file exists and loads it; limits stay as they were.
    const CfgResult r = doc.LoadConfig(fs, root, "carol", "AlertMsg.cfg");
    EXPECT_EQ(r.status, CfgStatus::kShort);
    EXPECT_EQ(r.path, root + "\\User\\carol\\Nuntio\\AlertMsg.cfg");
    EXPECT_EQ(r.bytesRead, 10u);
    EXPECT_EQ(doc.m_nPromptMode, 0);
    EXPECT_EQ(doc.m_nStaySeconds, 9);
    EXPECT_EQ(doc.m_nKeepLimit, 42);
    EXPECT_EQ(doc.m_crBack, 0x123456u);
    // Nothing is re-saved at that moment.
    EXPECT_EQ(test::ReadNative(cfgNative("carol", "AlertMsg.cfg")).size(), 12u);
}

TEST_F(ConfigFiles, EmptyFileChangesNothingAndLongFileIgnoresTheRest) {
    MakeUser("dan");
    ::mkdir((dir.Native() + "/User/dan/Nuntio").c_str(), 0755);
    test::WriteNative(cfgNative("dan", "AlertMsg.cfg"), {});
    CConfigDoc doc = CConfigDoc::ForAlert();
    doc.m_nNextSerial = 99;
    EXPECT_TRUE(doc.LoadConfig(fs, root, "dan", "AlertMsg.cfg").ok());
    EXPECT_EQ(doc.m_nNextSerial, 99);

    std::vector<uint8_t> stored = FreshAlertCfg();
    stored[162] = 5;
    stored.resize(400, 0xEE);
    test::WriteNative(cfgNative("dan", "AlertMsg.cfg"), stored);
    const CfgResult r = doc.Load();
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.bytesRead, 170u);
    EXPECT_EQ(doc.m_nNextSerial, 5);
    EXPECT_EQ(doc.m_nReserved, 0);
}

TEST_F(ConfigFiles, FaceNameFillingItsFieldIsCutInsideIt) {
    CConfigDoc doc = CConfigDoc::ForAlert();
    std::vector<uint8_t> stored = FreshAlertCfg();
    std::fill(stored.begin() + 50, stored.begin() + 82, 'A');
    EXPECT_EQ(doc.Deserialize(stored.data(), stored.size()), 170u);
    EXPECT_EQ(std::string(doc.m_lfList.lfFaceName), std::string(31, 'A'));
    std::vector<uint8_t> again;
    doc.Serialize(again);
    EXPECT_EQ(again[81], 0);
}

TEST_F(ConfigFiles, ChineseUserNameWithABackslashTrailByte) {
    // "王癨": the second character's trail byte is 0x5C, which is not a separator.
    const std::string user = "\xCD\xF5\xB0\x5C";
    MakeUser(user);
    CConfigDoc doc = CConfigDoc::ForAlert();
    ASSERT_TRUE(doc.LoadConfig(fs, root, user, "AlertMsg.cfg").ok());
    EXPECT_EQ(doc.m_strCfgFile, root + "\\User\\" + user + "\\Nuntio\\AlertMsg.cfg");
    EXPECT_EQ(test::ReadNative(dir.Native() + "/User/" + user + "/Nuntio/AlertMsg.cfg"), FreshAlertCfg());
}

TEST_F(ConfigFiles, UnwritableFolderReportsTheFileAndKeepsTheValues) {
    test::FailingFileSystem failing;
    failing.failCreate = true; // the user folder cannot be made
    CConfigDoc doc = CConfigDoc::ForAlert();
    doc.m_nStaySeconds = 8;
    const CfgResult r = doc.LoadConfig(failing, root, "erin", "AlertMsg.cfg");
    EXPECT_EQ(r.status, CfgStatus::kCannotWrite);
    EXPECT_EQ(r.path, root + "\\User\\erin\\Nuntio\\AlertMsg.cfg");
    EXPECT_EQ(doc.m_nStaySeconds, 3); // the defaults are in memory even so
    EXPECT_EQ(test::ListNative(dir.Native()), std::vector<std::string>{});
}

TEST_F(ConfigFiles, FailedSaveLeavesTheOldFileWhole) {
    MakeUser("fay");
    CConfigDoc doc = CConfigDoc::ForAlert();
    test::FailingFileSystem failing;
    ASSERT_TRUE(doc.LoadConfig(failing, root, "fay", "AlertMsg.cfg").ok());
    failing.failWrite = true;
    doc.m_nNextSerial = 1234;
    EXPECT_EQ(doc.Save().status, CfgStatus::kCannotWrite);
    EXPECT_EQ(test::ReadNative(cfgNative("fay", "AlertMsg.cfg")), FreshAlertCfg());
    EXPECT_EQ(test::ListNative(dir.Native() + "/User/fay/Nuntio"), std::vector<std::string>{"AlertMsg.cfg"});
}
