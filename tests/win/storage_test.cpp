// What a hostile disk and a hostile host do to the stored messages: a message
// file held by another program, too large or too big to allocate, a second
// Nuntio_Init, a window that cannot be built, boxes of ours with messages
// arriving under them, rows moving while an alert is opened, a .cfg that lost
// its serial counter, user names that would leave the user folder, thousands
// of rows deleted at once, and what the status bar promises. Each check reads
// the files the library left, byte for byte where it matters.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "crash_scenarios.h"
#include "nuntio_host.h"
#include "ui_driver.h"

using namespace testhost;

namespace {

// Another program holding a file open with no sharing: a backup tool, a virus
// scanner. Released at the end of the scope or after `ms` milliseconds.
class FileHold {
public:
    explicit FileHold(const std::string& path, DWORD ms = INFINITE) {
        m_h = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (ms != INFINITE) {
            m_release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
            m_thread = std::thread([this, ms] {
                WaitForSingleObject(m_release, ms);
                Release();
            });
        }
    }
    ~FileHold() {
        if (m_thread.joinable()) {
            SetEvent(m_release);
            m_thread.join();
            CloseHandle(m_release);
        }
        Release();
    }
    bool Held() const { return m_h != INVALID_HANDLE_VALUE; }
    void Release() {
        HANDLE h = InterlockedExchangePointer(&m_h, INVALID_HANDLE_VALUE);
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }

private:
    HANDLE volatile m_h = INVALID_HANDLE_VALUE;
    HANDLE m_release = nullptr;
    std::thread m_thread;
};

// A file of `size` bytes that starts with `head`; the rest is a hole (extended
// with SetEndOfFile, which the file system keeps sparse).
bool MakeLargeFile(const std::string& path, const std::vector<uint8_t>& head, int64_t size) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    bool ok = head.empty() || WriteFile(h, head.data(), static_cast<DWORD>(head.size()), &put, nullptr);
    LARGE_INTEGER at;
    at.QuadPart = size;
    ok = ok && SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && SetEndOfFile(h);
    CloseHandle(h);
    return ok;
}

std::vector<uint8_t> ReadHead(const std::string& path, size_t n) {
    std::vector<uint8_t> out(n);
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD got = 0;
    if (h != INVALID_HANDLE_VALUE) ReadFile(h, out.data(), static_cast<DWORD>(n), &got, nullptr);
    CloseHandle(h);
    out.resize(got);
    return out;
}

int64_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return static_cast<int64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

void CutFile(const std::string& path, int64_t size) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER at;
    at.QuadPart = size;
    SetFilePointerEx(h, at, nullptr, FILE_BEGIN);
    SetEndOfFile(h);
    CloseHandle(h);
}

// Every file and folder under `folder`, relative to it, with the sizes of files.
std::set<std::string> Tree(const std::string& folder, const std::string& prefix = "") {
    std::set<std::string> out;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return out;
    do {
        const std::string n = fd.cFileName;
        if (n == "." || n == "..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out.insert(prefix + n + "\\");
            for (const std::string& s : Tree(folder + "\\" + n, prefix + n + "\\"))
                out.insert(s);
        } else {
            out.insert(prefix + n + " " + std::to_string(fd.nFileSizeLow));
        }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return out;
}

// What a crash would leave: a copy of the folder's files taken while the
// library runs (it holds its journal open for reading by others).
void CopyFolder(const std::string& from, const std::string& to) {
    MakeDirs(to);
    for (const std::string& name : FilesLike(from, "*.*")) {
        if (name == "." || name == "..") continue;
        const std::vector<uint8_t> bytes = ReadFileBytes(from + name);
        WriteFileBytes(to + name, std::string(bytes.begin(), bytes.end()));
    }
}

std::vector<std::string> Texts(const std::vector<StoredMsg>& stored) {
    std::vector<std::string> out;
    for (const StoredMsg& m : stored)
        out.push_back(m.text);
    return out;
}

bool SerialsUnique(const std::vector<StoredMsg>& stored) {
    std::set<int32_t> seen;
    for (const StoredMsg& m : stored)
        if (!seen.insert(m.serial).second) return false;
    return true;
}

class StorageTest : public HostTest {
protected:
    std::string Dat(const char* name = "AlertMsg.DAT") const { return Folder() + name; }
    std::vector<StoredMsg> Stored(const std::string& folder, bool trade = false) const {
        std::vector<StoredMsg> out;
        EXPECT_TRUE(
            ParseMsgFile(ReadFileBytes(folder + (trade ? "TradeMsg.DAT" : "AlertMsg.DAT")), trade, out))
            << "a whole message file in " << folder;
        return out;
    }
    std::vector<StoredMsg> Stored() const { return Stored(Folder()); }
    void Send(std::initializer_list<const char*> texts) { ASSERT_TRUE(SendAlerts(*dll, texts)); }
    // A session that stores these alerts and ends normally.
    void StoreSession(std::initializer_list<const char*> texts) {
        Reload();
        ASSERT_NE(Init(), nullptr);
        Send(texts);
        Reload();
    }
    std::vector<std::string> Rows() const {
        std::vector<std::string> out;
        for (int i = 0; i < testhost::HostTest::Rows(kAlertList); ++i)
            out.push_back(Cell(kAlertList, i, 8));
        return out;
    }
    std::string FirstShowNotice() {
        dll->ToggleMsgCenter();
        const std::string text = StatusText(center);
        dll->ToggleMsgCenter();
        return text;
    }
};

using Strings = std::vector<std::string>;
// Until each fault is mended.
using DISABLED_StorageTest = StorageTest;

} // namespace

