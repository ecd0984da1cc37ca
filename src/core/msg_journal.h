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
//        6 delete batch  u32 n, then n x (i32 position, i32 serial), positions
//                  ascending, each the row's position in the list as it stood
//                  before the record; a larger batch than one record holds is
//                  written as several records in a row, each with positions
//                  in the list as it stands before that record
// A journal whose header names other .DAT bytes is stale: the .DAT was
// written whole after it, and it is ignored. One whose header names kAnyBase
// (size and CRC all ones) continues whatever the .DAT file holds and is
// replayed onto any file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "file_io.h"
#include "le_bytes.h"
#include "msg_file.h"
#include "msg_list.h"
#include "msg_obj.h"
#include "msg_text.h"

namespace nuntio {

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0);

inline constexpr uint8_t kJournalMagic[4] = {'N', 'T', 'J', 'L'};
inline constexpr uint16_t kJournalVersion = 1;
inline constexpr size_t kJournalHeaderSize = 16;
// The largest record's length (op and payload): a batch deletion of a few
// million rows fits in one record.
inline constexpr uint32_t kJournalMaxRecord = 1u << 26;
// The rows of a batch deletion that fit in one record.
inline constexpr size_t kJournalMaxBatchRows = (kJournalMaxRecord - 5) / 8;

enum class JournalOp : uint8_t {
    kAdd = 1,
    kDelete = 2,
    kDeleteAll = 3,
    kSetImage = 4,
    kRetention = 5,
    kDeleteBatch = 6,
};

// The .DAT bytes a journal continues.
struct JournalBase {
    uint32_t size = 0;
    uint32_t crc = 0;
    bool operator==(const JournalBase&) const = default;
};
JournalBase BaseOf(const std::vector<uint8_t>& datBytes);
// A journal whose header names this base continues whatever the message file
// holds (it is written while the message file could not be read) and is
// replayed onto any file.
inline constexpr JournalBase kAnyBase{0xFFFFFFFFu, 0xFFFFFFFFu};

inline std::string JournalPathFor(const std::string& datPath) {
    return datPath + ".journal";
}

void EncodeJournalHeader(uint16_t kind, JournalBase base, std::vector<uint8_t>& out);
void EncodeDeleteRecord(int32_t pos, int32_t serial, std::vector<uint8_t>& out);
void EncodeDeleteAllRecord(std::vector<uint8_t>& out);
void EncodeSetImageRecord(int32_t pos, int32_t serial, int32_t image, std::vector<uint8_t>& out);
void EncodeRetentionRecord(uint32_t removed, std::vector<uint8_t>& out);
// The deletion of many rows at once: (position, serial) pairs, positions
// ascending and distinct, in the list as it stands before the deletion.
// Appends one record, or several in a row when the rows do not fit in one;
// nothing for no rows.
void EncodeDeleteBatchRecord(const std::vector<std::pair<int32_t, int32_t>>& rows, std::vector<uint8_t>& out);
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
// skipped. A batch deletion locates each of its rows as a deletion would, in
// the list as it stood before the record, and removes what it found at once;
// it is skipped when it found none. An alert added on top makes the alert below it earlier
// when that one was still latest, whatever the record's flag says (the list
// may hold more messages than the session that wrote the journal saw); for a
// trade the flag decides. An add whose object does not decode ends the replay
// as damage.
//
// The cost is in proportion to the records and the list's size: messages are
// found by serial, removals are marked and the list is compacted once at the
// end. Only a serial held by several messages at once (old files may hold
// such duplicates) costs a pass over the list for the record that names it.
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
inline void RaiseSerial(int32_t& nextSerial, int64_t atLeast) {
    if (atLeast > 0x7FFFFFFF) atLeast = 0x7FFFFFFF;
    if (nextSerial < atLeast) nextSerial = static_cast<int32_t>(atLeast);
}

// Splits rows into records of at most perRecord rows (EncodeDeleteBatchRecord
// passes kJournalMaxBatchRows).
void EncodeDeleteBatchRecords(const std::vector<std::pair<int32_t, int32_t>>& rows, size_t perRecord,
                              std::vector<uint8_t>& out);

inline constexpr uint32_t kNoSlot = 0xFFFFFFFFu;

