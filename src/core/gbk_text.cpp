// GBK-aware substring search.
#include "gbk_text.h"

#include <cstring>

namespace nuntio {

size_t GbkFind(std::string_view text, std::string_view needle) {
    const size_t n = text.size(), m = needle.size();
    if (m == 0) return 0;
    if (m > n) return std::string_view::npos;
    const auto* t = reinterpret_cast<const unsigned char*>(text.data());
    const auto first = static_cast<unsigned char>(needle[0]);
    size_t i = 0;
    while (i + m <= n) {
        if (t[i] == first && std::memcmp(t + i, needle.data(), m) == 0) return i;
        i += (IsGbkLead(t[i]) && i + 1 < n && IsGbkTrail(t[i + 1])) ? 2 : 1;
    }
    return std::string_view::npos;
}

} // namespace nuntio
