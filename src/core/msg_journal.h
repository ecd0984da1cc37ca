// The change journal of a message file: every change to a category's messages
// since its .DAT file was last written whole, appended and flushed before the
// change is confirmed, so that a host killed at any moment loses nothing it
// was told had been stored. At a clean close the .DAT file is written whole
// and the journal removed; at the next start a journal left behind is
// replayed onto the loaded messages.
//
// File "<message file>.journal", little-endian:
//   header, 16 bytes: "NTJL", u16 version 1, u16 kind (0 alert, 1 trade),
//     u32 size and u32 CRC-32 of the .DAT file the journal continues
//   records: u32 length (of op and payload), u8 op, payload,
//     u32 CRC-32 of the length, op and payload bytes
//   ops: 1 add     u8 flags (1: the alert below went from latest to earlier),
//                  u32 rows then dropped by retention, i32 next serial,
//                  the object as a one-message file (count and object)
//        2 delete  i32 position, i32 serial
//        3 delete all
//        4 image   i32 position, i32 serial, i32 image
//        5 retention u32 rows dropped from the bottom
// A journal whose header names other .DAT bytes is stale: the .DAT was
// written whole after it, and it is ignored.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "file_io.h"
#include "msg_file.h"
#include "msg_list.h"
#include "msg_obj.h"
#include "msg_text.h"

namespace nuntio {

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0);

inline constexpr uint8_t kJournalMagic[4] = {'N', 'T', 'J', 'L'};
inline constexpr uint16_t kJournalVersion = 1;
inline constexpr size_t kJournalHeaderSize = 16;
inline constexpr uint32_t kJournalMaxRecord = 1u << 16;

enum class JournalOp : uint8_t {
    kAdd = 1,
    kDelete = 2,
    kDeleteAll = 3,
    kSetImage = 4,
    kRetention = 5,
};

// The .DAT bytes a journal continues.
struct JournalBase {
    uint32_t size = 0;
    uint32_t crc = 0;
    bool operator==(const JournalBase&) const = default;
};
JournalBase BaseOf(const std::vector<uint8_t>& datBytes);

inline std::string JournalPathFor(const std::string& datPath) {
    return datPath + ".journal";
}

void EncodeJournalHeader(uint16_t kind, JournalBase base, std::vector<uint8_t>& out);
void EncodeDeleteRecord(int32_t pos, int32_t serial, std::vector<uint8_t>& out);
void EncodeDeleteAllRecord(std::vector<uint8_t>& out);
void EncodeSetImageRecord(int32_t pos, int32_t serial, int32_t image, std::vector<uint8_t>& out);
void EncodeRetentionRecord(uint32_t removed, std::vector<uint8_t>& out);
// Frames op and payload as a record (length, op, payload, checksum).
void EncodeRecord(JournalOp op, const std::vector<uint8_t>& payload, std::vector<uint8_t>& out);

template <class T>
void EncodeAddRecord(const T& obj, bool markedEarlier, uint32_t removed, int32_t nextSerial,
                     std::vector<uint8_t>& out) {
    std::vector<uint8_t> payload;
    payload.reserve(16 + T::kDataSize + 32);
    {
        CArchive ar(payload);
        const uint8_t flags = markedEarlier ? 1 : 0;
        ar.Write(&flags, 1);
        ar.WriteU32(removed);
        ar.WriteI32(nextSerial);
        ar.WriteCount(1);
        ar.WriteObject(&obj);
    }
    EncodeRecord(JournalOp::kAdd, payload, out);
}

struct JournalRecord {
    JournalOp op;
    size_t offset; // of the record's length field
    size_t end;    // just past its checksum
    std::vector<uint8_t> payload;
};

enum class JournalStatus {
    kEmpty,     // no bytes: nothing to do
    kWhole,     // a header and whole records up to the end
    kBadHeader, // too short for a header, wrong magic or version
    kDamaged,   // a record cut short or failing its checksum; the records before it stand
};

struct ParsedJournal {
    JournalStatus status = JournalStatus::kEmpty;
    uint16_t kind = 0;
    JournalBase base;
    std::vector<JournalRecord> records;
    size_t goodEnd = 0; // the end of the last whole record (or of the header)
};

ParsedJournal ParseJournal(const uint8_t* data, size_t size);

struct ReplayResult {
    size_t applied = 0;
    size_t skipped = 0;   // a deletion or icon change of a message that is not there
    bool damaged = false; // stopped at a record that could not be applied
    size_t goodEnd = 0;   // the end of the last record applied or skipped
};

// Applies the records of a parsed journal to list in order, and moves the
// serial counter past every serial the records carry (an alert's notification
// takes the number after its message's). A deletion or icon change names its
// message by position and serial: when the position holds another message,
// the first message with that serial is taken; when there is none it is
// skipped. An add whose object does not decode ends the replay as damage.
template <class T>
ReplayResult ReplayJournal(const ParsedJournal& journal, CMsgList<T>& list, int32_t& nextSerial);

// One category's journal file, held open (and so locked against a second
// writer) from Open until Close or Release.
class CMsgJournal {
public:
    CMsgJournal(IFileSystem& fs, std::string path, uint16_t kind)
        : m_fs(&fs), m_strPath(std::move(path)), m_nKind(kind) {}

