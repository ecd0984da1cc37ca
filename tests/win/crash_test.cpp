// Nothing confirmed is lost when the host dies: a host killed at random
// moments, journals cut at any byte (a message file cut so is the core's
// test), a full disk, a folder
// that cannot be written, two hosts for the same user, and thousands of
// messages with retention (memory and handles stay flat). Each check restarts
// the real DLL on the files that were left and reads what it stored.
//
// Longer forms (make soak): NUNTIO_KILL_ROUNDS (default 3) and NUNTIO_KILL_KEEP
// (a folder for each round's files), NUNTIO_CUT_EVERY_BYTE=1 with
// NUNTIO_CUT_FROM and NUNTIO_CUT_TO,
// NUNTIO_LOAD_MESSAGES (default 800).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>

#include "child_scenarios.h"
#include "crash_scenarios.h"
#include "load_host.h"
#include "nuntio_host.h"

using namespace testhost;

namespace {

int EnvInt(const char* name, int def) {
    const char* v = std::getenv(name);
    return v != nullptr && *v != '\0' ? std::atoi(v) : def;
}

// Where to cut a file of `size` bytes: every 151st byte (every byte in the long
// form), around the end of each whole record and at `more`. The long form runs
// the cuts in ranges (NUNTIO_CUT_FROM, NUNTIO_CUT_TO), one process each, so
// that a failure names its range.
std::set<size_t> Cuts(size_t size, const std::vector<size_t>& ends, std::set<size_t> more = {}) {
    std::set<size_t> cuts = std::move(more);
    const bool everyByte = EnvInt("NUNTIO_CUT_EVERY_BYTE", 0) != 0;
    for (size_t c = 0; c <= size; c += everyByte ? 1 : 151)
        cuts.insert(c);
    for (size_t e : ends)
        for (size_t c : {e - 1, e, e + 1})
            if (c <= size) cuts.insert(c);
    cuts.insert(size);
    std::erase_if(cuts, [](size_t cut) {
        return cut < static_cast<size_t>(EnvInt("NUNTIO_CUT_FROM", 0)) ||
               cut >= static_cast<size_t>(EnvInt("NUNTIO_CUT_TO", 1 << 30));
    });
    return cuts;
}

struct Msg {
    std::string text;
    int32_t image;
    bool operator==(const Msg&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Msg& m) {
    return os << m.text << "/" << m.image;
}

class CrashTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = NewTempRoot("crash");
        MakeDirs(root + "\\User\\trader01");
    }
    void TearDown() override { RemoveTree(root); }

    std::string Folder() const { return root + "\\User\\trader01\\Nuntio\\"; }
    std::string Dat() const { return Folder() + "AlertMsg.DAT"; }
    std::string Journal() const { return Folder() + "AlertMsg.DAT.journal"; }

    std::vector<std::string> Damaged() const { return FilesLike(Folder(), "*.damaged-*"); }
    void RemoveDamaged() const {
        for (const std::string& f : Damaged())
            DeleteFileA((Folder() + f).c_str());
    }
    static void Write(const std::string& path, const std::vector<uint8_t>& bytes) {
        WriteFileBytes(path, std::string(bytes.begin(), bytes.end()));
    }

    // Starts the library on the folder, lets it replay what it finds, and
    // unloads it, which writes the message files whole.
    void Restart() {
        NuntioDll dll;
        ASSERT_NE(StartOn(dll, root), nullptr);
    }
    std::vector<StoredMsg> Stored(bool trade = false) const {
        std::vector<StoredMsg> out;
        EXPECT_TRUE(
            ParseMsgFile(ReadFileBytes(Folder() + (trade ? "TradeMsg.DAT" : "AlertMsg.DAT")), trade, out))
            << "the message file is whole";
        return out;
    }
    static std::vector<Msg> Texts(const std::vector<StoredMsg>& stored) {
        std::vector<Msg> out;
        for (const StoredMsg& m : stored)
            out.push_back({m.text, m.image});
        return out;
    }

    std::string root;
};

// What the kill host's log says the stores hold: alerts newest first with
// their icons, trade messages newest first.
struct Model {
    std::vector<Msg> alerts;
    std::vector<std::string> trades;

