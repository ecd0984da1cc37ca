// The model of a message category: its configuration, its message list and
// its message file, with the operations that do not depend on a window. The
// window's list view mirrors it row for row: row i shows GetMsgAt(i).
#pragma once

#include <algorithm>
#include <climits>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "config_doc.h"
#include "msg_file.h"
#include "msg_journal.h"
#include "msg_text.h"
#include "retention.h"

namespace nuntio {

// How the category's changes are kept between the writes of the whole file.
enum class StoreMode {
    kClosed,     // not opened yet, or closed
    kJournal,    // every change is flushed to the journal before it is confirmed
    kShared,     // another process holds the journal: changes live in memory and nothing is written
    kMemoryOnly, // no journal can be written here (read-only folder): changes reach the file at Close, if at
                 // all
};

// The changes made while the message file could not be read: "<message
// file>.pending", a journal whose header names kAnyBase. It is replayed after
// the message file and its journal, onto whatever they hold, and folded into
// the file at the next start that can read it.
inline std::string PendingPathFor(const std::string& datPath) {
    return datPath + ".pending";
}

// A record of the pending journal: everything before it is in the message
// file whose bytes it names (written before that file is, so that a pending
// journal that could not be emptied afterwards is never applied twice).
inline constexpr JournalOp kFoldedOp = static_cast<JournalOp>(7);

struct JournalOpenResult {
    StoreMode mode = StoreMode::kClosed;
    size_t replayed = 0;       // records of a journal left by a crash that were applied
    bool damaged = false;      // the journal ended in damage: the rest was not replayed
    std::string keptAsidePath; // with damaged: the copy of the whole journal, empty if none was made
    // A journal older than the message file that still held records: its
    // changes are in the file already; it was copied aside, not applied.
    bool stale = false;
    std::string staleKeptPath;
    // A journal too large to read here (or with no memory for it): moved
    // aside whole, unapplied. Empty path: it could not be moved and stays.
    bool unreadable = false;
    std::string unreadableKeptPath;
    // The pending journal: changes of sessions that could not read the file.
    size_t pendingReplayed = 0;
    bool pendingDamaged = false;
    std::string pendingKeptPath;
    // kMemoryOnly: a whole file can be written beside the message file, so
    // the changes can still reach it at a normal exit.
    bool exitSaveLikely = false;
};

struct CategoryOpenResult {
    CfgResult config;        // the .cfg file (a failure names the file)
    uint32_t ensure = kDone; // kDone, kMsgFileCreated or kMsgFileNotCreated
    MsgLoadResult messages;  // a damaged file: what was kept and where the copy is
    JournalOpenResult journal;
    // The message file (or a journal it needs) could not be read: the file is
    // left exactly as it is for the whole session, the list holds only what
    // the session adds, and changes go to the pending journal.
    bool partial = false;
    ReadStatus unreadBecause = ReadStatus::kOk; // with partial: kBusy, kTooLarge, kFailed; kOk: no memory
};

struct AddResult {
    size_t markedEarlier = 0;  // 1 when row 1 changed from latest to earlier (alerts)
    RetentionResult retention; // rows then removed from the bottom
};

// The serial number to hand out next so that it repeats none of the listed
// messages: above the highest (counter stays when it is higher already). When
// a listed serial is the highest possible, the start of the widest gap
// between listed serials.
template <class T>
int32_t SerialAboveAll(const CMsgList<T>& list, int32_t counter) {
    if (list.IsEmpty()) return counter;
    int32_t top = INT32_MIN;
    for (const auto& m : list)
        top = m->m_nSerial > top ? m->m_nSerial : top;
    if (top < INT32_MAX) return counter > top ? counter : top + 1;
    std::vector<int32_t> serials;
    serials.reserve(list.GetCount());
    for (const auto& m : list)
        serials.push_back(m->m_nSerial);
    std::sort(serials.begin(), serials.end());
    // The gap below the lowest serial counts from INT32_MIN.
    int64_t bestFrom = INT32_MIN, bestWidth = static_cast<int64_t>(serials.front()) - INT32_MIN;
    for (size_t i = 1; i < serials.size(); ++i) {
        const int64_t width = static_cast<int64_t>(serials[i]) - serials[i - 1] - 1;
        if (width > bestWidth) {
            bestWidth = width;
            bestFrom = static_cast<int64_t>(serials[i - 1]) + 1;
        }
    }
    return static_cast<int32_t>(bestFrom);
}

template <class T>
class CMsgListModel {
    static_assert(std::is_same_v<T, CAlertMsgObj> || std::is_same_v<T, CTradeMsgObj>);
    static constexpr uint16_t kKind = std::is_same_v<T, CAlertMsgObj> ? 0 : 1;

public:
    // A journal is folded into the .DAT file once it has grown past the .DAT
    // file's size (and past this): start-up replay and the disk a session
    // takes stay in proportion to the stored messages, and the cost of the
    // whole write, spread over the changes that filled the journal, stays
    // the same for each change.
    static constexpr size_t kJournalFloor = 1u << 20;

