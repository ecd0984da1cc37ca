// The module object's operations: start-up, delivery and the per-user default
// alert settings.
#include "host/module.h"

#include <cstring>

#include "center/msg_center_dlg.h"
#include "core/alert_defaults.h"
#include "core/file_io.h"
#include "settings/category_settings.h"

namespace nuntio {

CMsgCenterModule::CMsgCenterModule() {
    m_alertBuffer.nCategory = NUNTIO_CATEGORY_ALERT;
}

CMsgCenterModule::~CMsgCenterModule() {
    Shutdown();
}

void CMsgCenterModule::Shutdown(bool processExit) {
    if (!m_window) return;
    if (processExit) {
        m_window->SaveAtProcessExit();
        m_window->Detach();
    } else if (m_window->IsLive()) {
        m_window->Destroy();
    }
    m_window.reset();
}

uint32_t CMsgCenterModule::Init(uint32_t hostValue1, uint32_t hostValue2, const char* root,
                                const char* user) {
    // The host calls this once; a second call answers with the window there is
    // (none after a start that failed) and changes nothing.
    if (m_window) return m_window->IsLive() ? WindowHandle() : 0;
    // Every path of ours is a full one: a relative root is taken from the
    // current folder now, once. The user name must be one folder name.
    char full[MAX_PATH];
    const DWORD n = ::GetFullPathNameA(root, sizeof full, full, nullptr);
    if (n == 0 || n >= sizeof full) return 0;
    // "C:\" becomes "C:", so that "\User" follows it with one backslash.
    const std::string fullRoot = nuntio::WithoutTrailingSeparators(std::string(full, n));
    if (nuntio::CheckUserName(fullRoot, user) != nuntio::UserNameCheck::kOk) return 0;

    nuntio::TakeHostWindow();
    m_session = {fullRoot, user, nuntio::UserFolder(fullRoot, user), &nuntio::PlatformFileSystem()};
    m_strUser = user;
    m_hostValue1 = hostValue1;
    m_hostValue2 = hostValue2;
    m_window = std::make_unique<CMsgCenterDlg>(&nuntio::AlertCategory(), &nuntio::TradeCategory(), m_session,
                                               static_cast<IHostLink&>(*this));
    if (!m_window->Create(nullptr)) return 0;
    return WindowHandle();
}

uint32_t CMsgCenterModule::WindowHandle() const {
    // Window handles keep their significant bits in the low 32 on every Windows.
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(m_window->Handle()));
}

int32_t CMsgCenterModule::DoAlert(const AlertRecord& record) {
    if (record.prop.AlertStaus == 0) return 1;
    std::memcpy(&m_alertBuffer.body.alert, &record, sizeof(AlertRecord));
    SendToMsgCenter(m_alertBuffer);
    return 1;
}

int32_t CMsgCenterModule::SendToMsgCenter(const InboundMessage& message) {
    if (!m_window || !m_window->IsLive()) return 0;
    InboundMessage local;
    std::memcpy(&local, &message, sizeof local);
    return m_window->RouteMessage(local);
}

int32_t CMsgCenterModule::ToggleMsgCenter() {
    if (!m_window || m_window->Handle() == nullptr) return 0;
    if (m_window->IsCenterVisible())
        m_window->HideCenter();
    else
        m_window->ShowCenter();
    return m_window->IsCenterVisible() ? 1 : 0;
}

std::string CMsgCenterModule::AlertIniPath() const {
    // Before Nuntio_Init the folder is empty and the bare name is used.
    return m_session.folder + "AlertCentre.ini";
}

HWND CMsgCenterModule::HostWindow() {
    return nuntio::HostMainWindow();
}

AlertProperty CMsgCenterModule::AlertDefaults() {
    AlertProperty prop{};
    GetAlertDefaultSet(prop);
    return prop;
}

void CMsgCenterModule::SetAlertDefaults(const AlertProperty& prop) {
    SetAlertDefaultSet(prop);
}

int32_t CMsgCenterModule::GetAlertDefaultSet(AlertProperty& prop) const {
    const std::string path = AlertIniPath();
    nuntio::AlertDefaultValues values;
    for (size_t i = 0; i < values.size(); ++i) {
        char text[20] = {};
        ::GetPrivateProfileStringA(nuntio::kAlertDefaultsSection, nuntio::kAlertDefaultKeys[i], "", text,
                                   sizeof text, path.c_str());
        values[i] = text;
    }
    prop = nuntio::AlertDefaultsFromValues(values);
    return 1;
}

int32_t CMsgCenterModule::SetAlertDefaultSet(const AlertProperty& prop) const {
    const std::string path = AlertIniPath();
    const nuntio::AlertDefaultValues values = nuntio::ValuesOfAlertDefaults(prop);
    for (size_t i = 0; i < values.size(); ++i)
        ::WritePrivateProfileStringA(nuntio::kAlertDefaultsSection, nuntio::kAlertDefaultKeys[i],
                                     values[i].c_str(), path.c_str());
    return 1;
}

int32_t CMsgCenterModule::OpenAlertPropertyDlg(AlertProperty& prop) {
    return nuntio::RunAlertPropertyDlg(prop);
}

} // namespace nuntio
