// Retention: dropping the oldest messages from the bottom of a category's list
// by count or by calendar days in local time.
#pragma once

#include <cstddef>
#include <cstdint>

#include "local_time.h"
#include "msg_list.h"
#include "result_codes.h"

namespace nuntio {

struct RetentionResult {
    uint32_t code = kDone; // kDone, kListEmpty, or kBadKeepLimit
    size_t removed = 0;    // messages removed from the bottom; the list view drops as many rows
};

// keepMode 2: keep the newest keepLimit messages (a limit below 1 changes
// nothing and gives kBadKeepLimit). keepMode 1: drop from the bottom while the
// oldest message's age in local calendar days (today 0, yesterday 1) is at
// least keepLimit. Other modes keep everything. The age is taken from
// m_tArrived; now is the current time.
template <class T>
RetentionResult ApplyRetention(CMsgList<T>& list, uint8_t keepMode, int32_t keepLimit, int64_t now) {
    RetentionResult res;
    if (keepMode == kKeepByCount) {
        if (keepLimit < 1) {
            res.code = kBadKeepLimit;
            return res;
        }
        if (list.IsEmpty()) {
            res.code = kListEmpty;
            return res;
        }
        while (list.GetCount() > static_cast<size_t>(keepLimit)) {
            list.RemoveTail();
            ++res.removed;
        }
    } else if (keepMode == kKeepByDays) {
        if (list.IsEmpty()) {
            res.code = kListEmpty;
            return res;
        }
        const int64_t today = LocalDayNumber(now);
        while (!list.IsEmpty() && today - LocalDayNumber(list.GetTail()->m_tArrived) >= keepLimit) {
            list.RemoveTail();
            ++res.removed;
        }
    }
    return res;
}

} // namespace nuntio
