// Fuzzes the change journal's reader and its replay with both message
// classes: nothing crashes, parsing stops at the first record that is cut or
// fails its checksum, the records it keeps frame exactly the bytes up to its
// good end, and replay onto a small list keeps the list and the serial
// counter sound. The first byte and the first byte of the header's base pick
// the list it starts with: up to 15 messages, their serials distinct or
// shared three by three (as old files may hold).
#include <algorithm>
#include <cstdint>
#include <vector>

#include "msg_journal.h"

namespace {

template <class T>
void Replay(const nuntio::ParsedJournal& parsed, uint8_t pick) {
    nuntio::CMsgList<T> list;
    int32_t serial = 0;
    const size_t start = pick % 16;
    const size_t share = (pick & 16) != 0 ? 3 : 1;
    for (size_t i = 0; i < start; ++i) {
        auto m = std::make_unique<T>();
        m->m_nSerial = static_cast<int32_t>(i / share);
        m->m_nImage = static_cast<int32_t>(i % 3);
        list.AddTail(std::move(m));
        serial = static_cast<int32_t>(i / share + 1);
    }
    const int32_t before = serial;
    const nuntio::ReplayResult r = nuntio::ReplayJournal(parsed, list, serial);
    if (serial < before) __builtin_trap();
    if (r.applied + r.skipped > parsed.records.size()) __builtin_trap();
    if (!r.damaged && r.applied + r.skipped != parsed.records.size()) __builtin_trap();
    if (r.goodEnd > parsed.goodEnd) __builtin_trap();
    // The counter is past every listed serial: the start list's, and each
    // replayed add's (unless it is at the largest serial there is).
    size_t count = 0;
    for (const auto& m : list) {
        if (m == nullptr) __builtin_trap();
        if (m->m_nSerial >= serial && serial != INT32_MAX) __builtin_trap();
        ++count;
    }
    if (count != list.GetCount()) __builtin_trap();
    // What remains still makes a whole message file.
    std::vector<uint8_t> bytes;
    nuntio::EncodeMessages(list, bytes);
    nuntio::CMsgList<T> again;
    if (!nuntio::DecodeMessages(bytes.data(), bytes.size(), again).ok()) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const uint8_t pick = static_cast<uint8_t>((size > 0 ? data[0] : 0) ^ (size > 8 ? data[8] : 0));
    const nuntio::ParsedJournal parsed = nuntio::ParseJournal(data, size);
    if (parsed.goodEnd > size) __builtin_trap();
    size_t at = parsed.records.empty() ? 0 : nuntio::kJournalHeaderSize;
    for (const nuntio::JournalRecord& r : parsed.records) {
        if (r.offset != at || r.end != r.offset + 9 + r.payload.size()) __builtin_trap();
        at = r.end;
    }
    if (!parsed.records.empty() && at != parsed.goodEnd) __builtin_trap();
    if (parsed.status == nuntio::JournalStatus::kWhole && parsed.goodEnd != size) __builtin_trap();
    // Re-framing the records gives back the same bytes.
    std::vector<uint8_t> again;
    for (const nuntio::JournalRecord& r : parsed.records)
        nuntio::EncodeRecord(r.op, r.payload, again);
    if (!parsed.records.empty() && !std::equal(again.begin(), again.end(), data + nuntio::kJournalHeaderSize))
        __builtin_trap();
    Replay<nuntio::CAlertMsgObj>(parsed, pick);
    Replay<nuntio::CTradeMsgObj>(parsed, pick);
    return 0;
}
