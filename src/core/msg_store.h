// How a category's messages are kept: the message file written whole, the
// journal of every change since (flushed before a change is confirmed), and
// the pending journal of the changes made while the file could not be read.
// Opening reads and replays them, Record makes one change durable, Save
// writes the file whole and lets the journals go; folds keep the journal in
// proportion to the file. A file this session could not read is never
// written; another process's files are never written.
#pragma once

#include <algorithm>
#include <new>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "config_doc.h"
#include "le_bytes.h"
#include "local_time.h"
#include "msg_file.h"
#include "msg_journal.h"

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

template <class T>
class CMsgStore {
    static constexpr uint16_t kKind = std::is_same_v<T, CAlertMsgObj> ? 0 : 1;

public:
    // A journal is folded into the .DAT file once it has grown past the .DAT
    // file's size (and past this): start-up replay and the disk a session
    // takes stay in proportion to the stored messages, and the cost of the
    // whole write, spread over the changes that filled the journal, stays
    // the same for each change.
    static constexpr size_t kJournalFloor = 1u << 20;

    // Keeps list, whose configuration (the message file's path, the serial
    // counter) is config.
    CMsgStore(CMsgList<T>& list, CConfigDoc& config) : m_list(list), m_config(config) {}

    // Makes sure the message file exists, loads it into the list, takes the
    // journal and replays what a crash left in it and in the pending journal.
    // The journal goes on after what it held; a pending journal is written
    // into the file at once (configuration first) and goes. Whatever cannot
    // be read (the file held by another program past a short wait, too large,
    // no memory for it) is left exactly as it is: the session then never
    // writes the message file, and its changes go to the pending journal.
    void Open(IFileSystem& fs, int64_t now, CategoryOpenResult& res) {
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
    }

    StoreMode Mode() const { return m_mode; }
    // Changes are to be recorded (Record) as they are made.
    bool Journaling() const { return m_mode == StoreMode::kJournal; }
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
    bool Save(int64_t now) {
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
        Release();
    }

    // Lets go of the files without writing.
    void Release() {
        m_journal.reset();
        m_pending.reset();
        m_usePending = false;
        m_mode = StoreMode::kClosed;
    }

    // Closes: another process's files are not written.
    void Closed() { m_mode = StoreMode::kClosed; }

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

private:
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
        const std::string name = AsideName(*m_fs, path, now);
        return !name.empty() && m_fs->ReplaceFile(path, name) ? name : std::string();
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

    // Tells the pending journal that the file is about to hold its changes
    // (base: the new file's bytes). True when there is no pending journal.
    bool NoteFold(JournalBase base) {
        if (!m_pending) return true;
        std::vector<uint8_t> payload, rec;
        PutU32(payload, base.size);
        PutU32(payload, base.crc);
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

    CMsgList<T>& m_list;
    CConfigDoc& m_config;
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

} // namespace nuntio
