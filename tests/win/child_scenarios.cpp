#include "child_scenarios.h"

#include <windows.h>

#include "crash_scenarios.h"
#include "nuntio_host.h"

namespace testhost {

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
