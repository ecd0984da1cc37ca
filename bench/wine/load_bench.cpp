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
#include <memory>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "iat_hook.h"
#include "nuntio.h"

namespace {

using bench::Ms;
using bench::Now;

double PrivateMb() {
    return static_cast<double>(bench::PrivateBytes()) / (1024.0 * 1024.0);
}

long g_gdiLive = 0;
HDC WINAPI CountedCreateCompatibleDC(HDC dc) {
    HDC r = CreateCompatibleDC(dc);
    g_gdiLive += r != nullptr;
    return r;
}
HFONT WINAPI CountedCreateFontIndirectA(const LOGFONTA* lf) {
    HFONT r = CreateFontIndirectA(lf);
    g_gdiLive += r != nullptr;
    return r;
}
HRGN WINAPI CountedCreateRectRgn(int l, int t, int r, int b) {
    HRGN h = CreateRectRgn(l, t, r, b);
    g_gdiLive += h != nullptr;
    return h;
}
HBRUSH WINAPI CountedCreateSolidBrush(COLORREF c) {
    HBRUSH r = CreateSolidBrush(c);
    g_gdiLive += r != nullptr;
    return r;
}
HRGN WINAPI CountedExtCreateRegion(const XFORM* x, DWORD n, const RGNDATA* d) {
    HRGN r = ExtCreateRegion(x, n, d);
    g_gdiLive += r != nullptr;
    return r;
}
BOOL WINAPI CountedDeleteDC(HDC dc) {
    const BOOL r = DeleteDC(dc);
    g_gdiLive -= r != FALSE;
    return r;
}
BOOL WINAPI CountedDeleteObject(HGDIOBJ o) {
    const BOOL r = DeleteObject(o);
    g_gdiLive -= r != FALSE;
    return r;
}

BOOL CALLBACK CountWindow(HWND hwnd, LPARAM lp) {
    ++*reinterpret_cast<DWORD*>(lp);
    EnumChildWindows(hwnd, CountWindow, lp);
    return TRUE;
}
DWORD WindowCount() {
    DWORD n = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&n));
    return n;
}

void Pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
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
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string dir(exe);
    dir.resize(dir.find_last_of('\\'));
    const std::string user = "load";
    const std::string folder = root + "\\User\\" + user + "\\Nuntio\\";
    CreateDirectoryA(root.c_str(), nullptr);
    CreateDirectoryA((root + "\\User").c_str(), nullptr);
    CreateDirectoryA((root + "\\User\\" + user).c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const char* f : {"AlertMsg.DAT", "AlertMsg.DAT.journal", "AlertMsg.cfg"})
        DeleteFileA((folder + f).c_str());

    HMODULE dll = LoadLibraryA((dir + "\\Nuntio.dll").c_str());
    if (dll == nullptr) {
        std::printf("cannot load Nuntio.dll\n");
        return 1;
    }
    auto init =
        reinterpret_cast<PFN_Nuntio_Init>(reinterpret_cast<void*>(GetProcAddress(dll, "Nuntio_Init")));
    auto doAlert = reinterpret_cast<PFN_DoAlert>(reinterpret_cast<void*>(GetProcAddress(dll, "DoAlert")));
    auto toggle = reinterpret_cast<PFN_ToggleMsgCenter>(
        reinterpret_cast<void*>(GetProcAddress(dll, "ToggleMsgCenter")));
    std::vector<std::unique_ptr<testhost::IatHook>> hooks;
    auto hook = [&](const char* fn, void* f) {
        hooks.push_back(std::make_unique<testhost::IatHook>(dll, "gdi32.dll", fn, f));
    };
    hook("CreateCompatibleDC", reinterpret_cast<void*>(&CountedCreateCompatibleDC));
    hook("CreateFontIndirectA", reinterpret_cast<void*>(&CountedCreateFontIndirectA));
    hook("CreateRectRgn", reinterpret_cast<void*>(&CountedCreateRectRgn));
    hook("CreateSolidBrush", reinterpret_cast<void*>(&CountedCreateSolidBrush));
    hook("ExtCreateRegion", reinterpret_cast<void*>(&CountedExtCreateRegion));
    hook("DeleteDC", reinterpret_cast<void*>(&CountedDeleteDC));
    hook("DeleteObject", reinterpret_cast<void*>(&CountedDeleteObject));

    // A first start writes the configuration; retention by count is set in it.
    if (init(0, 0, root.c_str(), user.c_str()) == 0) return 1;
    hooks.clear();
    FreeLibrary(dll);
    {
        HANDLE h = CreateFileA((folder + "AlertMsg.cfg").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        unsigned char cfg[170];
        DWORD n = 0;
        ReadFile(h, cfg, sizeof cfg, &n, nullptr);
        cfg[1] = 2;
        std::memcpy(&cfg[10], &keep, 4);
        SetFilePointer(h, 0, nullptr, FILE_BEGIN);
        WriteFile(h, cfg, sizeof cfg, &n, nullptr);
        CloseHandle(h);
    }
    dll = LoadLibraryA((dir + "\\Nuntio.dll").c_str());
    init = reinterpret_cast<PFN_Nuntio_Init>(reinterpret_cast<void*>(GetProcAddress(dll, "Nuntio_Init")));
    doAlert = reinterpret_cast<PFN_DoAlert>(reinterpret_cast<void*>(GetProcAddress(dll, "DoAlert")));
    toggle = reinterpret_cast<PFN_ToggleMsgCenter>(
        reinterpret_cast<void*>(GetProcAddress(dll, "ToggleMsgCenter")));
    hook("CreateCompatibleDC", reinterpret_cast<void*>(&CountedCreateCompatibleDC));
    hook("CreateFontIndirectA", reinterpret_cast<void*>(&CountedCreateFontIndirectA));
    hook("CreateRectRgn", reinterpret_cast<void*>(&CountedCreateRectRgn));
    hook("CreateSolidBrush", reinterpret_cast<void*>(&CountedCreateSolidBrush));
    hook("ExtCreateRegion", reinterpret_cast<void*>(&CountedExtCreateRegion));
    hook("DeleteDC", reinterpret_cast<void*>(&CountedDeleteDC));
    hook("DeleteObject", reinterpret_cast<void*>(&CountedDeleteObject));
    g_gdiLive = 0;
    if (init(0, 0, root.c_str(), user.c_str()) == 0) return 1;

    std::printf("%-9s %8s %12s %12s %10s %8s %8s %10s\n", "messages", "rows", "hidden ms", "shown ms",
                "memory MB", "GDI", "windows", "GuiRes");
    AlertRecord r{};
    r.prop = {1, 0, 0, 1, 0, 0, 0, 0, 0, 0};
    std::snprintf(r.szModule, sizeof r.szModule, "行情预警");
    std::snprintf(r.szCode, sizeof r.szCode, "600000");
    std::snprintf(r.szName, sizeof r.szName, "浦发银行");
    double worstHidden = 0, worstShown = 0;
    for (int done = 0; done < messages;) {
        double hiddenMs = 0, shownMs = 0;
        int hiddenN = 0, shownN = 0;
        for (int i = 0; i < block && done < messages; ++i, ++done) {
            const bool shown = i < shownPerBlock;
            if (i == 0 || i == shownPerBlock) {
                toggle(); // shown at the start of the block, hidden after its stretch
                Pump();
            }
            std::snprintf(r.szContent, sizeof r.szContent, "价格突破 %d.%02d 第%d条", 10 + done % 50,
                          done % 100, done);
            LARGE_INTEGER t0 = Now();
            doAlert(&r);
            LARGE_INTEGER t1 = Now();
            (shown ? shownMs : hiddenMs) += Ms(t0, t1);
            (shown ? shownN : hiddenN) += 1;
            if (shown && i % pumpEvery == pumpEvery - 1) {
                LARGE_INTEGER p0 = Now();
                Pump();
                shownMs += Ms(p0, Now());
            }
        }
        Pump();
        const double h = hiddenN ? hiddenMs / hiddenN : 0, s = shownN ? shownMs / shownN : 0;
        const int rows = done < keep ? done : keep;
        if (done > keep) {
            worstHidden = h > worstHidden ? h : worstHidden;
            worstShown = s > worstShown ? s : worstShown;
        }
        std::printf("%-9d %8d %12.3f %12.3f %10.1f %8ld %8lu %10lu\n", done, rows, h, s, PrivateMb(),
                    g_gdiLive, WindowCount(), GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
        std::fflush(stdout);
    }
    std::printf("once retention runs: worst block %.3f ms a message hidden, %.3f ms shown\n", worstHidden,
                worstShown);
    std::printf("one journal append and flush in this folder: %.3f ms\n", FlushMs(folder));
    hooks.clear();
    LARGE_INTEGER s0 = Now();
    FreeLibrary(dll);
    LARGE_INTEGER s1 = Now();
    std::printf("unload (writes %d messages whole, removes the journal): %.1f ms\n", keep, Ms(s0, s1));
    return 0;
}