    explicit CMsgListModel(CConfigDoc config) : m_config(std::move(config)) {}

    CConfigDoc& Config() { return m_config; }
    const CConfigDoc& Config() const { return m_config; }
    const CMsgList<T>& Messages() const { return m_list; }

    // Loads or creates the configuration (which completes the message file's
    // path), makes sure the message file exists and loads it.
    CategoryOpenResult Open(IFileSystem& fs, const std::string& root, const std::string& user,
                            const std::string& cfgName, int64_t now) {
        CategoryOpenResult res;
        res.config = m_config.LoadConfig(fs, root, user, cfgName);
        OpenMessages(fs, now, res);
        return res;
    }

    // The second half of Open, once the configuration has been loaded: makes
    // sure the message file exists, loads it, takes the journal and replays
    // what a crash left in it and in the pending journal. The journal goes on
    // after what it held; a pending journal is written into the file at once
    // (configuration first) and goes. Whatever cannot be read (the file held by
    // another program past a short wait, too large, no memory for it) is left
    // exactly as it is: the session then never writes the message file, and
    // its changes go to the pending journal.
    void OpenMessages(IFileSystem& fs, int64_t now, CategoryOpenResult& res) {
        m_fs = &fs;
        try {
            OpenFiles(now, res);
        } catch (const std::bad_alloc&) {
            // Out of memory part way: the files stay as they are and the
            // session keeps its messages in memory.
            m_list.RemoveAll();
            m_journal.reset();
            m_pending.reset();
            m_partial = res.partial = true;
            res.unreadBecause = ReadStatus::kOk;
            m_mode = res.journal.mode = StoreMode::kMemoryOnly;
        }
        m_config.m_nNextSerial = SerialAboveAll(m_list, m_config.m_nNextSerial);
    }

    StoreMode Mode() const { return m_mode; }
    // The list lacks what the message file holds (it could not be read): the
    // file is not written this session.
    bool Partial() const { return m_partial; }
    // True once after a change could not be made durable (the caller tells
    // the user), until a later change is durable again.
    bool TakeWriteFailure() {
        const bool r = m_failureToTell;
        m_failureToTell = false;
        return r;
    }
    bool WritesFailing() const { return m_broken; }

    // Writes the message file whole and then removes the journals; a file
    // that cannot be written keeps them, so nothing is lost. Another
    // process's files, and a file this session could not read, are left alone.
    bool SaveMessages(int64_t now) {
        if (m_mode == StoreMode::kShared) return true;
        bool ok = false;
        if (!m_partial && m_file.has_value()) {
            std::vector<uint8_t> bytes;
            EncodeMessages(m_list, bytes);
            ok = NoteFold(BaseOf(bytes)) && m_file->Write(bytes, now);
        }
        // A journal that holds no record goes whatever happened to the file.
        if (m_journal) {
            if (ok || m_journalFresh)
                m_journal->CloseAndRemove();
            else
                m_journal->Release();
            m_journal.reset();
        }
        if (m_pending) {
            if (ok || m_pendingFresh) {
                m_pending->TruncateTo(0);
                m_pending->CloseAndRemove();
            } else {
                m_pending->Release();
            }
            m_pending.reset();
        }
        m_usePending = false;
        return ok;
    }

