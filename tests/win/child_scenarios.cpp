#include "child_scenarios.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <set>
#include <type_traits>

#include "core/gbk_text.h"
#include "core/msg_file.h"
#include "nuntio_host.h"
#include "ui_driver.h"

namespace testhost {

namespace {

// Starts the library on root for trader01: the message-center window, or null.
HWND StartOn(NuntioDll& dll, const std::string& root) {
    if (!dll.Loaded()) return nullptr;
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(dll.Init(0, 0, root.c_str(), "trader01")));
}

// Works like a busy host until it is killed: 50 operations a second, mostly
// alerts, some trade messages, deletions and opened marks. It logs each
// operation as "op id" before it starts it (+A alert added, +T trade added, -A
// alert deleted, oA alert opened), so every logged operation but the last was
// confirmed; one that fails ends the process.
int KillHost(const std::string& root) {
    const std::string logPath = root + "\\kill.log";
    // Every operation logs a line first: numbering from the log's size gives
    // every run's operations new numbers.
    int next = static_cast<int>(ReadFileBytes(logPath).size());
    NuntioDll dll;
    HWND center = StartOn(dll, root);
    if (center == nullptr) return 11;
    HWND list = FindChild(center, WC_LISTVIEWA, kAlertList);
    // Each line goes to the file at once (it survives the process being killed).
    std::ofstream log(logPath, std::ios::app);
    std::deque<int> own; // the alerts of this run, newest first: rows 0..n-1
    bool lastWasTrade = false;
    for (int step = 0; step < 100000; ++step) {
        const int id = next++;
        if (step % 7 == 3) {
            log << "+T " << id << std::endl;
            InboundMessage t = MakeTrade("成交", ("t" + std::to_string(id)).c_str(), 1700000000 + id);
            if (dll.SendToMsgCenter(0, &t) != 1) return 12;
            lastWasTrade = true;
        } else if (step % 5 == 4 && own.size() >= 3) {
            log << "-A " << own[2] << std::endl;
            const int before = ListView_GetItemCount(list);
            SelectOnly(list, {2});
            SendMessageA(center, WM_COMMAND, kAlertDeleteCmd, 0);
            if (ListView_GetItemCount(list) != before - 1) return 13;
            own.erase(own.begin() + 2);
        } else if (step % 5 == 2 && own.size() >= 2 && !lastWasTrade) {
            log << "oA " << own[1] << std::endl;
            SelectOnly(list, {1});
            SendMessageA(center, WM_COMMAND, IDOK, 0);
            if (RowIcon(list, 1) != 1) return 14;
        } else {
            log << "+A " << id << std::endl;
            InboundMessage a = MakeInbound(0, MakeAlert("kill", ("k" + std::to_string(id)).c_str()));
            if (dll.SendToMsgCenter(0, &a) != 1) return 12;
            own.push_front(id);
            lastWasTrade = false;
        }
        Pump(0);
        Sleep(20);
    }
    return 0;
}

// Adds two alerts and unloads.
int SecondHost(const std::string& root) {
    NuntioDll dll;
    HWND center = StartOn(dll, root);
    if (center == nullptr) return 11;
    const int rows = ListView_GetItemCount(FindChild(center, WC_LISTVIEWA, kAlertList));
    if (!SendAlerts(dll, {"second-1", "second-2"})) return 12;
    dll.Unload();
    return 100 + rows;
}

template <class T>
bool Decode(const std::vector<uint8_t>& bytes, std::vector<StoredMsg>& out) {
    nuntio::CMsgList<T> list;
    if (!nuntio::DecodeMessages(bytes.data(), bytes.size(), list).ok()) return false;
    for (const auto& m : list) {
        if constexpr (std::is_same_v<T, nuntio::CAlertMsgObj>)
            out.push_back({m->m_nSerial, m->m_nImage, std::string(nuntio::FieldText(m->m_record.szContent))});
        else
            out.push_back({m->m_nSerial, m->m_nImage, std::string(nuntio::FieldText(m->m_record.szDetail))});
    }
    return true;
}

} // namespace

bool SendAlerts(NuntioDll& dll, std::initializer_list<const char*> texts) {
    for (const char* text : texts) {
        InboundMessage a = MakeInbound(0, MakeAlert("crash", text));
        if (dll.SendToMsgCenter(0, &a) != 1) return false;
    }
    return true;
}

std::vector<StoredMsg> ReadStored(const std::string& path, bool trade) {
    std::vector<StoredMsg> out;
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    if (!(trade ? Decode<nuntio::CTradeMsgObj>(bytes, out) : Decode<nuntio::CAlertMsgObj>(bytes, out)))
        ADD_FAILURE() << path << " is not a whole message file";
    std::set<int32_t> serials;
    for (const StoredMsg& m : out)
        EXPECT_TRUE(serials.insert(m.serial).second) << path << " repeats serial " << m.serial;
    return out;
}

int RunChildScenario(const std::string& name, const std::string& root) {
    if (name == "exit-without-unload") {
        // Three alerts and two trade messages, then the process ends without
        // unloading the library: the files must still be written.
        NuntioDll dll;
        if (StartOn(dll, root) == nullptr) return 11;
        for (int i = 0; i < 3; ++i) {
            AlertRecord a = MakeAlert("行情", ("exit-alert-" + std::to_string(i)).c_str());
            dll.DoAlert(&a);
        }
        for (int i = 0; i < 2; ++i) {
            InboundMessage t = MakeTrade("成交", ("exit-trade-" + std::to_string(i)).c_str(), 1700000000 + i);
            dll.SendToMsgCenter(0, &t);
        }
        ExitProcess(0);
    }
    if (name == "crash-kill-host") return KillHost(root);
    if (name == "crash-second-host") return SecondHost(root);
    return 2;
}

HANDLE StartChild(const std::string& name, const std::string& root) {
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string cmd = "\"" + std::string(exe) + "\" --child " + name + " \"" + root + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

int SpawnChild(const std::string& name, const std::string& root, unsigned timeoutMs) {
    HANDLE child = StartChild(name, root);
    if (child == nullptr) return -1;
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(child, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(child, &code);
    else
        TerminateProcess(child, 99);
    CloseHandle(child);
    return static_cast<int>(code);
}

} // namespace testhost
