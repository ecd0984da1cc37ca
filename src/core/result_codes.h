// Result codes of the category operations that the core carries out.
#pragma once

#include <cstdint>

namespace nuntio {

enum MsgResult : uint32_t {
    kDone = 0,
    kMsgFileNotCreated = 5005, // missing and could not be created
    kMsgFileCreated = 5006,    // was missing, created empty
    kListEmpty = 5007,
    kBadKeepLimit = 5013, // count mode with a limit below 1
};

} // namespace nuntio
