#include "categories/alert_category.h"

#include "core/gbk_text.h"

namespace nuntio {

namespace {
template <size_t N>
std::string Text(const char (&field)[N]) {
    return std::string(nuntio::FieldText(field));
}

// The host reads the voice request's text only after NotifyMessage has
// returned, so it lives as long as the DLL.
char g_emptyVoiceText[128] = {};

constexpr UINT kActivateSource = NUNTIO_WM_ACTIVATE_SOURCE;
constexpr UINT kPlayVoice = NUNTIO_WM_PLAY_VOICE;
} // namespace

CAlertCategory::CAlertCategory() : CMsgListCategory(AlertLook()) {
    m_config = nuntio::CConfigDoc::ForAlert();
}

std::string CAlertCategory::PopupText(const AlertRecord& r) {
    return Text(r.szModule) + "\r\n\r\n" + Text(r.szCode) + ":" + Text(r.szName) + "\r\n" + Text(r.szObject) +
           Text(r.szContent);
}

uint32_t CAlertCategory::AddMessage(const InboundMessage& message) {
    AddToTop(message, true);
    // The delete commands follow the list at once, not only at the next click.
    UpdateDeleteCommands();
    return kDone;
}

uint32_t CAlertCategory::NotifyMessage(const InboundMessage* message) {
    if (message == nullptr) return kNoRecord;
    // The notification takes a serial number of its own, as it always has.
    TakeNotificationSerial(*message);
    const AlertRecord& r = message->body.alert;
    if (r.prop.Visual != 0) {
        if (r.prop.Popup != 0) {
            m_notifier.ShowPopup(PopupText(r), 500, static_cast<DWORD>(m_config.m_nStaySeconds) * 1000, 300);
        }
        if (r.prop.IconFlash != 0 && m_sink != nullptr) m_sink->FlashTray();
    }
    if (r.prop.Sound == 2) {
        ::MessageBeep(0);
    } else if (r.prop.Sound == 1 && m_sink != nullptr) {
        HWND host = m_sink->HostWindow();
        if (host != nullptr && ::IsWindow(host))
            ::PostMessageA(host, kPlayVoice, r.nVoiceId, reinterpret_cast<LPARAM>(g_emptyVoiceText));
    }
    return kDone;
}

uint32_t CAlertCategory::OnOpenMessage() {
    if (GetMsgCount() == 0) return kListEmpty;
    const int pos = ListView_GetNextItem(m_hList, -1, LVNI_SELECTED);
    if (pos < 0) return kBadPosition;
    // The host's handler of the request, or the box, may deliver more
    // alerts meanwhile: the mark follows the alert, not the row.
    const int32_t serial = GetMsgSerial(pos);
    ActivateSource(pos);
    SetImageOfSerial(serial, nuntio::kImageOpened);
    return kDone;
}

uint32_t CAlertCategory::ActivateSource(int pos) {
    const CAlertMsgObj* msg = GetMsgAt(pos);
    if (msg == nullptr) return kBadPosition;
    HWND host = m_sink != nullptr ? m_sink->HostWindow() : nullptr;
    if (host == nullptr) return kNoHostWindow;
    HWND source = reinterpret_cast<HWND>(static_cast<uintptr_t>(msg->m_record.hSourceWnd));
    if (msg->m_record.hSourceWnd != 0 && ::IsWindow(source)) {
        ::SendMessageA(host, kActivateSource, 2, static_cast<LPARAM>(msg->m_record.hSourceWnd));
        return kFound;
    }
    ::MessageBoxA(host, "该窗口或工作区已经关闭！", "提示", MB_OK | MB_ICONINFORMATION);
    return kSourceClosed;
}

} // namespace nuntio