// Serial number -> the newest live slot holding it (kNoSlot when none), open
// addressing. Entries are never removed: a serial whose messages are all gone
// keeps an entry naming none, so the table grows only with the distinct
// serials seen.
class SerialIndex {
public:
    explicit SerialIndex(size_t expected);
    // Null for a serial never entered.
    uint32_t* Find(int32_t serial) {
        for (size_t i = Home(serial);; i = (i + 1) & m_mask) {
            Entry& e = m_entries[i];
            if (e.slot == kFree) return nullptr;
            if (e.serial == serial) return &e.slot;
        }
    }
    // The entry of serial, entered as kNoSlot when new.
    uint32_t& operator[](int32_t serial) {
        if (2 * (m_used + 1) > m_entries.size()) Grow();
        size_t i = Home(serial);
        for (; m_entries[i].slot != kFree; i = (i + 1) & m_mask)
            if (m_entries[i].serial == serial) return m_entries[i].slot;
        ++m_used;
        m_entries[i] = {serial, kNoSlot};
        return m_entries[i].slot;
    }

private:
    static constexpr uint32_t kFree = 0xFFFFFFFEu;
    struct Entry {
        int32_t serial;
        uint32_t slot;
    };
    // Fibonacci hashing: the consecutive serials of a list land far apart,
    // so that no long runs of taken entries form.
    size_t Home(int32_t serial) const {
        return static_cast<size_t>(
            (static_cast<uint64_t>(static_cast<uint32_t>(serial)) * 0x9E3779B97F4A7C15ull) >> (64 - m_bits));
    }
    void Grow();

    std::vector<Entry> m_entries;
    size_t m_mask = 0;
    unsigned m_bits = 0;
    size_t m_used = 0;
};

// The list as a replay changes it. Slots stand for messages, oldest first:
// the list's own messages first (slot i is the list's position count-1-i),
// then those the journal adds. A removed message's slot is marked dead, and
// the list itself is changed once, by Finish. The live slots holding a serial
// are linked newest first, so the index finds the message of a serial, and
// whether it is the only one, at once.
template <class T>
class ReplayList {
public:
    ReplayList(CMsgList<T>& list, size_t adds) : m_list(list), m_index(list.GetCount() + adds) {
        const size_t count = list.GetCount();
        m_slots.reserve(count + adds);
        m_slots.resize(count);
        size_t pos = count;
        for (const auto& m : list)
            m_slots[--pos].obj = m.get();
        for (uint32_t id = 0; id < count; ++id)
            Link(id);
        m_listed = m_end = static_cast<uint32_t>(count);
    }

    T* Newest() {
        while (m_end > m_oldest && !m_slots[m_end - 1].live)
            --m_end;
        return m_end > m_oldest ? m_slots[m_end - 1].obj : nullptr;
    }
    T* At(uint32_t id) const { return m_slots[id].obj; }
    bool IsLive(uint32_t id) const { return m_slots[id].live; }

    void AddNewest(std::unique_ptr<T> obj) {
        const uint32_t id = static_cast<uint32_t>(m_slots.size());
        Slot& s = m_slots.emplace_back();
        s.obj = obj.get();
        s.own = std::move(obj);
        Link(id);
        m_end = id + 1;
        m_orderValid = false;
    }

    void Kill(uint32_t id) {
        Slot& s = m_slots[id];
        if (s.newer != kNoSlot)
            m_slots[s.newer].older = s.older;
        else
            *m_index.Find(s.serial) = s.older;
        if (s.older != kNoSlot) m_slots[s.older].newer = s.newer;
        s.live = false;
        s.obj = nullptr;
        s.own.reset();
        m_orderValid = false;
    }

    void DropOldest(uint32_t count) {
        for (; count > 0 && m_oldest < m_end; ++m_oldest) {
            if (m_slots[m_oldest].live) {
                Kill(m_oldest);
                --count;
            }
        }
    }

    void Clear() {
        for (uint32_t id = m_oldest; id < m_end; ++id)
            if (m_slots[id].live) *m_index.Find(m_slots[id].serial) = kNoSlot;
        m_slots.clear();
        m_list.RemoveAll();
        m_listed = m_oldest = m_end = 0;
        m_orderValid = false;
    }

    // The slot of the message at pos when it holds serial, else of the first
    // (newest) message with serial; kNoSlot when none holds it.
    uint32_t Locate(int32_t pos, int32_t serial) {
        const uint32_t* found = m_index.Find(serial);
        if (found == nullptr || *found == kNoSlot) return kNoSlot;
        const uint32_t newest = *found;
        if (m_slots[newest].older == kNoSlot) return newest; // the only one: wherever pos points
        // Several messages hold the serial: the position decides, which takes
        // the live slots in list order (kept until the list next changes).
        if (!m_orderValid) {
            m_order.clear();
            for (uint32_t id = m_end; id > m_oldest; --id)
                if (m_slots[id - 1].live) m_order.push_back(id - 1);
            m_orderValid = true;
        }
        if (pos >= 0 && static_cast<size_t>(pos) < m_order.size() &&
            m_slots[m_order[static_cast<size_t>(pos)]].serial == serial)
            return m_order[static_cast<size_t>(pos)];
        return newest;
    }