    // Lets go of the files of a category that could not be built: what was
    // opened is left as it was found, but for a journal this session started
    // afresh and wrote nothing into.
    void Abandon() {
        if (m_journal && m_journalFresh) m_journal->CloseAndRemove();
        if (m_pending && m_pendingFresh) m_pending->CloseAndRemove();
        Discard();
    }

    // Frees the messages at the end of the category's life; nothing is written.
    void Discard() {
        m_list.RemoveAll();
        m_journal.reset();
        m_pending.reset();
        m_usePending = false;
        m_mode = StoreMode::kClosed;
    }

    // Saves the configuration (the caller has put the list header's widths
    // and positions into it), then the message file. False when either
    // failed. Nothing is written while another process holds the journal; a
    // configuration that could not be read is not written over.
    bool Close(int64_t now) {
        if (m_mode == StoreMode::kShared) {
            m_mode = StoreMode::kClosed;
            return true;
        }
        bool ok = m_config.Unread() || m_config.Save().ok();
        ok = SaveMessages(now) && ok;
        m_mode = StoreMode::kClosed;
        return ok;
    }

    // A new message at the top: the next serial number, icon latest, the
    // arrival time now. An alert below it that was still latest becomes
    // earlier. Retention follows (not while the list lacks the stored
    // messages: it would drop the wrong ones).
    AddResult AddMessage(const InboundMessage& msg, int64_t now) {
        AddResult res;
        m_list.AddHead(MakeObject(msg, now));
        if constexpr (std::is_same_v<T, CAlertMsgObj>) {
            if (T* below = m_list.GetAt(1); below != nullptr && below->m_nImage == kImageLatest) {
                below->m_nImage = kImageEarlier;
                res.markedEarlier = 1;
            }
        }
        if (!m_partial)
            res.retention = nuntio::ApplyRetention(m_list, m_config.m_nKeepMode, m_config.m_nKeepLimit, now);
        if (Journaling()) {
            std::vector<uint8_t> rec;
            // Retention may have dropped the new message itself (with all the others).
            if (const T* top = m_list.GetHead(); top != nullptr) {
                EncodeAddRecord(*top, res.markedEarlier != 0, static_cast<uint32_t>(res.retention.removed),
                                m_config.m_nNextSerial, rec);
            } else {
                T gone;
                int32_t serial = m_config.m_nNextSerial - 1;
                gone.Fill(msg, serial, static_cast<int32_t>(now));
                EncodeAddRecord(gone, res.markedEarlier != 0, static_cast<uint32_t>(res.retention.removed),
                                m_config.m_nNextSerial, rec);
            }
            Record(rec, now);
        }
        return res;
    }

    // A filled object outside the list (the notification's copy): it takes a
    // serial number as a listed one does.
    std::unique_ptr<T> MakeObject(const InboundMessage& msg, int64_t now) {
        auto obj = std::make_unique<T>();
        obj->Fill(msg, m_config.m_nNextSerial, static_cast<int32_t>(now));
        return obj;
    }

    RetentionResult ApplyRetention(int64_t now) {
        if (m_partial) return {};
        const RetentionResult r =
            nuntio::ApplyRetention(m_list, m_config.m_nKeepMode, m_config.m_nKeepLimit, now);
        if (r.removed > 0 && Journaling()) {
            std::vector<uint8_t> rec;
            EncodeRetentionRecord(static_cast<uint32_t>(r.removed), rec);
            Record(rec, now);
        }
        return r;
    }

