// GBK text in fixed fields: reading a field to its first NUL, and substring
// search that respects double-byte characters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace nuntio {

constexpr bool IsGbkLead(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}
constexpr bool IsGbkTrail(unsigned char c) {
    return c >= 0x40 && c <= 0xFE && c != 0x7F;
}

// A fixed text field up to its first NUL, or all of it when it has none.
template <size_t N>
std::string_view FieldText(const char (&field)[N]) {
    size_t n = 0;
    while (n < N && field[n] != '\0')
        ++n;
    return std::string_view(field, n);
}

// Position of the first occurrence of needle in text that starts on a
// character boundary, or npos. Case-sensitive, byte for byte; an empty needle
// is found at 0. A lead byte followed by a valid trail byte is one character;
// any other byte (a lone lead byte included) is a character of its own.
size_t GbkFind(std::string_view text, std::string_view needle);
inline bool GbkContains(std::string_view text, std::string_view needle) {
    return GbkFind(text, needle) != std::string_view::npos;
}

} // namespace nuntio
