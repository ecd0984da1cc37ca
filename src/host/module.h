// The module object: what the host handed over at start-up, the message-center
// window, and the DLL's own instance handle.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "center/host_link.h"
#include "core/session.h"
#include "nuntio.h"

namespace nuntio {

class CMsgCenterDlg;
class CMsgCategory;

class CMsgCenterModule : private IHostLink {
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

    CMsgCenterDlg* Window() const { return m_window.get(); }

    // Saves everything and ends the window. processExit: the process is
    // ending without unloading the library, so the files are written without
    // touching windows. Runs again harmlessly from the destructor.
    void Shutdown(bool processExit = false);

private:
    // What the window asks of the module.
    HWND HostWindow() override;
    AlertProperty AlertDefaults() override;
    void SetAlertDefaults(const AlertProperty& prop) override;

    std::string AlertIniPath() const;
    uint32_t WindowHandle() const;

    // Fixed at Nuntio_Init; the user name alone may change afterwards.
    nuntio::Session m_session;
    std::string m_strUser;
    uint32_t m_hostValue1 = 0;
    uint32_t m_hostValue2 = 0;
    std::unique_ptr<CMsgCenterDlg> m_window;
    InboundMessage m_alertBuffer{};
};

CMsgCenterModule& Module();
CMsgCategory& AlertCategory();
CMsgCategory& TradeCategory();
// Remembers the host's main window at Nuntio_Init: the thread's active
// window (its root owner), else the first top-level, unowned, visible window
// in z-order that is not one of this DLL's.
void TakeHostWindow();
// The host's main window, or null: the one taken at Nuntio_Init while it
// exists, visible or hidden; once it is gone, found again the same way.
HWND HostMainWindow();

} // namespace nuntio