    void Apply(const std::string& op, int id) {
        if (op == "+A") {
            if (!alerts.empty() && alerts[0].image == 0) alerts[0].image = 2;
            alerts.insert(alerts.begin(), {"k" + std::to_string(id), 0});
        } else if (op == "+T") {
            trades.insert(trades.begin(), "t" + std::to_string(id));
        } else if (op == "-A" || op == "oA") {
            const std::string text = "k" + std::to_string(id);
            auto it =
                std::find_if(alerts.begin(), alerts.end(), [&](const Msg& m) { return m.text == text; });
            if (it == alerts.end()) return;
            if (op == "-A")
                alerts.erase(it);
            else
                it->image = 1;
        }
    }
};

struct LogEntry {
    bool intent;
    std::string op;
    int id;
};

// The whole lines of the log from line `from` on (a line cut by the kill is dropped).
std::vector<LogEntry> ReadLog(const std::string& path, size_t& from) {
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    std::string text(bytes.begin(), bytes.end());
    text.resize(text.rfind('\n') == std::string::npos ? 0 : text.rfind('\n') + 1);
    std::istringstream in(text);
    std::string line;
    std::vector<LogEntry> out;
    size_t n = 0;
    while (std::getline(in, line)) {
        if (n++ < from) continue;
        std::istringstream ls(line);
        LogEntry e{};
        ls >> e.op;
        e.intent = e.op == "?";
        if (e.intent) ls >> e.op;
        ls >> e.id;
        out.push_back(e);
    }
    from = n;
    return out;
}

size_t Confirmed(const std::string& path) {
    size_t from = 0, n = 0;
    for (const LogEntry& e : ReadLog(path, from))
        n += e.intent ? 0 : 1;
    return n;
}

} // namespace

