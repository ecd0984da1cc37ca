// Retention: dropping the oldest messages from the bottom of a category's list
// by count or by calendar days in local time, counting what a rule would drop
// before it runs, and the limits the settings accept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "local_time.h"
#include "msg_list.h"
#include "result_codes.h"

namespace nuntio {

// What the settings accept for m_nKeepLimit. Every day count is cheap to
// keep; the count stops where the measured starts, saves and memory still
// hold (100,000 alerts are about 52 MB, which a 32-bit host can spare).
inline constexpr int32_t kMinKeepDays = 1, kMaxKeepDays = 9999;
inline constexpr int32_t kMinKeepCount = 1, kMaxKeepCount = 100000;

// The number typed into a limit field: decimal digits, blanks around them
// allowed, between lo and hi. Nothing for an empty, unreadable or out-of-range
// text (also one too long for any integer).
inline std::optional<int32_t> KeepLimitFromText(std::string_view text, int32_t lo, int32_t hi) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (text.empty()) return std::nullopt;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > hi) return std::nullopt;
    }
    if (value < lo) return std::nullopt;
    return static_cast<int32_t>(value);
}

struct RetentionResult {
    uint32_t code = kDone; // kDone, kListEmpty, or kBadKeepLimit
    size_t removed = 0;    // messages removed from the bottom; the list view drops as many rows
};

// How many messages at the bottom of the list the rule drops now, without
// dropping them. keepMode 2: all but the newest keepLimit (none for a limit
// below 1). keepMode 1: those from the bottom up to the first message whose
// age in local calendar days (today 0, yesterday 1) is below keepLimit, taken
// from m_tArrived; now is the current time. Other modes keep everything.
template <class T>
size_t CountRetention(const CMsgList<T>& list, uint8_t keepMode, int32_t keepLimit, int64_t now) {
    const size_t count = list.GetCount();
    if (keepMode == kKeepByCount) {
        if (keepLimit < 1 || count <= static_cast<size_t>(keepLimit)) return 0;
        return count - static_cast<size_t>(keepLimit);
    }
    if (keepMode != kKeepByDays) return 0;
    const int64_t today = LocalDayNumber(now);
    size_t dropped = 0;
    while (dropped < count) {
        const T* oldest = list.GetAt(static_cast<ptrdiff_t>(count - 1 - dropped));
        if (today - LocalDayNumber(oldest->m_tArrived) < keepLimit) break;
        ++dropped;
    }
    return dropped;
}

// Drops what CountRetention counts. A count-mode limit below 1 changes nothing
// and gives kBadKeepLimit; an empty list gives kListEmpty.
template <class T>
RetentionResult ApplyRetention(CMsgList<T>& list, uint8_t keepMode, int32_t keepLimit, int64_t now) {
    RetentionResult res;
    if (keepMode == kKeepByCount && keepLimit < 1) {
        res.code = kBadKeepLimit;
        return res;
    }
    if ((keepMode == kKeepByCount || keepMode == kKeepByDays) && list.IsEmpty()) {
        res.code = kListEmpty;
        return res;
    }
    for (size_t n = CountRetention(list, keepMode, keepLimit, now); n > 0; --n) {
        list.RemoveTail();
        ++res.removed;
    }
    return res;
}

} // namespace nuntio
