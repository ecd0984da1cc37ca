// Fuzzes the message-file reader with both message classes: decoding never
// crashes, keeps only whole objects, and what it keeps encodes and decodes to
// the same bytes again. The row texts and the search run over what was read.
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "msg_file.h"
#include "msg_text.h"

namespace {

template <class T>
void Check(const uint8_t* data, size_t size) {
    nuntio::CMsgList<T> list;
    const nuntio::DecodeResult r = nuntio::DecodeMessages(data, size, list);
    if (r.decoded != list.GetCount()) __builtin_trap();
    if (r.ok() && size > 0 && r.count < r.decoded) __builtin_trap();
    if (!r.ok() && (r.error.offset > size || r.error.expected.empty())) __builtin_trap();

    std::vector<uint8_t> once, twice;
    nuntio::EncodeMessages(list, once);
    nuntio::CMsgList<T> again;
    if (!nuntio::DecodeMessages(once.data(), once.size(), again).ok()) __builtin_trap();
    nuntio::EncodeMessages(again, twice);
    if (once != twice) __builtin_trap();

    // A keyword cut from the input itself, so that matches happen.
    const std::string_view keyword(reinterpret_cast<const char*>(data), size < 6 ? size : 6);
    for (const auto& msg : list) {
        for (int slot = 0; slot < 10; ++slot)
            (void)nuntio::RowText(*msg, slot);
        (void)nuntio::MatchMessage(*msg, keyword);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Check<nuntio::CAlertMsgObj>(data, size);
    Check<nuntio::CTradeMsgObj>(data, size);
    // Any registered class, as a reader without expectations sees it.
    nuntio::CArchive ar(data, size, nuntio::MessageClasses());
    while (!ar.Failed() && !ar.AtEnd())
        ar.ReadObject(nullptr);
    return 0;
}
