// What a hostile disk and a hostile host do to the stored messages: a message
// file held by another program, too large or too big to allocate, a full disk,
// a folder that cannot be written, a second Nuntio_Init and a second host, a
// window that cannot be built, boxes of ours with messages arriving under them,
// rows moving while an alert is opened, a .cfg that lost its serial counter,
// user names that would leave the user folder, thousands of rows deleted at
// once, and what the status bar promises. Then nothing confirmed is lost when
// the host dies: a host killed at random moments, journals cut at any byte (a
// message file cut so is the core's test), and thousands of messages with
// retention (memory and handles stay flat). Each check reads the files the
// library left, byte for byte where it matters.
//
// Longer forms (make soak): NUNTIO_KILL_ROUNDS (default 3) and NUNTIO_KILL_KEEP
// (a folder for each round's files), NUNTIO_CUT_EVERY_BYTE=1 with
// NUNTIO_CUT_FROM and NUNTIO_CUT_TO, NUNTIO_LOAD_MESSAGES (default 800).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "child_scenarios.h"
#include "load_host.h"
#include "nuntio_host.h"
#include "ui_driver.h"

using namespace testhost;

namespace {

using Strings = std::vector<std::string>;
using Msg = std::pair<std::string, int32_t>; // text and icon

int EnvInt(const char* name, int def) {
    const char* v = std::getenv(name);
    return v != nullptr && *v != '\0' ? std::atoi(v) : def;
}

// Cuts a file or makes it longer with a hole (which the file system keeps sparse).
bool SetSize(const std::string& path, int64_t size) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    LARGE_INTEGER at;
    at.QuadPart = size;
    const bool ok = SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && SetEndOfFile(h);
    CloseHandle(h);
    return ok;
}

int64_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return static_cast<int64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

// Every file and folder under `folder`, with the sizes of files.
std::set<std::string> Tree(const std::string& folder) {
    std::set<std::string> out;
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder))
        out.insert(e.path().string() + (e.is_directory() ? "\\" : " " + std::to_string(e.file_size())));
    return out;
}

// Replaces an import of the library for as long as it is loaded: its import
// table goes with it at the unload, so the hook is never taken back.
void HookForGood(const NuntioDll& dll, const char* from, const char* function, void* replacement) {
    EXPECT_TRUE((new IatHook(dll.Module(), from, function, replacement))->Installed()) << function;
}

using Files = std::map<std::string, std::vector<uint8_t>>;

class StorageTest : public HostTest {
protected:
    // What a crash now would leave: the folder's files as they are (the
    // library holds its journal open for reading by others).
    Files Snapshot() const {
        Files out;
        for (const std::string& name : FilesLike(Folder(), "*.*"))
            if (name != "." && name != "..") out[name] = ReadFileBytes(Folder() + name);
        return out;
    }
    // Puts these files in the folder in place of what it holds.
    void Restore(const Files& files, const std::string& folder = "") const {
        const std::string to = folder.empty() ? Folder() : folder;
        RemoveTree(to);
        MakeDirs(to);
        for (const auto& [name, bytes] : files)
            WriteFileBytes(to + name, bytes);
    }
    std::string Dat() const { return Folder() + "AlertMsg.DAT"; }
    std::string Journal() const { return Dat() + ".journal"; }
    Strings Damaged() const { return FilesLike(Folder(), "*.damaged-*"); }
    std::vector<StoredMsg> Stored(bool trade = false) const {
        return ReadStored(Folder() + (trade ? "TradeMsg.DAT" : "AlertMsg.DAT"), trade);
    }
    static Strings Texts(const std::vector<StoredMsg>& stored) {
        Strings out;
        for (const StoredMsg& m : stored)
            out.push_back(m.text);
        return out;
    }
    static std::vector<Msg> WithIcons(const std::vector<StoredMsg>& stored) {
        std::vector<Msg> out;
        for (const StoredMsg& m : stored)
            out.push_back({m.text, m.image});
        return out;
    }
    // A session on the folder's files that stores these alerts and ends
    // normally: the unload writes the message files whole.
    void StoreSession(std::initializer_list<const char*> texts = {}) {
        Reload();
        ASSERT_NE(Init(), nullptr);
        Alerts(texts);
        Reload();
    }
    std::string FirstShowNotice() {
        dll->ToggleMsgCenter();
        const std::string text = StatusText(center);
        dll->ToggleMsgCenter();
        return text;
    }
};

