// A test host: loads the real Nuntio.dll with LoadLibrary, resolves the nine
// exports and gives each test its own root folder. FreeLibrary at the end of a
// test unloads the DLL the way a host does, so every test starts fresh.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "child_scenarios.h"
#include "iat_hook.h"
#include "nuntio.h"

namespace testhost {

void RemoveTree(const std::string& path);
bool FileExists(const std::string& path);
std::vector<uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
inline void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    WriteFileBytes(path, std::string(bytes.begin(), bytes.end()));
}
void MakeDirs(const std::string& path);
// A child window of parent by class and control id. The message center's ids
// are shared (the status bar is 4000 like the alert list, the alert toolbar
// 4001 like the trade list), so the class decides.
HWND FindChild(HWND parent, const char* cls, int id);
// Pumps this thread's messages for `ms` milliseconds (posted requests, timers).
void Pump(DWORD ms = 0);
// A little-endian 32-bit word of a file's bytes (0 past the end).
int32_t I32At(const std::vector<uint8_t>& bytes, size_t offset);
// Names of the files in `folder` that match `pattern` (FindFirstFile wildcards).
std::vector<std::string> FilesLike(const std::string& folder, const char* pattern);
std::string CellText(HWND list, int row, int sub);
int RowIcon(HWND list, int row);
// The text of a window's status bar (the message center's, the find window's).
std::string StatusText(HWND window);

// The lists' control ids (the toolbars share them; the class decides).
constexpr int kAlertList = 4000;
constexpr int kTradeList = 4001;

class NuntioDll {
public:
    NuntioDll();
    ~NuntioDll() { Unload(); }
    NuntioDll(const NuntioDll&) = delete;
    NuntioDll& operator=(const NuntioDll&) = delete;

    bool Loaded() const { return m_module != nullptr; }
    HMODULE Module() const { return m_module; }
    void Unload() {
        if (m_module != nullptr) FreeLibrary(m_module);
        m_module = nullptr;
    }

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

// A test with its own root folder holding User\trader01 and a freshly loaded
// library; the files and the library go at the end.
class HostTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Removes the hooks, then unloads the library (which saves its files).
    void Unload() {
        hooks.clear(); // before the library goes
        dll.reset();
    }
    // Unloads and loads the library again, not started.
    void Reload() {
        Unload();
        dll = std::make_unique<NuntioDll>();
    }
    HWND Init(const std::string& user = "trader01");
    std::string Folder(const std::string& user = "trader01") const {
        return root + "\\User\\" + user + "\\Nuntio\\";
    }
    std::vector<uint8_t> Cfg(const char* name) const { return ReadFileBytes(Folder() + name); }
    // Writes into a category's configuration file (the library unloaded).
    void PatchCfg(const char* name, size_t offset, const void* bytes, size_t n);
    template <typename T>
    void PatchCfg(const char* name, size_t offset, T value) {
        PatchCfg(name, offset, &value, sizeof value);
    }
    // Replaces `function` in the library's imports from `from` for the rest of the run.
    void Hook(const char* from, const char* function, void* replacement, void** original = nullptr);

    HWND List(int id) const { return FindChild(center, WC_LISTVIEWA, id); }
    int Rows(int id) const { return ListView_GetItemCount(List(id)); }
    std::string Cell(int id, int row, int sub) const { return CellText(List(id), row, sub); }
    int Icon(int id, int row) const { return RowIcon(List(id), row); }
    // The alert list's contents, top to bottom.
    std::vector<std::string> Contents() const;
    // The page the tab strip shows: 0 alerts, 1 trade messages.
    int CurrentTab() const {
        return static_cast<int>(SendMessageA(GetDlgItem(center, 5000), TCM_GETCURSEL, 0, 0));
    }
    // Delivers alerts with these contents, and a trade message.
    void Alerts(std::initializer_list<const char*> contents) { ASSERT_TRUE(SendAlerts(*dll, contents)); }
    void Trade(const char* detail, const char* event = "成交");

    std::unique_ptr<NuntioDll> dll;
    std::vector<std::unique_ptr<IatHook>> hooks;
    std::string root;
    HWND center = nullptr;
};

} // namespace testhost
