#include "load_host.h"

#include <cstdio>
#include <fstream>
#include <type_traits>

namespace testhost {

namespace {

long g_gdiLive = 0;

// Calls the GDI function Fn and counts what it made (a handle) or deleted (TRUE).
template <auto Fn, typename R, typename... A>
R WINAPI Counted(A... a) {
    const R r = Fn(a...);
    if constexpr (std::is_same_v<R, BOOL>)
        g_gdiLive -= r != FALSE;
    else
        g_gdiLive += r != nullptr;
    return r;
}

struct Counter {
    const char* name;
    void* hook;
};
const Counter kCounters[] = {
    {"CreateCompatibleDC", reinterpret_cast<void*>(&Counted<&CreateCompatibleDC, HDC, HDC>)},
    {"CreateFontIndirectA", reinterpret_cast<void*>(&Counted<&CreateFontIndirectA, HFONT, const LOGFONTA*>)},
    {"CreateRectRgn", reinterpret_cast<void*>(&Counted<&CreateRectRgn, HRGN, int, int, int, int>)},
    {"CreateSolidBrush", reinterpret_cast<void*>(&Counted<&CreateSolidBrush, HBRUSH, COLORREF>)},
    {"ExtCreateRegion",
     reinterpret_cast<void*>(&Counted<&ExtCreateRegion, HRGN, const XFORM*, DWORD, const RGNDATA*>)},
    {"DeleteDC", reinterpret_cast<void*>(&Counted<&DeleteDC, BOOL, HDC>)},
    {"DeleteObject", reinterpret_cast<void*>(&Counted<&DeleteObject, BOOL, HGDIOBJ>)},
};

BOOL CALLBACK CountWindow(HWND hwnd, LPARAM lp) {
    ++*reinterpret_cast<DWORD*>(lp);
    EnumChildWindows(hwnd, CountWindow, lp);
    return TRUE;
}

} // namespace

LoadHost::LoadHost(const std::string& root, const std::string& user, int32_t keep) {
    if (!Load(root, user)) return;
    Unload();
    std::fstream cfg(root + "\\User\\" + user + "\\Nuntio\\AlertMsg.cfg",
                     std::ios::in | std::ios::out | std::ios::binary);
    cfg.seekp(1).put(2); // keep by count
    cfg.seekp(10).write(reinterpret_cast<const char*>(&keep), sizeof keep);
    cfg.close();
    Load(root, user);
}

bool LoadHost::Load(const std::string& root, const std::string& user) {
    m_module = LoadLibraryA((ExeDir() + "\\Nuntio.dll").c_str());
    if (m_module == nullptr) return false;
    auto get = [this](const char* name) { return reinterpret_cast<void*>(GetProcAddress(m_module, name)); };
    m_doAlert = reinterpret_cast<PFN_DoAlert>(get("DoAlert"));
    m_toggle = reinterpret_cast<PFN_ToggleMsgCenter>(get("ToggleMsgCenter"));
    for (const Counter& c : kCounters)
        m_hooks.push_back(std::make_unique<IatHook>(m_module, "gdi32.dll", c.name, c.hook));
    g_gdiLive = 0;
    const uint32_t center =
        reinterpret_cast<PFN_Nuntio_Init>(get("Nuntio_Init"))(0, 0, root.c_str(), user.c_str());
    m_center = reinterpret_cast<HWND>(static_cast<uintptr_t>(center));
    return m_center != nullptr;
}

std::string LoadHost::Text(int n) {
    char text[64];
    std::snprintf(text, sizeof text, "价格突破 %d.%02d 第%d条", 10 + n % 50, n % 100, n);
    return text;
}

int32_t LoadHost::Alert(int n) {
    AlertRecord r{};
    r.prop = {1, 0, 0, 1, 0, 0, 0, 0, 0, 0}; // visual, no popup
    std::snprintf(r.szModule, sizeof r.szModule, "行情预警");
    std::snprintf(r.szCode, sizeof r.szCode, "600000");
    std::snprintf(r.szName, sizeof r.szName, "浦发银行");
    std::snprintf(r.szContent, sizeof r.szContent, "%s", Text(n).c_str());
    return m_doAlert(&r);
}

void LoadHost::Toggle() {
    m_toggle();
    PumpQueued();
}

long LoadHost::GdiLive() const {
    return g_gdiLive;
}

void LoadHost::Unload() {
    m_hooks.clear();
    if (m_module != nullptr) FreeLibrary(m_module);
    m_module = nullptr;
    m_center = nullptr;
}

std::string ExeDir() {
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    const std::string path(exe);
    return path.substr(0, path.find_last_of('\\'));
}

DWORD WindowCount() {
    DWORD n = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&n));
    return n;
}

void PumpQueued() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

} // namespace testhost
