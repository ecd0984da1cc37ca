#include "categories/trade_category.h"

#include "core/gbk_text.h"

namespace nuntio {

namespace {
template <size_t N>
std::string Text(const char (&field)[N]) {
    return std::string(nuntio::FieldText(field));
}
} // namespace

CTradeCategory::CTradeCategory() : CMsgListCategory(TradeLook()) {
    m_config = nuntio::CConfigDoc::ForTrade();
}

std::string CTradeCategory::PopupText(const TradeRecord& r) {
    return "交易-" + Text(r.szEvent) + "\r\n\r\n" + Text(r.szDetail);
}

uint32_t CTradeCategory::AddMessage(const InboundMessage& message) {
    AddToTop(message, false);
    SelectRow(0, true);
    // The delete commands follow the list at once, not only at the next click.
    UpdateDeleteCommands();
    return kDone;
}

uint32_t CTradeCategory::NotifyMessage(const InboundMessage* message) {
    if (m_config.m_nPromptMode != 1) return kDone;
    if (message == nullptr) return kNoRecord;
    TakeNotificationSerial(*message);
    m_notifier.ShowPopup(PopupText(message->body.trade), 500,
                         static_cast<DWORD>(m_config.m_nStaySeconds) * 1000, 300);
    if (m_sink != nullptr) m_sink->FlashTray();
    return kDone;
}

uint32_t CTradeCategory::OnCategoryCommand(HWND owner, WPARAM wp, LPARAM lp) {
    CMsgCategory::OnCategoryCommand(owner, wp, lp);
    return kDone;
}

uint32_t CTradeCategory::OnListNotify(HWND owner, UINT_PTR id, NMHDR* hdr, LRESULT* result) {
    const uint32_t r = CMsgCategory::OnListNotify(owner, id, hdr, result);
    return r == kNotHandled ? kDone : r;
}

} // namespace nuntio
