// The result codes of the category operations, and the retention modes.
#pragma once

#include <cstdint>

namespace nuntio {

// The codes the categories' operations return: 0 done, 5000 not handled,
// 5002 to 5016 what went wrong (a few return a count or 0/1 instead). The
// window ignores them and the user never sees one.
enum Result : uint32_t {
    kDone = 0,
    kFound = 1,
    kNotHandled = 5000,
    kNoParentWindow = 5002,
    kNoListView = 5003,
    kNoMenu = 5004,
    kMsgFileNotCreated = 5005, // missing and could not be created
    kMsgFileCreated = 5006,    // was missing, created empty
    kListEmpty = 5007,
    kBadPosition = 5009, // negative, or no message at the position
    kNoObject = 5010,    // no message object at the position
    kNoSubMenu = 5011,
    kBadKeepLimit = 5013, // count mode with a limit below 1
    kNoRecord = 5013,     // no record given
    kNoHostWindow = 5015,
    kSourceClosed = 5016,
};

// Retention modes of m_nKeepMode; any other value keeps everything.
enum KeepMode : uint8_t { kKeepByDays = 1, kKeepByCount = 2 };

} // namespace nuntio