    const std::string& Path() const { return m_strPath; }
    bool IsOpen() const { return m_file != nullptr; }

    OpenStatus Open();
    bool ReadAll(std::vector<uint8_t>& out) { return m_file && m_file->ReadAll(out); }
    // Empties the journal and writes its header for base, durably.
    bool Reset(JournalBase base);
    bool TruncateTo(size_t size) { return m_file && m_file->Truncate(size); }
    // Appends the records and makes them durable.
    bool Write(const std::vector<uint8_t>& records);
    // Lets go of the file and removes it.
    bool CloseAndRemove();
    // Lets go of the file and leaves it.
    void Release() { m_file.reset(); }
    // Copies bytes to "<journal>.damaged-YYYYMMDD-HHMMSS"; the path, or empty.
    std::string KeepAside(const std::vector<uint8_t>& bytes, int64_t now);

private:
    IFileSystem* m_fs;
    std::string m_strPath;
    uint16_t m_nKind;
    std::unique_ptr<IAppendFile> m_file;
};

// ---- implementation of the template ------------------------------------

namespace journal_detail {
inline int32_t GetI32(const uint8_t* p) {
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}
// The position of the message: pos when it holds serial, else the first
// message with the serial, else -1.
template <class T>
ptrdiff_t Locate(const CMsgList<T>& list, int32_t pos, int32_t serial) {
    if (const T* m = list.GetAt(pos); m != nullptr && m->m_nSerial == serial) return pos;
    ptrdiff_t i = 0;
    for (const auto& m : list) {
        if (m->m_nSerial == serial) return i;
        ++i;
    }
    return -1;
}
inline void RaiseSerial(int32_t& nextSerial, int64_t atLeast) {
    if (atLeast > 0x7FFFFFFF) atLeast = 0x7FFFFFFF;
    if (nextSerial < atLeast) nextSerial = static_cast<int32_t>(atLeast);
}
} // namespace journal_detail

template <class T>
ReplayResult ReplayJournal(const ParsedJournal& journal, CMsgList<T>& list, int32_t& nextSerial) {
    using namespace journal_detail;
    ReplayResult res;
    res.goodEnd = journal.status == JournalStatus::kEmpty || journal.status == JournalStatus::kBadHeader
                      ? 0
                      : kJournalHeaderSize;
    for (const JournalRecord& r : journal.records) {
        const uint8_t* p = r.payload.data();
        const size_t n = r.payload.size();
        bool ok = true;
        switch (r.op) {
        case JournalOp::kAdd: {
            if (n < 9) {
                ok = false;
                break;
            }
            CArchive ar(p + 9, n - 9, MessageClasses());
            uint32_t count = 0;
            bool isNull = false;
            std::unique_ptr<CObject> obj;
            if (ar.ReadCount(count) && count == 1) obj = ar.ReadObject(MsgClassOf<T>::Get(), &isNull);
            if (obj == nullptr || !ar.AtEnd()) {
                ok = false;
                break;
            }
            const int32_t serial = static_cast<T*>(obj.get())->m_nSerial;
            list.AddHead(std::unique_ptr<T>(static_cast<T*>(obj.release())));
            if ((p[0] & 1) != 0) {
                if (T* below = list.GetAt(1); below != nullptr && below->m_nImage == kImageLatest)
                    below->m_nImage = kImageEarlier;
            }
            const uint32_t removed = static_cast<uint32_t>(GetI32(p + 1));
            for (uint32_t i = 0; i < removed && list.RemoveTail(); ++i) {
            }
            RaiseSerial(nextSerial, GetI32(p + 5));
            RaiseSerial(nextSerial, static_cast<int64_t>(serial) + 2);
            break;
        }
        case JournalOp::kDelete:
        case JournalOp::kSetImage: {
            const size_t want = r.op == JournalOp::kDelete ? 8 : 12;
            if (n != want) {
                ok = false;
                break;
            }
            const ptrdiff_t at = Locate(list, GetI32(p), GetI32(p + 4));
            if (at < 0) {
                ++res.skipped;
                res.goodEnd = r.end;
                continue;
            }
            if (r.op == JournalOp::kDelete)
                list.RemoveAt(static_cast<size_t>(at));
            else
                list.GetAt(at)->m_nImage = GetI32(p + 8);
            break;
        }
        case JournalOp::kDeleteAll:
            if (n != 0) {
                ok = false;
                break;
            }
            list.RemoveAll();
            break;
        case JournalOp::kRetention: {
            if (n != 4) {
                ok = false;
                break;
            }
            const uint32_t removed = static_cast<uint32_t>(GetI32(p));
            for (uint32_t i = 0; i < removed && list.RemoveTail(); ++i) {
            }
            break;
        }
        default: ok = false; break;
        }
        if (!ok) {
            res.damaged = true;
            return res;
        }
        ++res.applied;
        res.goodEnd = r.end;
    }
    res.damaged = journal.status == JournalStatus::kDamaged || journal.status == JournalStatus::kBadHeader;
    return res;
}

} // namespace nuntio
