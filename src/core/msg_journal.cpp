// The change journal: its bytes, its reader and its file.
#include "msg_journal.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "le_bytes.h"

namespace nuntio {
namespace {

// Eight tables of the reflected CRC-32 (polynomial 0xEDB88320): table k gives
// the effect of a byte followed by k zero bytes, so eight bytes are folded in
// at a time. A message file of 100,000 alerts is about 50 MB, and its checksum
// is taken at every start.
using CrcTables = std::array<std::array<uint32_t, 256>, 8>;
constexpr CrcTables MakeCrcTables() {
    CrcTables t{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[0][i] = c;
    }
    for (size_t k = 1; k < 8; ++k)
        for (uint32_t i = 0; i < 256; ++i)
            t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
    return t;
}
constexpr CrcTables kCrc = MakeCrcTables();

} // namespace

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc) {
    crc = ~crc;
    for (; size >= 8; size -= 8, data += 8) {
        const uint32_t one = GetU32(data) ^ crc;
        const uint32_t two = GetU32(data + 4);
        crc = kCrc[7][one & 0xFF] ^ kCrc[6][(one >> 8) & 0xFF] ^ kCrc[5][(one >> 16) & 0xFF] ^
              kCrc[4][one >> 24] ^ kCrc[3][two & 0xFF] ^ kCrc[2][(two >> 8) & 0xFF] ^
              kCrc[1][(two >> 16) & 0xFF] ^ kCrc[0][two >> 24];
    }
    for (; size > 0; --size, ++data)
        crc = kCrc[0][(crc ^ *data) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

JournalBase BaseOf(const std::vector<uint8_t>& datBytes) {
    return {static_cast<uint32_t>(datBytes.size()), Crc32(datBytes.data(), datBytes.size())};
}

void EncodeJournalHeader(uint16_t kind, JournalBase base, std::vector<uint8_t>& out) {
    out.insert(out.end(), kJournalMagic, kJournalMagic + 4);
    PutU16(out, kJournalVersion);
    PutU16(out, kind);
    PutU32(out, base.size);
    PutU32(out, base.crc);
}

void EncodeRecord(JournalOp op, const std::vector<uint8_t>& payload, std::vector<uint8_t>& out) {
    const size_t start = out.size();
    PutU32(out, static_cast<uint32_t>(payload.size() + 1));
    out.push_back(static_cast<uint8_t>(op));
    out.insert(out.end(), payload.begin(), payload.end());
    PutU32(out, Crc32(out.data() + start, out.size() - start));
}

void EncodeDeleteRecord(int32_t pos, int32_t serial, std::vector<uint8_t>& out) {
    std::vector<uint8_t> p;
    PutU32(p, static_cast<uint32_t>(pos));
    PutU32(p, static_cast<uint32_t>(serial));
    EncodeRecord(JournalOp::kDelete, p, out);
}

void EncodeDeleteAllRecord(std::vector<uint8_t>& out) {
    EncodeRecord(JournalOp::kDeleteAll, {}, out);
}

void EncodeSetImageRecord(int32_t pos, int32_t serial, int32_t image, std::vector<uint8_t>& out) {
    std::vector<uint8_t> p;
    PutU32(p, static_cast<uint32_t>(pos));
    PutU32(p, static_cast<uint32_t>(serial));
    PutU32(p, static_cast<uint32_t>(image));
    EncodeRecord(JournalOp::kSetImage, p, out);
}

void EncodeRetentionRecord(uint32_t removed, std::vector<uint8_t>& out) {
    std::vector<uint8_t> p;
    PutU32(p, removed);
    EncodeRecord(JournalOp::kRetention, p, out);
}

void EncodeDeleteBatchRecord(const std::vector<std::pair<int32_t, int32_t>>& rows,
                             std::vector<uint8_t>& out) {
    journal_detail::EncodeDeleteBatchRecords(rows, kJournalMaxBatchRows, out);
}

namespace journal_detail {

void EncodeDeleteBatchRecords(const std::vector<std::pair<int32_t, int32_t>>& rows, size_t perRecord,
                              std::vector<uint8_t>& out) {
    if (perRecord == 0) perRecord = 1;
    // Each record's positions are in the list as the records before it left
    // it: the rows they removed all stood above.
    for (size_t first = 0; first < rows.size();) {
        const size_t take = std::min(perRecord, rows.size() - first);
        const size_t start = out.size();
        out.reserve(start + 13 + 8 * take);
        PutU32(out, static_cast<uint32_t>(1 + 4 + 8 * take));
        out.push_back(static_cast<uint8_t>(JournalOp::kDeleteBatch));
        PutU32(out, static_cast<uint32_t>(take));
        for (size_t i = first; i < first + take; ++i) {
            PutU32(out,
                   static_cast<uint32_t>(static_cast<int64_t>(rows[i].first) - static_cast<int64_t>(first)));
            PutU32(out, static_cast<uint32_t>(rows[i].second));
        }
        PutU32(out, Crc32(out.data() + start, out.size() - start));
        first += take;
    }
}

SerialIndex::SerialIndex(size_t expected) {
    m_bits = 4;
    while (m_bits < 31 && (size_t{1} << m_bits) < 2 * expected)
        ++m_bits;
    m_entries.assign(size_t{1} << m_bits, Entry{0, kFree});
    m_mask = m_entries.size() - 1;
}

void SerialIndex::Grow() {
    std::vector<Entry> old(m_entries.size() * 2, Entry{0, kFree});
    old.swap(m_entries);
    m_mask = m_entries.size() - 1;
    ++m_bits;
    for (const Entry& e : old) {
        if (e.slot == kFree) continue;
        size_t i = Home(e.serial);
        while (m_entries[i].slot != kFree)
            i = (i + 1) & m_mask;
        m_entries[i] = e;
    }
}

} // namespace journal_detail

ParsedJournal ParseJournal(const uint8_t* data, size_t size) {
    ParsedJournal res;
    if (size == 0) return res;
    if (size < kJournalHeaderSize || std::memcmp(data, kJournalMagic, 4) != 0 ||
        (data[4] | data[5] << 8) != kJournalVersion) {
        res.status = JournalStatus::kBadHeader;
        return res;
    }
    res.kind = static_cast<uint16_t>(data[6] | data[7] << 8);
    res.base = {GetU32(data + 8), GetU32(data + 12)};
    size_t at = kJournalHeaderSize;
    res.goodEnd = at;
    res.status = JournalStatus::kWhole;
    while (at < size) {
        if (size - at < 9) {
            res.status = JournalStatus::kDamaged;
            return res;
        }
        const uint32_t length = GetU32(data + at);
        if (length < 1 || length > kJournalMaxRecord || size - at - 8 < length) {
            res.status = JournalStatus::kDamaged;
            return res;
        }
        const size_t end = at + 4 + length + 4;
        if (Crc32(data + at, 4 + length) != GetU32(data + at + 4 + length)) {
            res.status = JournalStatus::kDamaged;
            return res;
        }
        JournalRecord r;
        r.op = static_cast<JournalOp>(data[at + 4]);
        r.offset = at;
        r.end = end;
        r.payload.assign(data + at + 5, data + at + 4 + length);
        res.records.push_back(std::move(r));
        at = end;
        res.goodEnd = at;
    }
    return res;
}

OpenStatus CMsgJournal::Open() {
    OpenStatus status = OpenStatus::kFailed;
    m_file = m_fs->OpenExclusive(m_strPath, status);
    return m_file ? OpenStatus::kOk : status;
}

bool CMsgJournal::Reset(JournalBase base) {
    if (!m_file) return false;
    std::vector<uint8_t> header;
    EncodeJournalHeader(m_nKind, base, header);
    return m_file->Truncate(0) && m_file->Append(header.data(), header.size()) && m_file->Flush();
}

bool CMsgJournal::Write(const std::vector<uint8_t>& records) {
    return m_file && m_file->Append(records.data(), records.size()) && m_file->Flush();
}

bool CMsgJournal::CloseAndRemove() {
    if (!m_file) return false;
    m_file.reset();
    return m_fs->RemoveFile(m_strPath);
}

std::string CMsgJournal::KeepAside(const std::vector<uint8_t>& bytes, int64_t now) {
    return KeepCopyAside(*m_fs, m_strPath, bytes, now);
}

} // namespace nuntio