    // How many listed messages ApplyRetention would drop now under another
    // rule, for the settings to ask first. None while the list lacks the
    // stored messages: retention waits then.
    size_t CountRetention(uint8_t keepMode, int32_t keepLimit, int64_t now) const {
        return m_partial ? 0 : nuntio::CountRetention(m_list, keepMode, keepLimit, now);
    }

    T* GetMsgAt(ptrdiff_t pos) const { return m_list.GetAt(pos); }
    size_t GetMsgCount() const { return m_list.GetCount(); }
    // The serial number, or kBadPosition.
    int32_t GetMsgSerial(ptrdiff_t pos) const {
        const T* m = m_list.GetAt(pos);
        return m ? m->m_nSerial : static_cast<int32_t>(kBadPosition);
    }
    // The position of the (first) message with the serial number, or -1.
    ptrdiff_t FindSerial(int32_t serial) const {
        ptrdiff_t i = 0;
        for (const auto& m : m_list) {
            if (m->m_nSerial == serial) return i;
            ++i;
        }
        return -1;
    }
    // The icon index, or kBadPosition, kListEmpty.
    int32_t GetMsgImage(ptrdiff_t pos) const {
        if (pos < 0) return kBadPosition;
        if (m_list.IsEmpty()) return kListEmpty;
        const T* m = m_list.GetAt(pos);
        return m ? m->m_nImage : static_cast<int32_t>(kBadPosition);
    }
    // kDone (also for an empty list, which changes nothing) or kBadPosition.
    uint32_t SetMsgImage(ptrdiff_t pos, int32_t image) {
        if (pos < 0) return kBadPosition;
        if (m_list.IsEmpty()) return kDone;
        T* m = m_list.GetAt(pos);
        if (m == nullptr) return kBadPosition;
        if (m->m_nImage == image) return kDone;
        m->m_nImage = image;
        if (Journaling()) {
            std::vector<uint8_t> rec;
            EncodeSetImageRecord(static_cast<int32_t>(pos), m->m_nSerial, image, rec);
            Record(rec, Now());
        }
        return kDone;
    }
    // kDone, kBadPosition (negative) or kNoObject (past the end).
    uint32_t DeleteAt(ptrdiff_t pos) {
        if (pos < 0) return kBadPosition;
        const T* m = m_list.GetAt(pos);
        if (m == nullptr) return kNoObject;
        const int32_t serial = m->m_nSerial;
        m_list.RemoveAt(static_cast<size_t>(pos));
        if (Journaling()) {
            std::vector<uint8_t> rec;
            EncodeDeleteRecord(static_cast<int32_t>(pos), serial, rec);
            Record(rec, Now());
        }
        return kDone;
    }
    // Deletes the messages at the ascending positions in one pass, made
    // durable as one record; positions past the end are ignored. Returns how
    // many were deleted.
    size_t DeleteRows(const std::vector<size_t>& rows) {
        std::vector<std::pair<int32_t, int32_t>> gone;
        gone.reserve(rows.size());
        for (size_t row : rows)
            if (const T* m = m_list.GetAt(static_cast<ptrdiff_t>(row)); m != nullptr)
                gone.emplace_back(static_cast<int32_t>(row), m->m_nSerial);
        if (gone.empty()) return 0;
        const size_t removed = m_list.RemoveSorted(rows);
        if (Journaling()) {
            std::vector<uint8_t> rec;
            EncodeDeleteBatchRecord(gone, rec);
            Record(rec, Now());
        }
        return removed;
    }
    void DeleteAll() {
        if (m_list.IsEmpty()) return;
        if (m_partial) {
            // Only what this session lists: "delete all" replayed onto the
            // stored file would take messages the user never saw.
            std::vector<size_t> all(m_list.GetCount());
            for (size_t i = 0; i < all.size(); ++i)
                all[i] = i;
            DeleteRows(all);
            return;
        }
        m_list.RemoveAll();
        if (Journaling()) {
            std::vector<uint8_t> rec;
            EncodeDeleteAllRecord(rec);
            Record(rec, Now());
        }
    }

