// Help topics live in the host application's compiled HTML help file: the
// host executable's path with the extension ".chm", as the host framework
// names it. HtmlHelpA is looked up once; a failed lookup is remembered.
#include <windows.h>

#include <string>

#include "win/help.h"

namespace {

using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

enum class HelpState { NotLoaded, Loaded, Failed };
HelpState g_helpState = HelpState::NotLoaded;
HtmlHelpFn g_htmlHelp = nullptr;

constexpr UINT kHhDisplayToc = 1;
constexpr const char* kHtmlHelpClsidKey = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";

HMODULE LoadHtmlHelpLibrary() {
    HKEY key = nullptr;
    HMODULE lib = nullptr;
    if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, kHtmlHelpClsidKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        char path[260] = {};
        DWORD size = sizeof path - 1;
        DWORD type = 0;
        if (::RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(path), &size) ==
                ERROR_SUCCESS &&
            path[0] != '\0') {
            lib = ::LoadLibraryA(path);
        }
        ::RegCloseKey(key);
    }
    if (lib == nullptr) lib = ::LoadLibraryA("hhctrl.ocx");
    return lib;
}

std::string HostHelpFile() {
    char exe[MAX_PATH] = {};
    DWORD n = ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string path(exe, n);
    size_t dot = path.find_last_of('.');
    size_t slash = path.find_last_of("\\/");
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) path.resize(dot);
    return path + ".chm";
}

} // namespace

// The linker's symbol for this DLL's own image.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace win {

HINSTANCE Instance() {
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

void ShowHelpTopic(const char* topic) {
    if (g_helpState == HelpState::Failed) return;
    if (g_helpState == HelpState::NotLoaded) {
        HMODULE lib = LoadHtmlHelpLibrary();
        if (lib != nullptr) {
            g_htmlHelp = reinterpret_cast<HtmlHelpFn>(
                reinterpret_cast<void*>(::GetProcAddress(lib, MAKEINTRESOURCEA(14))));
        }
        g_helpState = g_htmlHelp != nullptr ? HelpState::Loaded : HelpState::Failed;
        if (g_htmlHelp == nullptr) return;
    }
    const std::string path = HostHelpFile() + topic;
    g_htmlHelp(nullptr, path.c_str(), kHhDisplayToc, 0);
}

} // namespace win
