// The load scenario's host, shared by the load test and the load benchmark:
// the library beside this program, started on a folder whose alerts are kept
// by count, its live GDI objects counted at its own imports (GetGuiResources
// answers 0 under Wine), alerts delivered as fast as the caller asks.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "iat_hook.h"
#include "nuntio.h"

namespace testhost {

class LoadHost {
public:
    // Loads the library and starts it on root for user, alerts kept at `keep`
    // by count (a first start writes the configuration, which is then patched).
    LoadHost(const std::string& root, const std::string& user, int32_t keep);
    ~LoadHost() { Unload(); }
    LoadHost(const LoadHost&) = delete;
    LoadHost& operator=(const LoadHost&) = delete;

    HWND Center() const { return m_center; }
    // Delivers alert number n; its content is Text(n).
    int32_t Alert(int n);
    static std::string Text(int n);
    // Shows or hides the window and runs the message loop.
    void Toggle();
    // The library's GDI objects made since it started and not yet deleted.
    long GdiLive() const;
    // Removes the counting hooks, then unloads (which writes the files whole).
    void Unload();

private:
    bool Load(const std::string& root, const std::string& user);

    HMODULE m_module = nullptr;
    HWND m_center = nullptr;
    PFN_DoAlert m_doAlert = nullptr;
    PFN_ToggleMsgCenter m_toggle = nullptr;
    std::vector<std::unique_ptr<IatHook>> m_hooks;
};

// The folder of this program, where the library is.
std::string ExeDir();
// The windows of this thread, children included (each child counted once per
// ancestor walk: the figure is compared with itself).
DWORD WindowCount();
// Committed private memory: the benchmarks' gauge.
using bench::PrivateBytes;
// Runs this thread's message loop until nothing is queued.
void PumpQueued();

} // namespace testhost