    // The icon and the texts of a row (see RowText for the slots).
    int RowImage(ptrdiff_t pos) const {
        const T* m = m_list.GetAt(pos);
        return m ? RowImageOf(*m) : 0;
    }
    std::string RowText(ptrdiff_t pos, int slot) const {
        const T* m = m_list.GetAt(pos);
        return m ? nuntio::RowText(*m, slot) : std::string();
    }
    // 1 when the message at pos holds text in a searched field, else 0.
    uint32_t MatchMessage(std::string_view text, ptrdiff_t pos) const {
        const T* m = m_list.GetAt(pos);
        return m != nullptr && nuntio::MatchMessage(*m, text) ? 1 : 0;
    }

private:
    bool Journaling() const { return m_mode == StoreMode::kJournal; }
    CMsgJournal* Target() {
        return m_usePending ? (m_pending ? &*m_pending : nullptr) : (m_journal ? &*m_journal : nullptr);
    }

    // A journal's whole contents, through the handle that holds it; false
    // when it is too large or there is no memory for it.
    static bool ReadHeld(CMsgJournal& journal, std::vector<uint8_t>& bytes) {
        try {
            return journal.ReadAll(bytes);
        } catch (const std::bad_alloc&) {
            bytes = {};
            return false;
        }
    }

    // Renames path to "<path>.damaged-YYYYMMDD-HHMMSS" (a file too large to
    // copy); the new path, or empty when it could not be moved.
    std::string MoveAside(const std::string& path, int64_t now) {
        const std::string base = path + ".damaged-" + FileStamp(now);
        for (int n = 1; n < 100; ++n) {
            const std::string name = n == 1 ? base : base + "-" + std::to_string(n);
            if (m_fs->FileExists(name)) continue;
            return m_fs->ReplaceFile(path, name) ? name : std::string();
        }
        return {};
    }

    // Reads the message file into the list, waiting a moment for a program
    // that holds it. False when it could not be read: the list stays empty.
    bool LoadFile(std::vector<uint8_t>& dat, int64_t now, CategoryOpenResult& res) {
        try {
            const ReadStatus st = ReadPatiently(*m_fs, m_file->Path(), dat);
            if (st == ReadStatus::kMissing) {
                // Missing and not creatable: nothing is stored to be lost.
                res.messages.status = MsgLoadStatus::kNotOpened;
                dat.clear();
                return true;
            }
            if (st != ReadStatus::kOk) {
                res.messages.status = MsgLoadStatus::kNotOpened;
                res.unreadBecause = st;
                dat = {};
                return false;
            }
            res.messages = m_file->Load(dat, m_list, now);
            return true;
        } catch (const std::bad_alloc&) {
            m_list.RemoveAll();
            dat = {};
            res.messages = {};
            res.messages.status = MsgLoadStatus::kNotOpened;
            res.unreadBecause = ReadStatus::kOk;
            return false;
        }
    }

    // The pending journal's records that are not in the file with bytes
    // `base` yet: those after the last fold naming it, without fold records.
    static ParsedJournal Unfolded(ParsedJournal parsed, const JournalBase* base) {
        size_t from = 0;
        for (size_t i = 0; i < parsed.records.size(); ++i) {
            const JournalRecord& r = parsed.records[i];
            if (r.op == kFoldedOp && base != nullptr && r.payload.size() == 8 &&
                JournalBase{GetU32(r.payload.data()), GetU32(r.payload.data() + 4)} == *base)
                from = i + 1;
        }
        std::vector<JournalRecord> kept;
        for (size_t i = from; i < parsed.records.size(); ++i)
            if (parsed.records[i].op != kFoldedOp) kept.push_back(std::move(parsed.records[i]));
        parsed.records = std::move(kept);
        return parsed;
    }
    static uint32_t GetU32(const uint8_t* p) {
        return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
               static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
    }

