// Row texts and keyword matching of alerts and trade messages.
#include "msg_text.h"

#include "gbk_text.h"
#include "local_time.h"

namespace nuntio {

std::string RowText(const CAlertMsgObj& msg, int slot) {
    const AlertRecord& r = msg.m_record;
    switch (slot) {
    case kAlertTime: return FormatTime(msg.m_tArrived);
    case kAlertWindow: return std::string(FieldText(r.szWindow));
    case kAlertModule: return std::string(FieldText(r.szModule));
    case kAlertName: return std::string(FieldText(r.szName));
    case kAlertCode: return std::string(FieldText(r.szCode));
    case kAlertWorkspace: return std::string(FieldText(r.szWorkspace));
    case kAlertObject: return std::string(FieldText(r.szObject));
    case kAlertContent: return std::string(FieldText(r.szContent));
    default: return {};
    }
}

std::string RowText(const CTradeMsgObj& msg, int slot) {
    const TradeRecord& r = msg.m_record;
    switch (slot) {
    case kTradeEvent: return std::string(FieldText(r.szEvent));
    case kTradeDetail: return std::string(FieldText(r.szDetail));
    case kTradeTime: return FormatTime(r.tOccurred);
    default: return {};
    }
}

bool MatchMessage(const CAlertMsgObj& msg, std::string_view text) {
    if (text.empty()) return false;
    const AlertRecord& r = msg.m_record;
    return GbkContains(FieldText(r.szContent), text) || GbkContains(FieldText(r.szObject), text) ||
           GbkContains(FieldText(r.szModule), text) || GbkContains(FieldText(r.szCode), text) ||
           GbkContains(FieldText(r.szName), text) || GbkContains(FieldText(r.szWindow), text) ||
           GbkContains(FieldText(r.szWorkspace), text);
}

bool MatchMessage(const CTradeMsgObj& msg, std::string_view text) {
    return !text.empty() && GbkContains(FieldText(msg.m_record.szDetail), text);
}

} // namespace nuntio
