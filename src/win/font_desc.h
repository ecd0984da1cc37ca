// The stored font description of the core has the LOGFONTA layout byte for
// byte (LONG is 32 bits on every Windows), so the two convert by copying.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstring>

#include "core/config_doc.h"

namespace win {

static_assert(sizeof(LOGFONTA) == sizeof(nuntio::FontDesc) && offsetof(LOGFONTA, lfFaceName) == 28,
              "the stored font has the LOGFONTA layout");

inline LOGFONTA ToLogFont(const nuntio::FontDesc& lf) {
    LOGFONTA out;
    std::memcpy(&out, &lf, sizeof out);
    out.lfFaceName[sizeof out.lfFaceName - 1] = '\0';
    return out;
}

inline nuntio::FontDesc FromLogFont(const LOGFONTA& lf) {
    nuntio::FontDesc out;
    std::memcpy(&out, &lf, sizeof out);
    return out;
}

} // namespace win