    // Makes the list what the replay made of it: the dead of its own
    // messages removed in one pass, the live added ones put on top.
    void Finish() {
        std::vector<size_t> gone;
        for (uint32_t id = m_listed; id > 0; --id)
            if (!m_slots[id - 1].live) gone.push_back(m_listed - id);
        m_list.RemoveSorted(gone);
        for (size_t id = m_listed; id < m_slots.size(); ++id)
            if (m_slots[id].live) m_list.AddHead(std::move(m_slots[id].own));
        m_slots.clear();
        m_listed = m_oldest = m_end = 0;
    }

private:
    struct Slot {
        T* obj = nullptr;
        std::unique_ptr<T> own;                    // a message the journal added; the list owns its own
        uint32_t newer = kNoSlot, older = kNoSlot; // live slots of the same serial
        int32_t serial = 0;
        bool live = false;
    };

    // Makes id, the newest slot of its serial so far, the head of its chain.
    void Link(uint32_t id) {
        Slot& s = m_slots[id];
        s.serial = s.obj->m_nSerial;
        uint32_t& head = m_index[s.serial];
        s.older = head;
        s.newer = kNoSlot;
        if (head != kNoSlot) m_slots[head].newer = id;
        head = id;
        s.live = true;
    }

    CMsgList<T>& m_list;
    std::vector<Slot> m_slots;
    SerialIndex m_index;
    uint32_t m_listed = 0; // the slots of the list's own messages
    uint32_t m_oldest = 0; // every slot below is dead
    uint32_t m_end = 0;    // every slot from here up is dead
    std::vector<uint32_t> m_order;
    bool m_orderValid = false;
};
} // namespace journal_detail

template <class T>
ReplayResult ReplayJournal(const ParsedJournal& journal, CMsgList<T>& list, int32_t& nextSerial) {
    using namespace journal_detail;
    ReplayResult res;
    res.goodEnd = journal.status == JournalStatus::kEmpty || journal.status == JournalStatus::kBadHeader
                      ? 0
                      : kJournalHeaderSize;
    size_t adds = 0;
    for (const JournalRecord& r : journal.records)
        adds += r.op == JournalOp::kAdd ? 1 : 0;
    ReplayList<T> live(list, adds);
    std::vector<uint32_t> found;
    bool ok = true;
    for (const JournalRecord& r : journal.records) {
        const uint8_t* p = r.payload.data();
        const size_t n = r.payload.size();
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
            T* below = std::is_same_v<T, CAlertMsgObj> || (p[0] & 1) != 0 ? live.Newest() : nullptr;
            live.AddNewest(std::unique_ptr<T>(static_cast<T*>(obj.release())));
            if (below != nullptr && below->m_nImage == kImageLatest) below->m_nImage = kImageEarlier;
            live.DropOldest(GetU32(p + 1));
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
            const uint32_t at = live.Locate(GetI32(p), GetI32(p + 4));
            if (at == kNoSlot) {
                ++res.skipped;
                res.goodEnd = r.end;
                continue;
            }
            if (r.op == JournalOp::kDelete)
                live.Kill(at);
            else
                live.At(at)->m_nImage = GetI32(p + 8);
            break;
        }
        case JournalOp::kDeleteBatch: {
            if (n < 4 || (n - 4) % 8 != 0 || (n - 4) / 8 != GetU32(p)) {
                ok = false;
                break;
            }
            // Every row is located before any is removed: the positions are
            // those of the list before the record.
            found.clear();
            for (size_t at = 4; at < n; at += 8)
                if (const uint32_t id = live.Locate(GetI32(p + at), GetI32(p + at + 4)); id != kNoSlot)
                    found.push_back(id);
            size_t removed = 0;
            for (const uint32_t id : found) {
                if (!live.IsLive(id)) continue; // named twice
                live.Kill(id);
                ++removed;
            }
            if (removed == 0) {
                ++res.skipped;
                res.goodEnd = r.end;
                continue;
            }
            break;
        }
        case JournalOp::kDeleteAll:
            if (n != 0) {
                ok = false;
                break;
            }
            live.Clear();
            break;
        case JournalOp::kRetention:
            if (n != 4) {
                ok = false;
                break;
            }
            live.DropOldest(GetU32(p));
            break;
        default: ok = false; break;
        }
        if (!ok) break;
        ++res.applied;
        res.goodEnd = r.end;
    }
    live.Finish();
    res.damaged =
        !ok || journal.status == JournalStatus::kDamaged || journal.status == JournalStatus::kBadHeader;
    return res;
}

} // namespace nuntio