using CrashTest = StorageTest;

} // namespace

TEST_F(StorageTest, AMessageFileThatCannotBeReadIsLeftAsItIsAndItsSessionIsKept) {
    // Held for the whole session by a backup tool (size 0 here; one that lets
    // go within the wait is the core's case), over 2 GiB as a broken copy tool
    // might leave it, or more than a 32-bit process can allocate in one piece.
    // A .cfg or a journal too large is the core's case.
    for (const int64_t size : {int64_t{0}, (int64_t{1} << 31) + 4096, int64_t{1536} << 20}) {
        SCOPED_TRACE(size);
        if (sizeof(void*) == 8 && size == int64_t{1536} << 20) continue; // x64 reads it
        RemoveTree(Folder());
        StoreSession({"a", "b", "c"});
        const std::vector<uint8_t> head = ReadFileBytes(Dat());
        // The backup tool holds the file open with no sharing.
        const HANDLE backup =
            size == 0 ? CreateFileA(Dat().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                      : INVALID_HANDLE_VALUE;
        ASSERT_TRUE(size == 0 ? backup != INVALID_HANDLE_VALUE : SetSize(Dat(), size));
        ASSERT_NE(Init(), nullptr);
        ASSERT_NE(List(kAlertList), nullptr) << "both lists exist";
        ASSERT_NE(List(kTradeList), nullptr);
        EXPECT_EQ(Contents(), Strings{});
        const std::string notice = FirstShowNotice();
        EXPECT_NE(notice.find("AlertMsg.DAT"), std::string::npos) << notice;
        EXPECT_NE(notice.find("下次启动"), std::string::npos) << notice;
        Alerts({"n"});
        InboundMessage t = MakeTrade("成交", "t", 0);
        EXPECT_EQ(dll->SendToMsgCenter(0, &t), 1);
        Reload();
        CloseHandle(backup);
        // Never overwritten: the session waits beside it.
        EXPECT_EQ(FileSize(Dat()), size == 0 ? static_cast<int64_t>(head.size()) : size);
        ASSERT_TRUE(SetSize(Dat(), static_cast<int64_t>(head.size())));
        EXPECT_EQ(ReadFileBytes(Dat()), head);
        EXPECT_TRUE(FileExists(Dat() + ".pending"));
        EXPECT_FALSE(FileExists(Journal())) << "no journal of its own left behind";
        // Once the file can be read, the new alert joins the stored ones.
        StoreSession();
        EXPECT_EQ(Texts(Stored()), (Strings{"n", "c", "b", "a"}));
        EXPECT_FALSE(FileExists(Dat() + ".pending")) << "folded once";
    }
}

namespace {
int g_boxes = 0;
bool g_diskFull = false;

int WINAPI CountBox(HWND, LPCSTR, LPCSTR, UINT) {
    ++g_boxes;
    return IDOK;
}
BOOL WINAPI FullWriteFile(HANDLE h, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED ov) {
    if (!g_diskFull) return WriteFile(h, data, size, written, ov);
    if (written != nullptr) *written = 0;
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}
} // namespace

// What is kept when the journal cannot be written is the core's; here the
// Windows error reaches the status bar, once, and no box.
TEST_F(StorageTest, AFullDiskIsToldOnceAndDamagesNoStoredFile) {
    StoreSession({"s0", "s1"});
    const std::vector<uint8_t> dat = ReadFileBytes(Dat()), cfg = Cfg("AlertMsg.cfg");
    HookForGood(*dll, "user32.dll", "MessageBoxA", reinterpret_cast<void*>(&CountBox));
    HookForGood(*dll, "kernel32.dll", "WriteFile", reinterpret_cast<void*>(&FullWriteFile));
    ASSERT_NE(Init(), nullptr);
    Alerts({"s2"}); // before the disk fills
    g_diskFull = true;
    Alerts({"f0", "f1"}); // accepted all the same
    EXPECT_EQ(Contents(), (Strings{"f1", "f0", "s2", "s1", "s0"}));
    const std::string notice = FirstShowNotice();
    const size_t first = notice.find("磁盘已满");
    EXPECT_NE(first, std::string::npos) << notice;
    EXPECT_EQ(notice.find("磁盘已满", first + 1), std::string::npos) << "told once: " << notice;
    Reload(); // the disk still full
    g_diskFull = false;
    EXPECT_EQ(g_boxes, 0) << "no message box";
    EXPECT_EQ(ReadFileBytes(Dat()), dat);
    EXPECT_EQ(Cfg("AlertMsg.cfg"), cfg);
    EXPECT_TRUE(FileExists(Journal()));
    EXPECT_FALSE(FileExists(Dat() + ".tmp"));
    EXPECT_TRUE(Damaged().empty());
    StoreSession();
    EXPECT_EQ(WithIcons(Stored()), (std::vector<Msg>{{"s2", 0}, {"s1", 2}, {"s0", 2}}));
}

TEST_F(StorageTest, ASecondInitOrASecondHostChangesNoFile) {
    HWND first = Init();
    ASSERT_NE(first, nullptr);
    Alerts({"a0", "a1"});
    EXPECT_EQ(reinterpret_cast<HWND>(static_cast<uintptr_t>(dll->Init(1, 2, root.c_str(), "trader02"))),
              first);
    EXPECT_EQ(reinterpret_cast<HWND>(static_cast<uintptr_t>(dll->Init(0, 0, root.c_str(), "trader01"))),
              first);
    Alerts({"a2"});
    InboundMessage t = MakeTrade("成交", "t", 0);
    EXPECT_EQ(dll->SendToMsgCenter(0, &t), 1);
    EXPECT_EQ(Contents(), (Strings{"a2", "a1", "a0"}));

    // A second host for the same user sees the stored messages and writes no
    // message file (only the window's place in Nuntio.ini, as every host does).
    const Files before = Snapshot();
    ASSERT_GT(before.at("AlertMsg.DAT.journal").size(), 16u);
    EXPECT_EQ(SpawnChild("crash-second-host", root), 103) << "the second host shows the three alerts";
    Files after = Snapshot();
    after.erase("Nuntio.ini");
    EXPECT_EQ(after, before);
    Alerts({"a3"});
    Reload();
    EXPECT_EQ(Texts(Stored()), (Strings{"a3", "a2", "a1", "a0"}));
    EXPECT_EQ(Texts(Stored(true)), (Strings{"t"}));
    EXPECT_FALSE(FileExists(Journal()));
    EXPECT_FALSE(FileExists(root + "\\User\\trader02")) << "no files of another user";
}

namespace {
HWND(WINAPI* g_createWindow)
(DWORD, LPCSTR, LPCSTR, DWORD, int, int, int, int, HWND, HMENU, HINSTANCE, LPVOID);
HWND WINAPI NoListViews(DWORD ex, LPCSTR cls, LPCSTR name, DWORD style, int x, int y, int w, int h,
                        HWND parent, HMENU menu, HINSTANCE inst, LPVOID param) {
    if (HIWORD(reinterpret_cast<uintptr_t>(cls)) != 0 && lstrcmpiA(cls, WC_LISTVIEWA) == 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return g_createWindow(ex, cls, name, style, x, y, w, h, parent, menu, inst, param);
}
} // namespace

TEST_F(StorageTest, AWindowThatCannotBeBuiltIsNoWindowAtAll) {
    StoreSession({"a", "b", "c"});
    const std::set<std::string> before = Tree(Folder());
    const std::vector<uint8_t> dat = ReadFileBytes(Dat()), cfg = Cfg("AlertMsg.cfg");
    Hook("user32.dll", "CreateWindowExA", reinterpret_cast<void*>(&NoListViews),
         reinterpret_cast<void**>(&g_createWindow));
    EXPECT_EQ(Init(), nullptr);
    InboundMessage a = MakeInbound(0, MakeAlert("m", "lost?"));
    EXPECT_EQ(dll->SendToMsgCenter(0, &a), 0) << "nothing is accepted that is not stored";
    EXPECT_EQ(dll->ToggleMsgCenter(), 0);
    EXPECT_EQ(dll->Init(0, 0, root.c_str(), "trader01"), 0u);
    Unload();
    EXPECT_EQ(Tree(Folder()), before);
    EXPECT_EQ(ReadFileBytes(Dat()), dat);
    EXPECT_EQ(Cfg("AlertMsg.cfg"), cfg);
}

TEST_F(StorageTest, MessagesArrivingUnderOurBoxesAreStoredWithTheirOwnSerials) {
    StoreSession({"a", "b"});
    const std::vector<StoredMsg> stored = Stored();
    // A .cfg that lost its serial counter (at 162) is told in the status bar:
    // no box holds the start, and the new serials still go above the stored.
    SetSize(Folder() + "AlertMsg.cfg", 100);
    {
        DialogAnswerer none(DialogAnswerer::Close());
        ASSERT_NE(Init(), nullptr);
        Pump(100);
        EXPECT_TRUE(none.Seen().empty());
    }
    EXPECT_NE(FirstShowNotice().find("AlertMsg.cfg"), std::string::npos);
    // Alerts delivered by a host timer while "delete all?" is up are taken,
    // and the answer deletes only what was listed when it was asked.
    DialogAnswerer answer([&](HWND box) {
        Alerts({"c", "d"});
        DialogAnswerer::Press(IDYES)(box);
    });
    SendMessageA(center, WM_COMMAND, kAlertDeleteCmd + 1, 0);
    ASSERT_EQ(answer.Seen().size(), 1u);
    EXPECT_EQ(Contents(), (Strings{"d", "c"}));
    Reload();
    EXPECT_EQ(Texts(Stored()), (Strings{"d", "c"}));
    for (const StoredMsg& m : Stored())
        EXPECT_GT(m.serial, stored.front().serial) << "above every stored serial";
}

TEST_F(StorageTest, OpeningAnAlertMarksThatAlertHoweverTheRowsMove) {
    HostWindow host;
    HWND source =
        CreateWindowExA(0, "STATIC", "src", WS_POPUP, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(Init(), nullptr);
    auto sendFrom = [&](const char* text, HWND from) {
        AlertRecord r = MakeAlert("m", text);
        r.hSourceWnd = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(from));
        InboundMessage m = MakeInbound(0, r);
        ASSERT_EQ(dll->SendToMsgCenter(0, &m), 1);
    };
    sendFrom("opened", source);
    SelectOnly(List(kAlertList), {0});
    // The host's handler of the bring-forward request delivers another alert.
    HostWindow::onRequest = [&](UINT msg) {
        if (msg == 0x0839) sendFrom("during", nullptr);
    };
    SendMessageA(center, WM_COMMAND, IDOK, 0);
    HostWindow::onRequest = nullptr;
    EXPECT_EQ(Contents(), (Strings{"during", "opened"}));
    EXPECT_EQ(Icon(kAlertList, 1), 1) << "the opened alert";
    EXPECT_EQ(Icon(kAlertList, 0), 0) << "the new one stays latest";

    Reload();
    EXPECT_EQ(WithIcons(Stored()), (std::vector<Msg>{{"during", 0}, {"opened", 1}}));
    DestroyWindow(source);
}

TEST_F(StorageTest, AUserNameIsOneFolderName) {
    // A name that leads out of the user folder (the core's table has every
    // kind refused) writes nothing anywhere.
    const std::set<std::string> rootBefore = Tree(root);
    EXPECT_EQ(dll->Init(0, 0, root.c_str(), "..\\..\\x"), 0u);
    InboundMessage a = MakeInbound(0, MakeAlert("m", "x"));
    EXPECT_EQ(dll->SendToMsgCenter(0, &a), 0);
    Reload();
    EXPECT_EQ(Tree(root), rootBefore) << "nothing written under the root";
    EXPECT_FALSE(FileExists(root.substr(0, root.rfind('\\')) + "\\x"));
    // A GBK character whose second byte is a backslash's is one folder name,
    // and so is a name as long as the room the files need leaves.
    for (const std::string& user : Strings{"\x95\x5C", std::string(120, 'm')}) {
        SCOPED_TRACE(user);
        CreateDirectoryA((root + "\\User\\" + user).c_str(), nullptr);
        ASSERT_NE(Init(user), nullptr);
        Reload();
        EXPECT_TRUE(FileExists(Folder(user) + "AlertMsg.cfg"));
    }
}

namespace {
int g_flushes = 0;
BOOL(WINAPI* g_flush)(HANDLE);
BOOL WINAPI CountFlush(HANDLE h) {
    ++g_flushes;
    return g_flush(h);
}
} // namespace

TEST_F(StorageTest, DeletingManySelectedAlertsIsOneStep) {
    ASSERT_NE(Init(), nullptr);
    const int n = 2000;
    for (int i = 0; i < n; ++i)
        Alerts({std::to_string(i).c_str()});
    dll->ToggleMsgCenter();
    Pump(50);
    // Select all but the three newest and the oldest.
    HWND list = List(kAlertList);
    ListView_SetItemState(list, -1, LVIS_SELECTED, LVIS_SELECTED);
    for (int row : {0, 1, 2, n - 1})
        ListView_SetItemState(list, row, 0, LVIS_SELECTED);
    g_flushes = 0;
    Hook("kernel32.dll", "FlushFileBuffers", reinterpret_cast<void*>(&CountFlush),
         reinterpret_cast<void**>(&g_flush));
    SendMessageA(center, WM_COMMAND, kAlertDeleteCmd, 0);
    EXPECT_EQ(g_flushes, 1) << "one durable record for the batch";
    EXPECT_EQ(Contents(), (Strings{"1999", "1998", "1997", "0"}));
    EXPECT_EQ(ListView_GetSelectedCount(list), 1u);
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 3)
        << "the row that moved into the deleted place";
}

TEST_F(StorageTest, StorageNoticesSayWhatWillBeKept) {
    // No user folder (the host's part of the path is missing): nothing can be
    // stored, and the status bar says so.
    RemoveTree(root + "\\User");
    ASSERT_NE(Init(), nullptr);
    Alerts({"a"});
    std::string notice = FirstShowNotice();
    EXPECT_NE(notice.find("不会保存"), std::string::npos) << notice;
    EXPECT_EQ(notice.find("正常退出时保存"), std::string::npos) << notice;
    Reload();
    EXPECT_TRUE(Tree(root).empty());

    // The journal alone cannot be made (a folder stands in its name): the
    // messages are saved at a normal exit, as the notice says.
    MakeDirs(Journal());
    ASSERT_NE(Init(), nullptr);
    Alerts({"b"});
    notice = FirstShowNotice();
    EXPECT_NE(notice.find("正常退出时保存"), std::string::npos) << notice;
    Reload();
    EXPECT_EQ(Texts(Stored()), (Strings{"b"}));
}

namespace {

// What the kill host's log says the stores hold: alerts newest first with
// their icons, trade messages newest first.
struct Model {
    std::vector<Msg> alerts;
    Strings trades;

    void Apply(const std::string& op, int id) {
        const std::string text = (op == "+T" ? "t" : "k") + std::to_string(id);
        auto it = std::find_if(alerts.begin(), alerts.end(), [&](const Msg& m) { return m.first == text; });
        if (op == "+A") {
            if (!alerts.empty() && alerts[0].second == 0) alerts[0].second = 2;
            alerts.insert(alerts.begin(), {text, 0});
        } else if (op == "+T") {
            trades.insert(trades.begin(), text);
        } else if (op == "-A" && it != alerts.end()) {
            alerts.erase(it);
        } else if (op == "oA" && it != alerts.end()) {
            it->second = 1;
        }
    }
};

struct LogEntry {
    std::string op;
    int id;
};

// The whole lines of the kill host's log (a line cut by the kill is dropped).
std::vector<LogEntry> ReadLog(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::vector<LogEntry> out;
    for (std::string line; std::getline(in, line) && !in.eof();) {
        LogEntry e{};
        std::istringstream(line) >> e.op >> e.id;
        out.push_back(e);
    }
    return out;
}

} // namespace

TEST_F(CrashTest, AHostKilledAtRandomMomentsLosesNothingItWasToldWasStored) {
    const int rounds = EnvInt("NUNTIO_KILL_ROUNDS", 3);
    const unsigned seed = static_cast<unsigned>(EnvInt("NUNTIO_KILL_SEED", static_cast<int>(GetTickCount())));
    std::mt19937 rng(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    const std::string log = root + "\\kill.log";
    Model model;
    size_t seen = 0; // log entries taken into the model
    for (int round = 0; round < rounds && !HasFailure(); ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const size_t target = ReadLog(log).size() + std::uniform_int_distribution<size_t>(5, 40)(rng);
        HANDLE child = StartChild("crash-kill-host", root);
        ASSERT_NE(child, nullptr);
        // Wait until the log holds `target` confirmed operations (the child
        // works at its own pace), then let a random fraction of one pass.
        bool reached = false;
        for (int i = 0; i < 6000 && !reached; ++i) {
            reached = ReadLog(log).size() > target;
            if (!reached && WaitForSingleObject(child, 10) == WAIT_OBJECT_0) break;
        }
        Sleep(std::uniform_int_distribution<DWORD>(0, 19)(rng));
        TerminateProcess(child, 9);
        WaitForSingleObject(child, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(child, &code);
        CloseHandle(child);
        ASSERT_EQ(code, 9u) << "every operation of the host succeeded until the kill";
        ASSERT_TRUE(reached) << "the host stopped before " << target << " operations";

        // Every operation logged before the last was confirmed.
        const std::vector<LogEntry> entries = ReadLog(log);
        for (size_t i = seen; i + 1 < entries.size(); ++i)
            model.Apply(entries[i].op, entries[i].id);
        seen = entries.size();

        ASSERT_NO_FATAL_FAILURE(StoreSession());
        EXPECT_FALSE(FileExists(Journal())) << "a clean unload leaves no journal";
        EXPECT_TRUE(Damaged().empty()) << "a kill damages nothing";
        const std::vector<Msg> alerts = WithIcons(Stored());
        const Strings trades = Texts(Stored(true));
        // The operation under way at the kill may have been stored.
        if (alerts != model.alerts || trades != model.trades)
            model.Apply(entries.back().op, entries.back().id);
        EXPECT_EQ(alerts, model.alerts);
        EXPECT_EQ(trades, model.trades);
        // That serial numbers never repeat after a crash is the core's.
        // The long form checks each round's files with nuntio-dump afterwards.
        if (const char* keep = std::getenv("NUNTIO_KILL_KEEP"); keep != nullptr && *keep != '\0')
            Restore(Snapshot(), std::string(keep) + "\\round-" + std::to_string(round) + "\\");
    }
    std::printf("[ kill test ] %d rounds, %zu alerts and %zu trade messages stored, seed %u\n", rounds,
                model.alerts.size(), model.trades.size(), seed);
}

TEST_F(CrashTest, AJournalCutAtAnyByteKeepsEveryWholeChangeBeforeTheCut) {
    // A few changes of each kind, the journal's size and what the list holds
    // after each, then the files as a crash leaves them.
    ASSERT_NE(Init(), nullptr);
    Model model;
    std::vector<size_t> ends = {ReadFileBytes(Journal()).size()};
    std::vector<std::vector<Msg>> states = {{}};
    const std::pair<const char*, int> changes[] = {{"+A", 0}, {"+A", 1}, {"+A", 2}, {"+A", 3},
                                                   {"oA", 2}, {"-A", 1}, {"+A", 4}};
    for (const auto& [op, id] : changes) {
        const std::string text = "k" + std::to_string(id);
        const auto at = std::find_if(model.alerts.begin(), model.alerts.end(),
                                     [&](const Msg& m) { return m.first == text; });
        if (op[0] == '+') {
            Alerts({text.c_str()});
        } else { // open or delete the alert's row
            SelectOnly(List(kAlertList), {static_cast<int>(at - model.alerts.begin())});
            SendMessageA(center, WM_COMMAND, op[0] == 'o' ? IDOK : kAlertDeleteCmd, 0);
        }
        model.Apply(op, id);
        ends.push_back(ReadFileBytes(Journal()).size());
        states.push_back(model.alerts);
    }
    const Files crash = Snapshot();
    const std::vector<uint8_t> journal = crash.at("AlertMsg.DAT.journal");
    Reload();
    ASSERT_EQ(ends.size(), states.size());
    ASSERT_EQ(ends[0], 16u) << "the journal starts with its header";
    ASSERT_EQ(journal.size(), ends.back());

    // Cut at every 151st byte (every byte in the long form) and around the end
    // of each whole record. The long form runs the cuts in ranges
    // (NUNTIO_CUT_FROM, NUNTIO_CUT_TO), one process each, so that a failure
    // names its range.
    std::set<size_t> cuts = {journal.size()};
    for (size_t c = 0; c <= journal.size(); c += EnvInt("NUNTIO_CUT_EVERY_BYTE", 0) != 0 ? 1 : 151)
        cuts.insert(c);
    for (size_t e : ends)
        for (size_t c : {e - 1, e, e + 1})
            if (c <= journal.size()) cuts.insert(c);
    std::erase_if(cuts, [](size_t cut) {
        return cut < static_cast<size_t>(EnvInt("NUNTIO_CUT_FROM", 0)) ||
               cut >= static_cast<size_t>(EnvInt("NUNTIO_CUT_TO", 1 << 30));
    });
    bool toldChecked = false;
    for (size_t cut : cuts) {
        SCOPED_TRACE("journal cut at " + std::to_string(cut));
        Files cutCrash = crash;
        cutCrash["AlertMsg.DAT.journal"].resize(cut);
        Restore(cutCrash);
        size_t whole = 0;
        bool boundary = cut == 0;
        for (size_t i = 0; i < ends.size(); ++i) {
            if (ends[i] <= cut) whole = i;
            boundary = boundary || ends[i] == cut;
        }
        Reload();
        ASSERT_NE(Init(), nullptr);
        if (!boundary && !toldChecked) {
            // The user is told once, in the status bar at the first show.
            toldChecked = true;
            EXPECT_NE(FirstShowNotice().find("AlertMsg.DAT.journal 已损坏"), std::string::npos);
        }
        Reload();
        ASSERT_EQ(WithIcons(Stored()), states[whole]);
        EXPECT_EQ(Damaged().size(), boundary ? 0u : 1u) << "a damaged journal is kept aside";
        EXPECT_FALSE(FileExists(Journal()));
    }
}

TEST_F(CrashTest, ThousandsOfMessagesWithRetentionKeepMemoryAndHandlesFlat) {
    Unload(); // the load host has the library to itself
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
