// The "报警" tab: alerts the host's alert engine has triggered, each carrying
// its own popup, flash and sound flags.
#pragma once

#include "categories/msg_list_category.h"

namespace nuntio {

class CAlertCategory : public CMsgListCategory<CAlertMsgObj> {
public:
    CAlertCategory();

    uint32_t AddMessage(const InboundMessage& message) override;
    uint32_t NotifyMessage(const InboundMessage* message) override;
    uint32_t OnOpenMessage() override;
    uint32_t ActivateSource(int pos) override;
    int Kind() const override { return 0; }
    // The popup text: module; blank line; code:name; object and content.
    static std::string PopupText(const AlertRecord& r);
};

} // namespace nuntio