TEST_F(StorageTest, AMessageFileHeldByAnotherProgramIsWaitedForOrLeftAsItIs) {
    StoreSession({"a", "b", "c"});
    {
        // A scanner that lets go within a second: the start waits for it.
        FileHold scanner(Dat(), 1000);
        ASSERT_TRUE(scanner.Held());
        ASSERT_NE(Init(), nullptr);
        EXPECT_EQ(Rows(), (Strings{"c", "b", "a"}));
        Send({"d"});
        Reload();
    }
    EXPECT_EQ(Texts(Stored()), (Strings{"d", "c", "b", "a"}));

    // Held for the whole session: the file stays as it is, the session's
    // messages are kept beside it and join the stored ones at the next start.
    const std::vector<uint8_t> before = ReadFileBytes(Dat());
    {
        FileHold backup(Dat());
        ASSERT_NE(Init(), nullptr);
        EXPECT_TRUE(Rows().empty());
        const std::string notice = FirstShowNotice();
        EXPECT_NE(notice.find("AlertMsg.DAT"), std::string::npos) << notice;
        EXPECT_NE(notice.find("下次启动"), std::string::npos) << notice;
        Send({"e"});
        EXPECT_EQ(Rows(), (Strings{"e"}));
        Reload();
    }
    EXPECT_EQ(ReadFileBytes(Dat()), before) << "never overwritten";
    EXPECT_TRUE(FileExists(Dat() + ".pending"));
    EXPECT_FALSE(FileExists(Dat() + ".journal")) << "no journal of its own left behind";
    ASSERT_NE(Init(), nullptr);
    EXPECT_EQ(Rows(), (Strings{"e", "d", "c", "b", "a"}));
    Reload();
    const std::vector<StoredMsg> stored = Stored();
    EXPECT_EQ(Texts(stored), (Strings{"e", "d", "c", "b", "a"}));
    EXPECT_TRUE(SerialsUnique(stored));
    std::vector<std::string> names = FilesLike(Folder(), "*");
    std::erase_if(names, [](const std::string& n) { return n == "." || n == ".."; });
    EXPECT_EQ(
        std::set<std::string>(names.begin(), names.end()),
        (std::set<std::string>{"AlertMsg.cfg", "AlertMsg.DAT", "Nuntio.ini", "TradeMsg.cfg", "TradeMsg.DAT"}))
        << "a cleanly closed folder holds only its files";
}