    void OpenFiles(int64_t now, CategoryOpenResult& res) {
        const std::string& path = m_config.m_strMsgFile;
        m_file.emplace(*m_fs, path);
        res.ensure = m_file->EnsureExists();
        std::vector<uint8_t> dat;
        const bool datRead = LoadFile(dat, now, res);
        const JournalBase base = BaseOf(dat);
        SetCompactionPoint(dat.size());
        dat = {};

        m_journal.emplace(*m_fs, JournalPathFor(path), kKind);
        std::vector<uint8_t> head;
        const bool hadJournal =
            m_fs->ReadHead(JournalPathFor(path), 1, head) == ReadStatus::kOk && !head.empty();
        const OpenStatus opened = m_journal->Open();
        if (opened == OpenStatus::kInUse) {
            OpenShared(datRead ? &base : nullptr, res);
            return;
        }
        m_partial = res.partial = !datRead;
        if (opened != OpenStatus::kOk) {
            m_journal.reset();
            m_mode = res.journal.mode = StoreMode::kMemoryOnly;
            res.journal.exitSaveLikely = !m_partial && CanWriteBeside(path);
            return;
        }
        m_mode = res.journal.mode = StoreMode::kJournal;
        m_journalFresh = !hadJournal;

        // A session that cannot read the file holds the journal unread: its
        // changes belong to that file.
        std::vector<uint8_t> bytes;
        if (!m_partial && !ReadHeld(*m_journal, bytes)) {
            // Too large to read here: moved aside whole, and a new journal begins.
            m_journal->Release();
            res.journal.unreadable = true;
            res.journal.unreadableKeptPath = MoveAside(JournalPathFor(path), now);
            if (res.journal.unreadableKeptPath.empty() || m_journal->Open() != OpenStatus::kOk) {
                // It stays unread where it is: the file must not be written over it.
                m_journal.reset();
                m_partial = res.partial = true;
            }
        }

        bool fold = false; // the journal held changes for the file
        ReplayResult replay;
        if (!m_partial) {
            const ParsedJournal parsed = ParseJournal(bytes.data(), bytes.size());
            if (parsed.status == JournalStatus::kBadHeader || parsed.base == base) {
                replay = ReplayJournal(parsed, m_list, m_config.m_nNextSerial);
                res.journal.replayed = replay.applied;
                if (replay.damaged) {
                    res.journal.damaged = true;
                    res.journal.keptAsidePath = m_journal->KeepAside(bytes, now);
                }
                fold = replay.applied > 0 || replay.skipped > 0 || replay.damaged;
            } else if (!parsed.records.empty()) {
                // Written before the file was last written whole: its changes
                // are in the file. Kept aside, since it cannot be matched.
                res.journal.stale = true;
                res.journal.staleKeptPath = m_journal->KeepAside(bytes, now);
            }
        }
        bytes = {};

        OpenPending(datRead ? &base : nullptr, now, res);

        if (m_partial) {
            // Changes go to the pending journal, after its last whole record.
            if (m_pending && m_pending->IsOpen() && PreparePending()) {
                m_usePending = true;
            } else {
                m_pending.reset();
                m_mode = res.journal.mode = StoreMode::kMemoryOnly;
            }
            return;
        }
        // A pending journal is folded into the file at once, so that it goes.
        if (m_pending && Checkpoint(now)) return;
        if (m_pending) {
            // The file could not be written: changes go on after its last good record.
            if (PreparePending())
                m_usePending = true;
            else
                m_broken = true;
            return;
        }
        if (fold) {
            // The journal goes on after its last good record (a damaged rest
            // was kept aside); it is folded into the file once it outgrows it,
            // as in any session, so a start after a crash does not pay for a
            // whole write.
            if (replay.goodEnd < kJournalHeaderSize) {
                if (!m_journal->Reset(base)) m_broken = true;
            } else if (replay.damaged && !m_journal->TruncateTo(replay.goodEnd)) {
                m_broken = true;
            } else {
                m_journalBytes = replay.goodEnd;
            }
            return;
        }
        if (m_journal->Reset(base))
            m_journalFresh = true;
        else
            m_broken = true;
    }

