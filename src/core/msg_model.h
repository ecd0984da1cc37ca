// The model of a message category: its configuration, its message list and
// its message file, with the operations that do not depend on a window. The
// window's list view mirrors it row for row: row i shows GetMsgAt(i).
#pragma once

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
    kMemoryOnly, // the journal cannot be opened here (read-only folder): changes reach the file at Close
};

struct JournalOpenResult {
    StoreMode mode = StoreMode::kClosed;
    size_t replayed = 0;       // records of a journal left by a crash that were applied
    bool damaged = false;      // the journal ended in damage: the rest was not replayed
    std::string keptAsidePath; // with damaged: the copy of the whole journal, empty if none was made
};

struct CategoryOpenResult {
    CfgResult config;        // the .cfg file (a failure names the file)
    uint32_t ensure = kDone; // kDone, kMsgFileCreated or kMsgFileNotCreated
    MsgLoadResult messages;  // a damaged file: what was kept and where the copy is
    JournalOpenResult journal;
};

struct AddResult {
    size_t markedEarlier = 0;  // 1 when row 1 changed from latest to earlier (alerts)
    RetentionResult retention; // rows then removed from the bottom
};

template <class T>
class CMsgListModel {
    static_assert(std::is_same_v<T, CAlertMsgObj> || std::is_same_v<T, CTradeMsgObj>);

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
    // what a crash left in it. Replayed changes are written whole at once
    // (configuration first, so that its serial counter is never behind the
    // file's), and the journal starts again from the new file.
    void OpenMessages(IFileSystem& fs, int64_t now, CategoryOpenResult& res) {
        m_fs = &fs;
        m_file.emplace(fs, m_config.m_strMsgFile);
        res.ensure = m_file->EnsureExists();
        // One read serves the messages and the checksum the journal names.
        std::vector<uint8_t> dat;
        const bool read = m_file->ReadFile(dat);
        if (!read) dat.clear();
        const JournalBase base = BaseOf(dat);
        SetCompactionPoint(dat.size());
        if (read)
            res.messages = m_file->Load(dat, m_list, now);
        else
            res.messages.status = MsgLoadStatus::kNotOpened;
        dat = {};

        m_journal.emplace(fs, JournalPathFor(m_config.m_strMsgFile), std::is_same_v<T, CAlertMsgObj> ? 0 : 1);
        const OpenStatus opened = m_journal->Open();
        std::vector<uint8_t> bytes;
        if (opened == OpenStatus::kInUse) {
            // Another process is writing: show what it has stored so far, and
            // never write over its files.
            m_mode = StoreMode::kShared;
            res.journal.mode = m_mode;
            m_journal.reset();
            if (fs.ReadAllShared(JournalPathFor(m_config.m_strMsgFile), bytes) == ReadStatus::kOk) {
                const ParsedJournal parsed = ParseJournal(bytes.data(), bytes.size());
                if (parsed.status != JournalStatus::kBadHeader && parsed.base == base)
                    res.journal.replayed = ReplayJournal(parsed, m_list, m_config.m_nNextSerial).applied;
            }
            return;
        }
        if (opened != OpenStatus::kOk || !m_journal->ReadAll(bytes)) {
            m_mode = StoreMode::kMemoryOnly;
            res.journal.mode = m_mode;
            m_journal.reset();
            return;
        }
        m_mode = StoreMode::kJournal;
        res.journal.mode = m_mode;
        const ParsedJournal parsed = ParseJournal(bytes.data(), bytes.size());
        ReplayResult replay;
        if (parsed.status == JournalStatus::kBadHeader || parsed.base == base)
            replay = ReplayJournal(parsed, m_list, m_config.m_nNextSerial);
        // else the file was written whole after the journal: nothing to do.
        res.journal.replayed = replay.applied;
        if (replay.damaged) {
            res.journal.damaged = true;
            res.journal.keptAsidePath = m_journal->KeepAside(bytes, now);
        }
        if (replay.applied > 0 || replay.skipped > 0 || replay.damaged) {
            if (Checkpoint(now)) return;
            // The file could not be written: the journal goes on after its last good record.
            if (replay.goodEnd < kJournalHeaderSize) {
                if (!m_journal->Reset(base)) m_broken = true;
            } else if (replay.damaged && !m_journal->TruncateTo(replay.goodEnd)) {
                m_broken = true;
            }
            return;
        }
        if (!m_journal->Reset(base)) m_broken = true;
    }

    StoreMode Mode() const { return m_mode; }
    // True once after a change could not be made durable (the caller tells
    // the user), until a later change is durable again.
    bool TakeWriteFailure() {
        const bool r = m_failureToTell;
        m_failureToTell = false;
        return r;
    }
    bool WritesFailing() const { return m_broken; }

