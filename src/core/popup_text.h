// The popup's caption as the categories build it: a title line, a blank line,
// then the body. Splitting it is kept apart from the window so that it can be
// checked on its own. Texts are GBK: "[]" is only removed where it starts on a
// character boundary, never across the trail byte of a double-byte character.
#pragma once

#include <string>
#include <string_view>

namespace nuntio {

struct PopupText {
    std::string title;
    std::string body;
};

// Every "[]" of `text` removed, scanning once from the left ("[[]]" gives "[]").
inline std::string RemoveEmptyBrackets(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '[' && i + 1 < text.size() && text[i + 1] == ']') {
            i += 2;
            continue;
        }
        const bool pair = c >= 0x81 && c <= 0xFE && i + 1 < text.size() &&
                          static_cast<unsigned char>(text[i + 1]) >= 0x40 &&
                          static_cast<unsigned char>(text[i + 1]) != 0x7F &&
                          static_cast<unsigned char>(text[i + 1]) != 0xFF;
        const size_t n = pair ? 2 : 1;
        out.append(text.substr(i, n));
        i += n;
    }
    return out;
}

// Title: everything before the first "\r\n". Body: what follows that line
// break and the blank line after it, without its "[]". A caption without a
// line break has no title; all of it is the body.
inline PopupText SplitPopupText(std::string_view caption) {
    PopupText t;
    const size_t p = caption.find("\r\n");
    if (p == std::string_view::npos) {
        t.body = RemoveEmptyBrackets(caption);
        return t;
    }
    t.title = std::string(caption.substr(0, p));
    std::string_view rest = caption.substr(p + 2);
    if (rest.substr(0, 2) == "\r\n") rest.remove_prefix(2);
    t.body = RemoveEmptyBrackets(rest);
    return t;
}

} // namespace nuntio