    // Opens and replays the pending journal when there is one (or, for a
    // session that cannot read the message file, makes one). base: the
    // message file's bytes, null when it was not read.
    void OpenPending(const JournalBase* base, int64_t now, CategoryOpenResult& res) {
        const std::string path = PendingPathFor(m_config.m_strMsgFile);
        if (!m_partial && !m_fs->FileExists(path)) return;
        m_pending.emplace(*m_fs, path, kKind);
        if (m_pending->Open() != OpenStatus::kOk) {
            m_pending.reset();
            // Not even readable: its changes cannot be folded in.
            if (m_fs->FileExists(path)) m_partial = res.partial = true;
            return;
        }
        std::vector<uint8_t> bytes;
        if (!ReadHeld(*m_pending, bytes)) {
            m_pending->Release();
            res.journal.pendingDamaged = true;
            res.journal.pendingKeptPath = MoveAside(path, now);
            if (res.journal.pendingKeptPath.empty() || m_pending->Open() != OpenStatus::kOk) {
                m_pending.reset();
                m_partial = res.partial = true;
            }
            m_pendingEnd = 0;
            return;
        }
        const ParsedJournal parsed = Unfolded(ParseJournal(bytes.data(), bytes.size()), base);
        const ReplayResult r = ReplayJournal(parsed, m_list, m_config.m_nNextSerial);
        res.journal.pendingReplayed = r.applied;
        m_pendingEnd = parsed.status == JournalStatus::kBadHeader ? 0 : parsed.goodEnd;
        if (r.damaged) {
            res.journal.pendingDamaged = true;
            res.journal.pendingKeptPath = m_pending->KeepAside(bytes, now);
            m_pendingEnd = r.goodEnd;
        }
    }

    // Readies the pending journal for appending: a header when it has none,
    // else cut after its last good record.
    bool PreparePending() {
        if (m_pendingEnd < kJournalHeaderSize) return m_pendingFresh = m_pending->Reset(kAnyBase);
        return m_pending->TruncateTo(m_pendingEnd);
    }

    // Another process holds the journal: show what it has stored so far,
    // and never write over its files.
    void OpenShared(const JournalBase* base, CategoryOpenResult& res) {
        m_mode = res.journal.mode = StoreMode::kShared;
        m_partial = res.partial = base == nullptr;
        m_journal.reset();
        std::vector<uint8_t> bytes;
        if (base != nullptr &&
            m_fs->ReadAllShared(JournalPathFor(m_config.m_strMsgFile), bytes) == ReadStatus::kOk) {
            const ParsedJournal parsed = ParseJournal(bytes.data(), bytes.size());
            if (parsed.status != JournalStatus::kBadHeader && parsed.base == *base)
                res.journal.replayed = ReplayJournal(parsed, m_list, m_config.m_nNextSerial).applied;
        }
        if (m_fs->ReadAllShared(PendingPathFor(m_config.m_strMsgFile), bytes) == ReadStatus::kOk) {
            const ParsedJournal parsed = Unfolded(ParseJournal(bytes.data(), bytes.size()), base);
            if (parsed.status != JournalStatus::kBadHeader)
                res.journal.pendingReplayed = ReplayJournal(parsed, m_list, m_config.m_nNextSerial).applied;
        }
    }

    // Whether a whole file could be written beside path (the message file's
    // temporary file is made and removed).
    bool CanWriteBeside(const std::string& path) {
        const std::string probe = TempPathFor(path);
        if (!m_fs->WriteAll(probe, "", 0)) return false;
        m_fs->RemoveFile(probe);
        return true;
    }

