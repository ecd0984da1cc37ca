#include "crash_scenarios.h"

#include <type_traits>

#include "core/gbk_text.h"
#include "core/msg_file.h"

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <cstring>
#include <deque>
#include <fstream>
#include <sstream>

#include "iat_hook.h"
#include "nuntio_host.h"

namespace testhost {

namespace {

HWND AlertList(HWND center) {
    return FindChild(center, WC_LISTVIEWA, kAlertListId);
}

void SelectOnly(HWND list, int row) {
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
}

// Appends lines to a log that survives the process being killed: each line is
// written straight to the file (no buffer in this process).
class Log {
public:
    explicit Log(const std::string& path) {
        m_h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
        SetFilePointer(m_h, 0, nullptr, FILE_END);
    }
    ~Log() { CloseHandle(m_h); }
    void Line(const std::string& text) {
        const std::string line = text + "\n";
        DWORD n = 0;
        WriteFile(m_h, line.data(), static_cast<DWORD>(line.size()), &n, nullptr);
    }

private:
    HANDLE m_h;
};

std::string Id(const char* prefix, int id) {
    return prefix + std::to_string(id);
}

// Works like a busy host until it is killed: 50 operations a second, mostly
// alerts, some trade messages, deletions and opened marks. Before each
// operation it logs "? op id", after each confirmed one "op id"
// (+A alert added, +T trade added, -A alert deleted, oA alert opened).
int KillHost(const std::string& root) {
    const std::string logPath = root + "\\kill.log";
    int next = 0;
    {
        std::ifstream in(logPath);
        std::string op;
        int id;
        while (in >> op) {
            if (op == "?") in >> op;
            if (in >> id && id >= next) next = id + 1;
        }
    }
    NuntioDll dll;
    HWND center = StartOn(dll, root);
    if (center == nullptr) return 11;
    HWND list = AlertList(center);
    Log log(logPath);
    std::deque<int> own; // the alerts of this run, newest first: rows 0..n-1
    bool lastWasTrade = false;
    for (int step = 0; step < 100000; ++step) {
        const int id = next++;
        if (step % 7 == 3) {
            log.Line("? +T " + std::to_string(id));
            InboundMessage t = MakeTrade("成交", Id("t", id).c_str(), 1700000000 + id);
            if (dll.SendToMsgCenter(0, &t) == 1) log.Line("+T " + std::to_string(id));
            lastWasTrade = true;
        } else if (step % 5 == 4 && own.size() >= 3) {
            const int row = 2;
            const int target = own[row];
            log.Line("? -A " + std::to_string(target));
            const int before = ListView_GetItemCount(list);
            SelectOnly(list, row);
            SendMessageA(center, WM_COMMAND, kAlertDeleteCmd, 0);
            if (ListView_GetItemCount(list) == before - 1) log.Line("-A " + std::to_string(target));
            own.erase(own.begin() + row);
        } else if (step % 5 == 2 && own.size() >= 2 && !lastWasTrade) {
            const int row = 1;
            const int target = own[row];
            log.Line("? oA " + std::to_string(target));
            SelectOnly(list, row);
            SendMessageA(center, WM_COMMAND, IDOK, 0);
            if (RowIcon(list, row) == 1) log.Line("oA " + std::to_string(target));
        } else {
            log.Line("? +A " + std::to_string(id));
            InboundMessage a = MakeInbound(0, MakeAlert("kill", Id("k", id).c_str()));
            if (dll.SendToMsgCenter(0, &a) == 1) log.Line("+A " + std::to_string(id));
            own.push_front(id);
            lastWasTrade = false;
        }
        Pump(0);
        Sleep(20);
    }
    return 0;
}

// A few changes of each kind, the journal's size logged after each, then the
// process dies without unloading the library (as TerminateProcess does).
int CrashAfterChanges(const std::string& root) {
    NuntioDll dll;
    HWND center = StartOn(dll, root);
    if (center == nullptr) return 11;
    HWND list = AlertList(center);
    const std::string journal = root + "\\User\\trader01\\Nuntio\\AlertMsg.DAT.journal";
    Log log(root + "\\sizes.log");
    auto size = [&] {
        WIN32_FILE_ATTRIBUTE_DATA fa{};
        GetFileAttributesExA(journal.c_str(), GetFileExInfoStandard, &fa);
        log.Line(std::to_string(fa.nFileSizeLow));
    };
    size();
    for (const char* text : {"c0", "c1", "c2", "c3"}) {
        SendAlerts(dll, {text});
        size();
    }
    SelectOnly(list, 1);
    SendMessageA(center, WM_COMMAND, IDOK, 0); // c2 opened
    size();
    SelectOnly(list, 2);
    SendMessageA(center, WM_COMMAND, kAlertDeleteCmd, 0); // c1 deleted
    size();
    SendAlerts(dll, {"c4"});
    size();
    TerminateProcess(GetCurrentProcess(), 0);
    return 0;
}

// A second host for the same user while the test's own host runs: exit code
// 100 + the alert rows it found, after adding two alerts and unloading.
int SecondHost(const std::string& root) {
    NuntioDll dll;
    HWND center = StartOn(dll, root);
    if (center == nullptr) return 11;
    const int rows = ListView_GetItemCount(AlertList(center));
    if (!SendAlerts(dll, {"second-1", "second-2"})) return 12;
    dll.Unload();
    return 100 + rows;
}

// ---- faults: a full disk and a folder that cannot be written ----
int g_boxes = 0;
bool g_diskFull = false;
std::string g_readOnlyRoot;

int WINAPI CountBox(HWND, LPCSTR, LPCSTR, UINT) {
    ++g_boxes;
    return IDOK;
}
BOOL WINAPI FullWriteFile(HANDLE h, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED ov) {
    if (g_diskFull) {
        if (written != nullptr) *written = 0;
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    return WriteFile(h, data, size, written, ov);
}
bool InReadOnly(LPCSTR path) {
    return path != nullptr && _strnicmp(path, g_readOnlyRoot.c_str(), g_readOnlyRoot.size()) == 0;
}
HANDLE WINAPI ReadOnlyCreateFile(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD disp,
                                 DWORD flags, HANDLE tmpl) {
    if (InReadOnly(path) && ((access & (GENERIC_WRITE | FILE_WRITE_DATA | FILE_APPEND_DATA)) != 0 ||
                             (disp != OPEN_EXISTING && disp != OPEN_ALWAYS))) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileA(path, access, share, sa, disp, flags, tmpl);
}
BOOL WINAPI ReadOnlyMove(LPCSTR from, LPCSTR to, DWORD flags) {
    if (InReadOnly(from) || InReadOnly(to)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return MoveFileExA(from, to, flags);
}
BOOL WINAPI ReadOnlyDelete(LPCSTR path) {
    if (InReadOnly(path)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return DeleteFileA(path);
}
BOOL WINAPI ReadOnlyAttributes(LPCSTR path, DWORD attributes) {
    if (InReadOnly(path)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return SetFileAttributesA(path, attributes);
}

// The hooks stay in place through FreeLibrary (the library's import table
// goes with it), so they are never removed.
void Leak(IatHook* hook) {
    (void)hook;
}

// Three alerts stored, then the disk fills: two more are accepted and the
// user is told once in the status bar, without a message box; the library is
// unloaded with the disk still full. Exit code 0 when all of that held.
int DiskFull(const std::string& root) {
    NuntioDll dll;
    Leak(new IatHook(dll.Module(), "user32.dll", "MessageBoxA", reinterpret_cast<void*>(&CountBox)));
    Leak(new IatHook(dll.Module(), "kernel32.dll", "WriteFile", reinterpret_cast<void*>(&FullWriteFile)));
    HWND center = StartOn(dll, root);
    if (center == nullptr) return 11;
    if (!SendAlerts(dll, {"d0", "d1", "d2"})) return 12;
    g_diskFull = true;
    if (!SendAlerts(dll, {"f0", "f1"})) return 13;
    dll.ToggleMsgCenter();
    Pump(0);
    const std::string status = StatusText(center);
    if (status.find("磁盘已满") == std::string::npos) return 14;
    if (status.find("磁盘已满", status.find("磁盘已满") + 1) != std::string::npos) return 15; // once
    dll.ToggleMsgCenter();
    dll.Unload();
    return g_boxes == 0 ? 0 : 16;
}

// The user folder cannot be written at all: the stored alerts load, new ones
// are accepted and shown, the user is told at the first show, and unloading
// writes nothing and asks nothing. Exit code 100 + the alert rows shown.
int ReadOnlyFolder(const std::string& root) {
    g_readOnlyRoot = root;
    NuntioDll dll;
    Leak(new IatHook(dll.Module(), "user32.dll", "MessageBoxA", reinterpret_cast<void*>(&CountBox)));
    Leak(new IatHook(dll.Module(), "kernel32.dll", "CreateFileA",
                     reinterpret_cast<void*>(&ReadOnlyCreateFile)));
    Leak(new IatHook(dll.Module(), "kernel32.dll", "MoveFileExA", reinterpret_cast<void*>(&ReadOnlyMove)));
    Leak(new IatHook(dll.Module(), "kernel32.dll", "DeleteFileA", reinterpret_cast<void*>(&ReadOnlyDelete)));
    Leak(new IatHook(dll.Module(), "kernel32.dll", "SetFileAttributesA",
                     reinterpret_cast<void*>(&ReadOnlyAttributes)));
    HWND center = StartOn(dll, root);
    if (center == nullptr) return 11;
    if (!SendAlerts(dll, {"r0", "r1"})) return 12;
    const int rows = ListView_GetItemCount(AlertList(center));
    dll.ToggleMsgCenter();
    Pump(0);
    if (StatusText(center).find("无法写入") == std::string::npos) return 14;
    dll.ToggleMsgCenter();
    dll.Unload();
    return g_boxes == 0 ? 100 + rows : 16;
}

} // namespace

HWND StartOn(NuntioDll& dll, const std::string& root) {
    if (!dll.Loaded()) return nullptr;
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(dll.Init(0, 0, root.c_str(), "trader01")));
}

bool SendAlerts(NuntioDll& dll, std::initializer_list<const char*> texts) {
    for (const char* text : texts) {
        InboundMessage a = MakeInbound(0, MakeAlert("crash", text));
        if (dll.SendToMsgCenter(0, &a) != 1) return false;
    }
    return true;
}

int RunCrashScenario(const std::string& name, const std::string& root) {
    if (name == "crash-kill-host") return KillHost(root);
    if (name == "crash-after-changes") return CrashAfterChanges(root);
    if (name == "crash-second-host") return SecondHost(root);
    if (name == "crash-disk-full") return DiskFull(root);
    if (name == "crash-read-only") return ReadOnlyFolder(root);
    return 2;
}

namespace {
template <class T>
bool Parse(const std::vector<uint8_t>& bytes, std::vector<StoredMsg>& out) {
    nuntio::CMsgList<T> list;
    if (!nuntio::DecodeMessages(bytes.data(), bytes.size(), list).ok()) return false;
    for (const auto& m : list) {
        std::string text;
        if constexpr (std::is_same_v<T, nuntio::CAlertMsgObj>)
            text = std::string(nuntio::FieldText(m->m_record.szContent));
        else
            text = std::string(nuntio::FieldText(m->m_record.szDetail));
        out.push_back({m->m_nSerial, m->m_nImage, text});
    }
    return true;
}
} // namespace

// The core's own decoder reads what the library wrote.
bool ParseMsgFile(const std::vector<uint8_t>& bytes, bool trade, std::vector<StoredMsg>& out) {
    out.clear();
    return trade ? Parse<nuntio::CTradeMsgObj>(bytes, out) : Parse<nuntio::CAlertMsgObj>(bytes, out);
}

} // namespace testhost
