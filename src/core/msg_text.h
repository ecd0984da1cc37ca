// What the lists show and search of a message: the text of each column slot,
// the row icon, and the match of a keyword against the searched fields.
#pragma once

#include <string>
#include <string_view>

#include "msg_obj.h"

namespace nuntio {

// Column slots of the alert list: 0 icon, 1 "时间" (arrival time), 2 "窗口",
// 3 "模块", 4 "商品简称", 5 "商品代码", 6 "工作区", 7 "报警对象", 8 "报警内容".
enum AlertSlot {
    kAlertIcon,
    kAlertTime,
    kAlertWindow,
    kAlertModule,
    kAlertName,
    kAlertCode,
    kAlertWorkspace,
    kAlertObject,
    kAlertContent,
    kAlertSlots
};
// Column slots of the trade list: 0 icon, 1 "事件", 2 "详细说明", 3 "发生时间".
enum TradeSlot { kTradeIcon, kTradeEvent, kTradeDetail, kTradeTime, kTradeSlots };

// Row icons of the shared image list.
enum RowImage { kImageLatest = 0, kImageOpened = 1, kImageEarlier = 2, kImageHeader = 3, kImageTrade = 4 };

// The GBK text of a slot (times in local time as "%y-%m-%d %H:%M:%S"); empty
// for the icon slot and slots without a column.
std::string RowText(const CAlertMsgObj& msg, int slot);
std::string RowText(const CTradeMsgObj& msg, int slot);

inline int RowImageOf(const CAlertMsgObj& msg) {
    return msg.m_nImage;
}
inline int RowImageOf(const CTradeMsgObj&) {
    return kImageTrade;
}

// True when text is not empty and occurs in one of the searched fields: for an
// alert szContent, szObject, szModule, szCode, szName, szWindow, szWorkspace
// (the time is not searched); for a trade message szDetail only.
bool MatchMessage(const CAlertMsgObj& msg, std::string_view text);
bool MatchMessage(const CTradeMsgObj& msg, std::string_view text);

} // namespace nuntio