    // Appends one change to the journal and flushes it. After a failure the
    // journal is not appended to (a gap would make later records wrong):
    // every 64th change tries to write the whole file and start afresh.
    void Record(const std::vector<uint8_t>& rec, int64_t now) {
        if (!m_broken) {
            CMsgJournal* target = Target();
            (m_usePending ? m_pendingFresh : m_journalFresh) = false;
            if (target != nullptr && target->Write(rec)) {
                m_journalBytes += rec.size();
                // A whole write that fails leaves the journal going on; the
                // next try waits until it has grown as much again.
                if (m_journalBytes >= m_compactAt && !m_partial && !Checkpoint(now) && !m_broken)
                    m_compactAt = m_journalBytes * 2;
                return;
            }
            m_broken = true;
            m_failureToTell = true;
            m_sinceFailure = 0;
            return;
        }
        if (++m_sinceFailure % 64 == 0 && Checkpoint(now)) m_failureToTell = false;
    }

    // Tells the pending journal that the file is about to hold its changes
    // (base: the new file's bytes). True when there is no pending journal.
    bool NoteFold(JournalBase base) {
        if (!m_pending) return true;
        std::vector<uint8_t> payload, rec;
        for (uint32_t v : {base.size, base.crc})
            for (int i = 0; i < 4; ++i)
                payload.push_back(static_cast<uint8_t>(v >> (8 * i)));
        EncodeRecord(kFoldedOp, payload, rec);
        return m_pending->Write(rec);
    }

    // Writes the configuration and the message file whole, empties the
    // journal for the new file and removes the pending journal. False when
    // anything could not be written (the journals left as they were), or when
    // the journal could not be started again for the new file: then it is
    // broken, since it names the old one. Never while the list is partial.
    bool Checkpoint(int64_t now) {
        if (m_partial || !m_journal) return false;
        if (!m_config.Unread() && !m_config.Save().ok()) return false;
        std::vector<uint8_t> bytes;
        EncodeMessages(m_list, bytes);
        const JournalBase base = BaseOf(bytes);
        if (!NoteFold(base) || !m_file->Write(bytes, now)) return false;
        const size_t size = bytes.size();
        bytes = {};
        if (!m_journal->Reset(base)) {
            if (!m_broken) m_failureToTell = true;
            m_broken = true;
            m_sinceFailure = 0;
            return false;
        }
        if (m_pending) {
            // Emptied through the handle that holds it, so that nothing can
            // keep it from going; its fold record covers a removal that fails.
            m_pending->TruncateTo(0);
            m_pending->CloseAndRemove();
            m_pending.reset();
            m_usePending = false;
        }
        m_broken = false;
        m_journalFresh = true;
        SetCompactionPoint(size);
        return true;
    }

    void SetCompactionPoint(size_t datBytes) {
        m_journalBytes = 0;
        m_compactAt = datBytes > kJournalFloor ? datBytes : kJournalFloor;
    }

    CConfigDoc m_config;
    CMsgList<T> m_list;
    std::optional<CMsgFile> m_file;
    std::optional<CMsgJournal> m_journal;
    std::optional<CMsgJournal> m_pending; // the pending journal, while there is one
    IFileSystem* m_fs = nullptr;
    StoreMode m_mode = StoreMode::kClosed;
    bool m_partial = false;       // the message file could not be read: it is not written
    bool m_journalFresh = false;  // the journal was started for this session and holds no record yet
    bool m_pendingFresh = false;  // the same for the pending journal
    bool m_usePending = false;    // changes go to the pending journal
    size_t m_pendingEnd = 0;      // the end of its last good record
    bool m_broken = false;        // the journal missed a change: it is not appended to
    bool m_failureToTell = false; // a change was not made durable; not yet told
    unsigned m_sinceFailure = 0;
    size_t m_journalBytes = 0; // appended since the journal was last started
    size_t m_compactAt = kJournalFloor;
};

using CAlertListModel = CMsgListModel<CAlertMsgObj>;
using CTradeListModel = CMsgListModel<CTradeMsgObj>;

} // namespace nuntio
