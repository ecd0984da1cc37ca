// The module object: what the host handed over at start-up, the message-center
// window, and the DLL's own instance handle.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "nuntio.h"

class CMsgCenterDlg;

class CMsgCenterModule {
public:
    CMsgCenterModule();
    ~CMsgCenterModule();
    CMsgCenterModule(const CMsgCenterModule&) = delete;
    CMsgCenterModule& operator=(const CMsgCenterModule&) = delete;

    // Export bodies; the exports wrap them so that nothing escapes.
    uint32_t Init(uint32_t hostValue1, uint32_t hostValue2, const char* root, const char* user);
    void ChangeUser(const char* user) { m_strUser = user; }
    int32_t DoAlert(const AlertRecord& record);
    int32_t SendToMsgCenter(const InboundMessage& message);
    int32_t ToggleMsgCenter();
    int32_t GetAlertDefaultSet(AlertProperty& prop) const;
    int32_t SetAlertDefaultSet(const AlertProperty& prop) const;
    int32_t OpenAlertPropertyDlg(AlertProperty& prop);

    const std::string& RootPath() const { return m_strRoot; }
    const std::string& UserName() const { return m_strUser; }
    const std::string& UserFolder() const { return m_strUserFolder; }
    CMsgCenterDlg* Window() const { return m_window.get(); }

    // Destroys the window (saving everything) while the host's thread can
    // still do so; runs again harmlessly from the destructor.
    void Shutdown();

private:
    std::string AlertIniPath() const;

    std::string m_strRoot;
    std::string m_strUser;
    std::string m_strUserFolder;
    uint32_t m_hostValue1 = 0;
    uint32_t m_hostValue2 = 0;
    std::unique_ptr<CMsgCenterDlg> m_window;
    InboundMessage m_alertBuffer{};
};

namespace nuntio {
// The DLL's instance: resources and window classes come from here, never from
// the host's module.
HINSTANCE ModuleInstance();
CMsgCenterModule& Module();
// Opens a topic ("::/...") of the host application's compiled HTML help file;
// silent on failure.
void ShowHelpTopic(const char* topic);
} // namespace nuntio