    // Writes the message file whole and then removes the journal; a file that
    // cannot be written keeps the journal, so nothing is lost. Another
    // process's files are left alone.
    bool SaveMessages(int64_t now) {
        if (m_mode == StoreMode::kShared) return true;
        const bool ok = m_file.has_value() && m_file->Save(m_list, now);
        if (m_journal) {
            if (ok)
                m_journal->CloseAndRemove();
            else
                m_journal->Release();
            m_journal.reset();
        }
        return ok;
    }

    // Frees the messages at the end of the category's life; nothing is written.
    void Discard() {
        m_list.RemoveAll();
        m_journal.reset();
        m_mode = StoreMode::kClosed;
    }

    // Saves the configuration (the caller has put the list header's widths
    // and positions into it), then the message file. False when either
    // failed. Nothing is written while another process holds the journal.
    bool Close(int64_t now) {
        if (m_mode == StoreMode::kShared) {
            m_mode = StoreMode::kClosed;
            return true;
        }
        bool ok = m_config.Save().ok();
        ok = SaveMessages(now) && ok;
        m_mode = StoreMode::kClosed;
        return ok;
    }

    // A new message at the top: the next serial number, icon latest, the
    // arrival time now. An alert below it that was still latest becomes
    // earlier. Retention follows.
    AddResult AddMessage(const InboundMessage& msg, int64_t now) {
        AddResult res;
        m_list.AddHead(MakeObject(msg, now));
        if constexpr (std::is_same_v<T, CAlertMsgObj>) {
            if (T* below = m_list.GetAt(1); below != nullptr && below->m_nImage == kImageLatest) {
                below->m_nImage = kImageEarlier;
                res.markedEarlier = 1;
            }
        }
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
        const RetentionResult r =
            nuntio::ApplyRetention(m_list, m_config.m_nKeepMode, m_config.m_nKeepLimit, now);
        if (r.removed > 0 && Journaling()) {
            std::vector<uint8_t> rec;
            EncodeRetentionRecord(static_cast<uint32_t>(r.removed), rec);
            Record(rec, now);
        }
        return r;
    }

    T* GetMsgAt(ptrdiff_t pos) const { return m_list.GetAt(pos); }
    size_t GetMsgCount() const { return m_list.GetCount(); }
    // The serial number, or kBadPosition.
    int32_t GetMsgSerial(ptrdiff_t pos) const {
        const T* m = m_list.GetAt(pos);
        return m ? m->m_nSerial : static_cast<int32_t>(kBadPosition);
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
    void DeleteAll() {
        const bool had = !m_list.IsEmpty();
        m_list.RemoveAll();
        if (had && Journaling()) {
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
    // The positions that match, newest first; none for an empty text.
    std::vector<size_t> FindMessages(std::string_view text) const {
        std::vector<size_t> found;
        if (text.empty()) return found;
        size_t i = 0;
        for (const auto& m : m_list) {
            if (nuntio::MatchMessage(*m, text)) found.push_back(i);
            ++i;
        }
        return found;
    }

private:
    bool Journaling() const { return m_mode == StoreMode::kJournal; }

    // Appends one change to the journal and flushes it. After a failure the
    // journal is not appended to (a gap would make later records wrong):
    // every 64th change tries to write the whole file and start afresh.
    void Record(const std::vector<uint8_t>& rec, int64_t now) {
        if (!m_broken) {
            if (m_journal && m_journal->Write(rec)) {
                m_journalBytes += rec.size();
                // A whole write that fails leaves the journal going on; the
                // next try waits until it has grown as much again.
                if (m_journalBytes >= m_compactAt && !Checkpoint(now) && !m_broken)
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

    // Writes the configuration and the message file whole and empties the
    // journal for the new file. False when either could not be written (the
    // journal left as it was), or when the journal could not be started
    // again for the new file: then it is broken, since it names the old one.
    bool Checkpoint(int64_t now) {
        if (!m_journal || !m_config.Save().ok() || !m_file->Save(m_list, now)) return false;
        std::vector<uint8_t> dat;
        if (m_fs->ReadAll(m_config.m_strMsgFile, dat) != ReadStatus::kOk || !m_journal->Reset(BaseOf(dat))) {
            if (!m_broken) m_failureToTell = true;
            m_broken = true;
            m_sinceFailure = 0;
            return false;
        }
        m_broken = false;
        SetCompactionPoint(dat.size());
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
    IFileSystem* m_fs = nullptr;
    StoreMode m_mode = StoreMode::kClosed;
    bool m_broken = false;        // the journal missed a change: it is not appended to
    bool m_failureToTell = false; // a change was not made durable; not yet told
    unsigned m_sinceFailure = 0;
    size_t m_journalBytes = 0; // appended since the journal was last started
    size_t m_compactAt = kJournalFloor;
};

using CAlertListModel = CMsgListModel<CAlertMsgObj>;
using CTradeListModel = CMsgListModel<CTradeMsgObj>;

} // namespace nuntio
