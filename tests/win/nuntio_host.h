// A test host: loads the real Nuntio.dll with LoadLibrary, resolves the nine
// exports and gives each test its own root folder. FreeLibrary at the end of a
// test unloads the DLL the way a host does, so every test starts fresh.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "nuntio.h"

namespace testhost {

std::string ExeDir();
std::string NewTempRoot(const char* tag);
void RemoveTree(const std::string& path);
bool FileExists(const std::string& path);
std::vector<uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
void MakeDirs(const std::string& path);
// A child window of parent by class and control id. The message center's ids
// are shared (the status bar is 4000 like the alert list, the alert toolbar
// 4001 like the trade list), so the class decides.
HWND FindChild(HWND parent, const char* cls, int id);
// Pumps this thread's messages for `ms` milliseconds (posted requests, timers).
void Pump(DWORD ms = 0);

class NuntioDll {
public:
    NuntioDll();
    ~NuntioDll();
    NuntioDll(const NuntioDll&) = delete;
    NuntioDll& operator=(const NuntioDll&) = delete;

    bool Loaded() const { return m_module != nullptr; }
    HMODULE Module() const { return m_module; }
    void Unload();

    PFN_Nuntio_Init Init = nullptr;
    PFN_Nuntio_Exit Exit = nullptr;
    PFN_Nuntio_ChangeUser ChangeUser = nullptr;
    PFN_DoAlert DoAlert = nullptr;
    PFN_SendToMsgCenter SendToMsgCenter = nullptr;
    PFN_ToggleMsgCenter ToggleMsgCenter = nullptr;
    PFN_OpenAlertPropertyDlg OpenAlertPropertyDlg = nullptr;
    PFN_GetAlertDefaultSet GetAlertDefaultSet = nullptr;
    PFN_SetAlertDefaultSet SetAlertDefaultSet = nullptr;

private:
    HMODULE m_module = nullptr;
};

// Records that make sense to a reader of the tests.
AlertRecord MakeAlert(const char* module, const char* content, uint8_t status = 1);
InboundMessage MakeInbound(int32_t category, const AlertRecord& alert);
InboundMessage MakeTrade(const char* event, const char* detail, int32_t occurred);

} // namespace testhost