TEST_F(StorageTest, AMessageFileTooLargeToReadIsLeftAsItIs) {
    StoreSession({"a", "b", "c"});
    const std::vector<uint8_t> stored = ReadFileBytes(Dat());
    // Over 2 GiB: the stored messages followed by a hole, as a broken copy
    // tool might leave it.
    const int64_t huge = (int64_t{1} << 31) + 4096;
    ASSERT_TRUE(MakeLargeFile(Dat(), stored, huge));
    ASSERT_NE(Init(), nullptr);
    EXPECT_TRUE(Rows().empty());
    Send({"x"});
    Reload();
    EXPECT_EQ(FileSize(Dat()), huge) << "never overwritten";
    EXPECT_EQ(ReadHead(Dat(), stored.size()), stored);

    // Once the file can be read, the new alert joins the stored ones.
    CutFile(Dat(), static_cast<int64_t>(stored.size()));
    ASSERT_NE(Init(), nullptr);
    EXPECT_EQ(Rows(), (Strings{"x", "c", "b", "a"}));
}

TEST_F(StorageTest, FilesTooBigToHoldInMemoryAreLeftAsTheyAre) {
    const int64_t big = int64_t{1536} << 20; // more than a 32-bit process can allocate in one piece
    for (const char* name : {"AlertMsg.cfg", "AlertMsg.DAT", "AlertMsg.DAT.journal"}) {
        SCOPED_TRACE(name);
        if (sizeof(void*) == 8 && std::string(name) != "AlertMsg.cfg") continue; // x64 reads them
        RemoveTree(Folder());
        StoreSession({"a", "b"});
        const std::vector<uint8_t> head = ReadFileBytes(Folder() + name);
        ASSERT_TRUE(MakeLargeFile(Folder() + name, head, big));
        ASSERT_NE(Init(), nullptr);
        ASSERT_NE(List(kAlertList), nullptr) << "both lists exist";
        ASSERT_NE(List(kTradeList), nullptr);
        Send({"n"});
        EXPECT_EQ(Rows().front(), "n");
        InboundMessage t = MakeTrade("成交", "t", 0);
        EXPECT_EQ(dll->SendToMsgCenter(0, &t), 1);
        Reload();
        if (std::string(name) == "AlertMsg.DAT") {
            EXPECT_EQ(FileSize(Folder() + name), big) << "never overwritten";
            CutFile(Folder() + name, static_cast<int64_t>(head.size()));
        } else if (std::string(name) == "AlertMsg.DAT.journal") {
            // Moved aside whole: a journal never grows so large, so it is damage.
            const std::vector<std::string> aside = FilesLike(Folder(), "AlertMsg.DAT.journal.damaged-*");
            ASSERT_EQ(aside.size(), 1u);
            EXPECT_EQ(FileSize(Folder() + aside[0]), big);
            DeleteFileA((Folder() + aside[0]).c_str());
        }
        ASSERT_NE(Init(), nullptr);
        const Strings rows = Rows();
        EXPECT_EQ(rows.front(), "n") << "the new alert is kept";
        EXPECT_NE(std::find(rows.begin(), rows.end(), "a"), rows.end()) << "and the stored ones";
        Reload();
    }
}

