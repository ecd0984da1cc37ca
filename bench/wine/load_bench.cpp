// Load scenario of the real Nuntio.dll under Wine: messages delivered as fast
// as the host can call, retention by count, the window shown for a stretch of
// every block and hidden for the rest. Reports per block the cost of one
// message (hidden and shown), the committed memory, the library's live GDI
// objects (counted at its imports: GetGuiResources answers 0 under Wine) and
// the windows of the thread; and, apart, what one journal flush costs here.
//
//   nuntio_load_bench.exe [--messages 100000] [--keep 50000] [--block 10000] [--shown 1000]
//                         [--pump 50] [--root DIR]
//
// While shown, the host's message loop runs after every --pump messages, and
// the time it takes (the list drawing what arrived) counts to the messages.
//
// Goals: under 1 ms a message at 50,000 rows; memory and handles flat once
// retention runs. The figures are reported, not asserted.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "load_host.h"

namespace {

using bench::Ms;
using bench::Now;

double PrivateMb() {
    return static_cast<double>(bench::PrivateBytes()) / (1024.0 * 1024.0);
}

// What appending one journal-sized record and flushing it costs in folder.
double FlushMs(const std::string& folder) {
    const std::string path = folder + "flush-probe.bin";
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return -1;
    std::vector<char> rec(540, 'x');
    const int n = 500;
    LARGE_INTEGER t0 = Now();
    for (int i = 0; i < n; ++i) {
        DWORD w = 0;
        WriteFile(h, rec.data(), static_cast<DWORD>(rec.size()), &w, nullptr);
        FlushFileBuffers(h);
    }
    LARGE_INTEGER t1 = Now();
    CloseHandle(h);
    DeleteFileA(path.c_str());
    return Ms(t0, t1) / n;
}

} // namespace

int main(int argc, char** argv) {
    int messages = 100000, keep = 50000, block = 10000, shownPerBlock = 1000, pumpEvery = 50;
    char tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    std::string root = std::string(tmp) + "nuntio-load";
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--messages") == 0) messages = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--keep") == 0) keep = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--block") == 0) block = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--shown") == 0) shownPerBlock = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--pump") == 0) pumpEvery = std::max(1, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--root") == 0) root = argv[i + 1];
    }
    const std::string user = "load";
    const std::string folder = root + "\\User\\" + user + "\\Nuntio\\";
    CreateDirectoryA(root.c_str(), nullptr);
    CreateDirectoryA((root + "\\User").c_str(), nullptr);
    CreateDirectoryA((root + "\\User\\" + user).c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const char* f : {"AlertMsg.DAT", "AlertMsg.DAT.journal", "AlertMsg.cfg"})
        DeleteFileA((folder + f).c_str());

    // A first start writes the configuration; retention by count is set in it.
    testhost::LoadHost host(root, user, keep);
    if (host.Center() == nullptr) {
        std::printf("cannot start Nuntio.dll\n");
        return 1;
    }

    std::printf("%-9s %8s %12s %12s %10s %8s %8s %10s\n", "messages", "rows", "hidden ms", "shown ms",
                "memory MB", "GDI", "windows", "GuiRes");
    double worstHidden = 0, worstShown = 0;
    for (int done = 0; done < messages;) {
        double hiddenMs = 0, shownMs = 0;
        int hiddenN = 0, shownN = 0;
        for (int i = 0; i < block && done < messages; ++i, ++done) {
            const bool shown = i < shownPerBlock;
            if (i == 0 || i == shownPerBlock)
                host.Toggle(); // shown at the start of the block, hidden after its stretch
            LARGE_INTEGER t0 = Now();
            host.Alert(done);
            LARGE_INTEGER t1 = Now();
            (shown ? shownMs : hiddenMs) += Ms(t0, t1);
            (shown ? shownN : hiddenN) += 1;
            if (shown && i % pumpEvery == pumpEvery - 1) {
                LARGE_INTEGER p0 = Now();
                testhost::PumpQueued();
                shownMs += Ms(p0, Now());
            }
        }
        testhost::PumpQueued();
        const double h = hiddenN ? hiddenMs / hiddenN : 0, s = shownN ? shownMs / shownN : 0;
        const int rows = done < keep ? done : keep;
        if (done > keep) {
            worstHidden = h > worstHidden ? h : worstHidden;
            worstShown = s > worstShown ? s : worstShown;
        }
        std::printf("%-9d %8d %12.3f %12.3f %10.1f %8ld %8lu %10lu\n", done, rows, h, s, PrivateMb(),
                    host.GdiLive(), testhost::WindowCount(),
                    GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
        std::fflush(stdout);
    }
    std::printf("once retention runs: worst block %.3f ms a message hidden, %.3f ms shown\n", worstHidden,
                worstShown);
    std::printf("one journal append and flush in this folder: %.3f ms\n", FlushMs(folder));
    LARGE_INTEGER s0 = Now();
    host.Unload();
    LARGE_INTEGER s1 = Now();
    std::printf("unload (writes %d messages whole, removes the journal): %.1f ms\n", keep, Ms(s0, s1));
    return 0;
}
