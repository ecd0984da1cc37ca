// The "交易" tab: trade and strategy-trade messages. Whether they pop up is a
// setting of the category, not of the message.
#pragma once

#include "categories/msg_list_category.h"

namespace nuntio {

class CTradeCategory : public CMsgListCategory<CTradeMsgObj> {
public:
    CTradeCategory();

    uint32_t AddMessage(const InboundMessage& message) override;
    uint32_t NotifyMessage(const InboundMessage* message) override;
    uint32_t OnOpenMessage() override { return kDone; }
    uint32_t ActivateSource(int /*pos*/) override { return kDone; }
    int Kind() const override { return 1; }
    uint32_t OnCategoryCommand(HWND owner, WPARAM wp, LPARAM lp) override;
    uint32_t OnListNotify(HWND owner, UINT_PTR id, NMHDR* hdr, LRESULT* result) override;
    // "交易-event", a blank line, the detail.
    static std::string PopupText(const TradeRecord& r);
};

} // namespace nuntio