TEST_F(StorageTest, ASecondInitChangesNothing) {
    HWND first = Init();
    ASSERT_NE(first, nullptr);
    Send({"a"});
    EXPECT_EQ(reinterpret_cast<HWND>(static_cast<uintptr_t>(dll->Init(1, 2, root.c_str(), "trader02"))),
              first);
    EXPECT_EQ(reinterpret_cast<HWND>(static_cast<uintptr_t>(dll->Init(0, 0, root.c_str(), "trader01"))),
              first);
    Send({"b"});
    InboundMessage t = MakeTrade("成交", "t", 0);
    EXPECT_EQ(dll->SendToMsgCenter(0, &t), 1);
    EXPECT_EQ(Rows(), (Strings{"b", "a"}));
    Reload();
    EXPECT_EQ(Texts(Stored()), (Strings{"b", "a"}));
    EXPECT_EQ(Texts(Stored(Folder(), true)), (Strings{"t"}));
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
    // A short .cfg is told in the status bar: no box holds the start.
    std::vector<uint8_t> cfg = Cfg("AlertMsg.cfg");
    const std::vector<StoredMsg> stored = Stored();
    cfg.resize(100); // the serial counter (at 162) is gone
    WriteFileBytes(Folder() + "AlertMsg.cfg", std::string(cfg.begin(), cfg.end()));
    {
        DialogAnswerer none(DialogAnswerer::Close());
        ASSERT_NE(Init(), nullptr);
        Pump(100);
        EXPECT_TRUE(none.Seen().empty()) << none.Seen().front().message;
    }
    EXPECT_NE(FirstShowNotice().find("AlertMsg.cfg"), std::string::npos);

    // Alerts delivered by a host timer while "delete all?" is up are stored
    // at once (a crash then keeps them), and the answer deletes only what was
    // listed when it was asked.
    std::string crash = NewTempRoot("under-box") + "\\";
    DialogAnswerer answer([&](HWND box) {
        Send({"c", "d"});
        CopyFolder(Folder(), crash);
        DialogAnswerer::Press(IDYES)(box);
    });
    SendMessageA(center, WM_COMMAND, kAlertDeleteCmd + 1, 0);
    ASSERT_EQ(answer.Seen().size(), 1u);
    EXPECT_EQ(Rows(), (Strings{"d", "c"}));
    Reload();
    EXPECT_EQ(Texts(Stored()), (Strings{"d", "c"}));
    for (const StoredMsg& m : Stored())
        EXPECT_GT(m.serial, stored.front().serial) << "above every stored serial";

    // The copy taken under the box holds all four once replayed.
    RemoveTree(Folder());
    CopyFolder(crash, Folder());
    ASSERT_NE(Init(), nullptr);
    EXPECT_EQ(Rows(), (Strings{"d", "c", "b", "a"}));
    Reload();
    EXPECT_TRUE(SerialsUnique(Stored()));
    RemoveTree(crash);
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
    auto selectOnly = [&](int row) {
        ListView_SetItemState(List(kAlertList), -1, 0, LVIS_SELECTED);
        ListView_SetItemState(List(kAlertList), row, LVIS_SELECTED, LVIS_SELECTED);
    };
    sendFrom("opened", source);
    selectOnly(0);
    // The host's handler of the bring-forward request delivers another alert.
    HostWindow::onRequest = [&](UINT msg) {
        if (msg == 0x0839) sendFrom("during", nullptr);
    };
    SendMessageA(center, WM_COMMAND, IDOK, 0);
    HostWindow::onRequest = nullptr;
    EXPECT_EQ(Rows(), (Strings{"during", "opened"}));
    EXPECT_EQ(Icon(kAlertList, 1), 1) << "the opened alert";
    EXPECT_EQ(Icon(kAlertList, 0), 0) << "the new one stays latest";

    // No source window: a timer delivers an alert under the box.
    selectOnly(0);
    DialogAnswerer answer([&](HWND box) {
        sendFrom("under box", nullptr);
        DialogAnswerer::Press(IDOK)(box);
    });
    SendMessageA(center, WM_COMMAND, IDOK, 0);
    ASSERT_EQ(answer.Seen().size(), 1u);
    EXPECT_EQ(Rows(), (Strings{"under box", "during", "opened"}));
    EXPECT_EQ(Icon(kAlertList, 0), 0);
    EXPECT_EQ(Icon(kAlertList, 1), 1) << "the alert that was opened, now a row lower";
    EXPECT_EQ(Icon(kAlertList, 2), 1);
    Reload();
    std::vector<StoredMsg> stored = Stored();
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(stored[0].image, 0);
    EXPECT_EQ(stored[1].image, 1);
    DestroyWindow(source);
}