TEST_F(CrashTest, AHostKilledAtRandomMomentsLosesNothingItWasToldWasStored) {
    const int rounds = EnvInt("NUNTIO_KILL_ROUNDS", 3);
    const unsigned seed = static_cast<unsigned>(EnvInt("NUNTIO_KILL_SEED", static_cast<int>(GetTickCount())));
    std::mt19937 rng(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    const std::string log = root + "\\kill.log";
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    Model model;
    size_t logLine = 0;
    // Serial numbers are counted per category.
    std::map<std::string, int32_t> serialOf[2];
    std::map<int32_t, std::string> textOf[2];
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const size_t target = Confirmed(log) + std::uniform_int_distribution<size_t>(5, 40)(rng);
        std::string cmd = "\"" + std::string(exe) + "\" --child crash-kill-host \"" + root + "\"";
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        ASSERT_TRUE(
            CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
        // Wait on the log's count of confirmed operations (the child works at
        // its own pace), then let a random fraction of an operation pass.
        bool reached = false;
        for (int i = 0; i < 6000 && !reached; ++i) {
            reached = Confirmed(log) >= target;
            if (!reached && WaitForSingleObject(pi.hProcess, 10) == WAIT_OBJECT_0) break;
        }
        Sleep(std::uniform_int_distribution<DWORD>(0, 19)(rng));
        TerminateProcess(pi.hProcess, 9);
        WaitForSingleObject(pi.hProcess, INFINITE);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        ASSERT_TRUE(reached) << "the host stopped before " << target << " operations";

        const std::vector<LogEntry> entries = ReadLog(log, logLine);
        std::optional<LogEntry> pending;
        for (size_t i = 0; i < entries.size(); ++i) {
            const LogEntry& e = entries[i];
            if (!e.intent) {
                model.Apply(e.op, e.id);
                continue;
            }
            const bool confirmed = i + 1 < entries.size() && !entries[i + 1].intent &&
                                   entries[i + 1].op == e.op && entries[i + 1].id == e.id;
            if (!confirmed) {
                ASSERT_EQ(i + 1, entries.size()) << "only the operation under way at the kill is unconfirmed";
                pending = e;
            }
        }

        ASSERT_NO_FATAL_FAILURE(Restart());
        EXPECT_FALSE(FileExists(Journal())) << "a clean unload leaves no journal";
        EXPECT_TRUE(Damaged().empty()) << "a kill damages nothing";
        const std::vector<Msg> alerts = Texts(Stored(false));
        std::vector<std::string> trades;
        for (const StoredMsg& m : Stored(true))
            trades.push_back(m.text);
        if (pending && (alerts != model.alerts || trades != model.trades)) {
            // The operation under way may have been stored before the kill.
            model.Apply(pending->op, pending->id);
        }
        EXPECT_EQ(alerts, model.alerts);
        EXPECT_EQ(trades, model.trades);
        for (bool trade : {false, true}) {
            for (const StoredMsg& m : Stored(trade)) {
                auto [it, added] = serialOf[trade].emplace(m.text, m.serial);
                EXPECT_EQ(it->second, m.serial) << m.text << " keeps its serial number";
                auto [owner, fresh] = textOf[trade].emplace(m.serial, m.text);
                EXPECT_EQ(owner->second, m.text) << "serial " << m.serial << " is unique";
            }
        }
        if (const char* keep = std::getenv("NUNTIO_KILL_KEEP"); keep != nullptr && *keep != '\0') {
            // The long form checks each round's files with nuntio-dump afterwards.
            const std::string to = std::string(keep) + "\\round-" + std::to_string(round) + "\\";
            MakeDirs(to);
            for (const char* f : {"AlertMsg.DAT", "TradeMsg.DAT", "AlertMsg.cfg", "TradeMsg.cfg"})
                CopyFileA((Folder() + f).c_str(), (to + f).c_str(), FALSE);
        }
        if (HasFailure()) return;
    }
    std::printf("[ kill test ] %d rounds, %zu alerts and %zu trade messages stored, seed %u\n", rounds,
                model.alerts.size(), model.trades.size(), seed);
}

TEST_F(CrashTest, AJournalCutAtAnyByteKeepsEveryWholeChangeBeforeTheCut) {
    ASSERT_EQ(SpawnChild("crash-after-changes", root), 0);
    std::vector<size_t> ends;
    {
        const std::vector<uint8_t> log = ReadFileBytes(root + "\\sizes.log");
        std::istringstream in(std::string(log.begin(), log.end()));
        size_t n;
        while (in >> n)
            ends.push_back(n);
    }
    // After each change: nothing, four alerts, the second row opened, the
    // third row deleted, one more alert.
    const std::vector<std::vector<Msg>> states = {
        {},
        {{"c0", 0}},
        {{"c1", 0}, {"c0", 2}},
        {{"c2", 0}, {"c1", 2}, {"c0", 2}},
        {{"c3", 0}, {"c2", 2}, {"c1", 2}, {"c0", 2}},
        {{"c3", 0}, {"c2", 1}, {"c1", 2}, {"c0", 2}},
        {{"c3", 0}, {"c2", 1}, {"c0", 2}},
        {{"c4", 0}, {"c3", 2}, {"c2", 1}, {"c0", 2}},
    };
    ASSERT_EQ(ends.size(), states.size());
    ASSERT_EQ(ends[0], 16u) << "the journal starts with its header";
    const std::vector<uint8_t> journal = ReadFileBytes(Journal());
    const std::vector<uint8_t> dat = ReadFileBytes(Dat());
    const std::vector<uint8_t> cfg = ReadFileBytes(Folder() + "AlertMsg.cfg");
    ASSERT_EQ(journal.size(), ends.back());

    bool toldChecked = false;
    for (size_t cut : Cuts(journal.size(), ends)) {
        SCOPED_TRACE("journal cut at " + std::to_string(cut));
        RemoveDamaged();
        Write(Dat(), dat);
        Write(Folder() + "AlertMsg.cfg", cfg);
        Write(Journal(),
              std::vector<uint8_t>(journal.begin(), journal.begin() + static_cast<ptrdiff_t>(cut)));
        size_t whole = 0;
        bool boundary = cut == 0;
        for (size_t i = 0; i < ends.size(); ++i) {
            if (ends[i] <= cut) whole = i;
            boundary = boundary || ends[i] == cut;
        }
        if (!boundary && !toldChecked) {
            // The user is told once, in the status bar at the first show.
            toldChecked = true;
            NuntioDll dll;
            HWND center = StartOn(dll, root);
            dll.ToggleMsgCenter();
            EXPECT_NE(StatusText(center).find("AlertMsg.DAT.journal 已损坏"), std::string::npos);
        } else {
            ASSERT_NO_FATAL_FAILURE(Restart());
        }
        ASSERT_EQ(Texts(Stored()), states[whole]);
        EXPECT_EQ(Damaged().size(), boundary ? 0u : 1u) << "a damaged journal is kept aside";
        EXPECT_FALSE(FileExists(Journal()));
    }
}

TEST_F(CrashTest, AFullDiskIsToldOnceAndLosesNothingAlreadyStored) {
    ASSERT_EQ(SpawnChild("crash-disk-full", root), 0)
        << "sends accepted, told once in the status bar, no message box, unloaded";
    ASSERT_NO_FATAL_FAILURE(Restart());
    EXPECT_EQ(Texts(Stored()), (std::vector<Msg>{{"d2", 0}, {"d1", 2}, {"d0", 2}}));
    EXPECT_TRUE(Damaged().empty());
    EXPECT_FALSE(FileExists(Dat() + ".tmp"));
}

TEST_F(CrashTest, AFolderThatCannotBeWrittenLoadsWorksAndChangesNothing) {
    {
        NuntioDll dll;
        ASSERT_NE(StartOn(dll, root), nullptr);
        ASSERT_TRUE(SendAlerts(dll, {"w0", "w1", "w2"}));
    }
    const std::vector<uint8_t> dat = ReadFileBytes(Dat());
    const std::vector<uint8_t> cfg = ReadFileBytes(Folder() + "AlertMsg.cfg");
    EXPECT_EQ(SpawnChild("crash-read-only", root), 105)
        << "three stored and two new rows, told, no message box";
    EXPECT_EQ(ReadFileBytes(Dat()), dat);
    EXPECT_EQ(ReadFileBytes(Folder() + "AlertMsg.cfg"), cfg);
    EXPECT_FALSE(FileExists(Journal()));
    EXPECT_TRUE(Damaged().empty());
    ASSERT_NO_FATAL_FAILURE(Restart());
    EXPECT_EQ(Texts(Stored()).size(), 3u);
}

TEST_F(CrashTest, ASecondHostSeesTheStoredMessagesAndWritesNoFile) {
    NuntioDll dll;
    ASSERT_NE(StartOn(dll, root), nullptr);
    ASSERT_TRUE(SendAlerts(dll, {"a0", "a1", "a2"}));
    const std::vector<uint8_t> dat = ReadFileBytes(Dat());
    const std::vector<uint8_t> cfg = ReadFileBytes(Folder() + "AlertMsg.cfg");
    const std::vector<uint8_t> journal = ReadFileBytes(Journal());
    ASSERT_GT(journal.size(), 16u);
    EXPECT_EQ(SpawnChild("crash-second-host", root), 103)
        << "the second host shows the first one's three alerts";
    EXPECT_EQ(ReadFileBytes(Dat()), dat);
    EXPECT_EQ(ReadFileBytes(Folder() + "AlertMsg.cfg"), cfg);
    EXPECT_EQ(ReadFileBytes(Journal()), journal);
    ASSERT_TRUE(SendAlerts(dll, {"a3"}));
    dll.Unload();
    const std::vector<Msg> stored = Texts(Stored());
    ASSERT_EQ(stored.size(), 4u);
    EXPECT_EQ(stored[0].text, "a3");
    EXPECT_EQ(stored[3].text, "a0");
    EXPECT_FALSE(FileExists(Journal()));
}

TEST_F(CrashTest, ThousandsOfMessagesWithRetentionKeepMemoryAndHandlesFlat) {
    const int total = EnvInt("NUNTIO_LOAD_MESSAGES", 800);
    const int keep = total / 2;
    const int toggle = total / 8;
    LoadHost host(root, "trader01", keep);
    ASSERT_NE(host.Center(), nullptr);
    SIZE_T memAt = 0;
    DWORD gdiAt = 0, userAt = 0;
    for (int i = 0; i < total; ++i) {
        ASSERT_EQ(host.Alert(i), 1);
        if (i % toggle == toggle - 1) host.Toggle(); // shown and hidden in turns
        if (i == keep + keep / 2) {
            memAt = PrivateBytes();
            gdiAt = static_cast<DWORD>(host.GdiLive());
            userAt = WindowCount();
        }
    }
    if (IsWindowVisible(host.Center())) host.Toggle();
    PumpQueued();
    const long long grown = static_cast<long long>(PrivateBytes()) - static_cast<long long>(memAt);
    const DWORD gdi = static_cast<DWORD>(host.GdiLive()), user = WindowCount();
    std::printf(
        "[ load ] %d alerts kept at %d: memory %+lld bytes over the last %d, library GDI objects %lu -> %lu, "
        "windows %lu -> %lu\n",
        total, keep, grown, total - keep - keep / 2, gdiAt, gdi, userAt, user);
    EXPECT_LT(grown, 512 * 1024) << "memory stays flat once retention runs";
    EXPECT_LE(gdi, gdiAt);
    EXPECT_LE(user, userAt);
    host.Unload();
    const std::vector<StoredMsg> stored = Stored();
    ASSERT_EQ(stored.size(), static_cast<size_t>(keep));
    EXPECT_EQ(stored.front().text, LoadHost::Text(total - 1));
    EXPECT_EQ(stored.back().text, LoadHost::Text(total - keep));
}
