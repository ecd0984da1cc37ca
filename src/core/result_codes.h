// Result codes of the category operations that the core carries out, and the
// retention modes.
#pragma once

#include <cstdint>

namespace nuntio {

enum MsgResult : uint32_t {
    kDone = 0,
    kMsgFileNotCreated = 5005, // missing and could not be created
    kMsgFileCreated = 5006,    // was missing, created empty
    kListEmpty = 5007,
    kBadPosition = 5009,  // negative, or no message at the position
    kNoObject = 5010,     // no message object at the position
    kBadKeepLimit = 5013, // count mode with a limit below 1
};

// Retention modes of m_nKeepMode; any other value keeps everything.
enum KeepMode : uint8_t { kKeepByDays = 1, kKeepByCount = 2 };

} // namespace nuntio