TEST_F(StorageTest, SerialNumbersNeverRepeatWhateverTheCfgHolds) {
    struct Case {
        const char* what;
        std::function<void(const std::string& cfg)> damage;
    };
    const Case cases[] = {
        {"missing", [](const std::string& cfg) { DeleteFileA(cfg.c_str()); }},
        {"empty", [](const std::string& cfg) { WriteFileBytes(cfg, ""); }},
        {"counter 0",
         [](const std::string& cfg) {
             std::vector<uint8_t> b = ReadFileBytes(cfg);
             std::fill(b.begin() + 162, b.begin() + 166, 0);
             WriteFileBytes(cfg, std::string(b.begin(), b.end()));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RemoveTree(Folder());
        StoreSession({"a", "b", "c"});
        c.damage(Folder() + "AlertMsg.cfg");
        ASSERT_NE(Init(), nullptr);
        Send({"d", "e"});
        Reload();
        const std::vector<StoredMsg> stored = Stored();
        ASSERT_EQ(Texts(stored), (Strings{"e", "d", "c", "b", "a"}));
        EXPECT_TRUE(SerialsUnique(stored));
        EXPECT_GT(stored[1].serial, stored[2].serial) << "new serials above the stored ones";
    }
}

TEST_F(StorageTest, AUserNameIsOneFolderName) {
    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);
    const std::string here = NewTempRoot("cwd");
    SetCurrentDirectoryA(here.c_str());
    const std::set<std::string> rootBefore = Tree(root);
    const std::string beside = root.substr(0, root.rfind('\\')) + "\\x"; // where "..\..\x" leads
    const std::string longName(250, 'n');
    for (const std::string& user :
         {std::string("..\\..\\x"), std::string(".."), std::string("."), std::string("a\\b"),
          std::string("a/b"), std::string("c:x"), std::string("CON"), std::string("nul.txt"),
          std::string("com1"), std::string("LPT9.log"), std::string("x."), std::string("x "), std::string(""),
          std::string("a*b"), std::string("a?b"), std::string("a|b"), std::string("a\"b"),
          std::string("a\tb"), longName}) {
        SCOPED_TRACE(user);
        EXPECT_EQ(dll->Init(0, 0, root.c_str(), user.c_str()), 0u);
        InboundMessage a = MakeInbound(0, MakeAlert("m", "x"));
        EXPECT_EQ(dll->SendToMsgCenter(0, &a), 0);
        Reload();
        EXPECT_EQ(Tree(root), rootBefore) << "nothing written under the root";
        EXPECT_TRUE(Tree(here).empty()) << "nothing written into the current folder";
        EXPECT_FALSE(FileExists(beside));
        RemoveTree(beside);
    }
    // What is one folder name is taken, a GBK character whose second byte is
    // a backslash's included.
    for (const std::string& user : {std::string("交易员"), std::string("\x95\x5C"), std::string("con2"),
                                    std::string("trader.01"), std::string(120, 'm')}) {
        SCOPED_TRACE(user);
        CreateDirectoryA((root + "\\User\\" + user).c_str(), nullptr);
        ASSERT_NE(Init(user), nullptr);
        Reload();
        EXPECT_TRUE(FileExists(Folder(user) + "AlertMsg.cfg"));
    }
    EXPECT_TRUE(Tree(here).empty());
    SetCurrentDirectoryA(cwd);
    RemoveTree(here);
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
        Send({std::to_string(i).c_str()});
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
    EXPECT_EQ(Rows(), (Strings{"1999", "1998", "1997", "0"}));
    EXPECT_EQ(ListView_GetSelectedCount(list), 1u);
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 3)
        << "the row that moved into the deleted place";

    std::string crash = NewTempRoot("batch") + "\\";
    CopyFolder(Folder(), crash);
    Unload();
    RemoveTree(Folder());
    CopyFolder(crash, Folder());
    RemoveTree(crash);
    Reload();
    ASSERT_NE(Init(), nullptr);
    EXPECT_EQ(Rows(), (Strings{"1999", "1998", "1997", "0"}));
}

TEST_F(StorageTest, StorageNoticesSayWhatWillBeKept) {
    // No user folder (the host's part of the path is missing): nothing can be
    // stored, and the status bar says so.
    RemoveTree(root + "\\User");
    ASSERT_NE(Init(), nullptr);
    Send({"a"});
    std::string notice = FirstShowNotice();
    EXPECT_NE(notice.find("不会保存"), std::string::npos) << notice;
    EXPECT_EQ(notice.find("正常退出时保存"), std::string::npos) << notice;
    Reload();
    EXPECT_TRUE(Tree(root).empty());

    // The journal alone cannot be made (a folder stands in its name): the
    // messages are saved at a normal exit, as the notice says.
    MakeDirs(Folder() + "AlertMsg.DAT.journal");
    ASSERT_NE(Init(), nullptr);
    Send({"b"});
    notice = FirstShowNotice();
    EXPECT_NE(notice.find("正常退出时保存"), std::string::npos) << notice;
    Reload();
    EXPECT_EQ(Texts(Stored()), (Strings{"b"}));
}
