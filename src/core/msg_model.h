// The model of a message category: its configuration and its message list
// with the operations that do not depend on a window; how the changes are
// kept on disk is its store's (msg_store.h). The window's list view mirrors
// it row for row: row i shows GetMsgAt(i).
#pragma once

#include <algorithm>
#include <climits>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "config_doc.h"
#include "msg_store.h"
#include "msg_text.h"
#include "retention.h"

namespace nuntio {

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

public:
    static constexpr size_t kJournalFloor = CMsgStore<T>::kJournalFloor;

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

    // The second half of Open, once the configuration has been loaded: the
    // store opens the files (see CMsgStore::Open), then the serial counter is
    // set above every listed serial, whatever the configuration held.
    void OpenMessages(IFileSystem& fs, int64_t now, CategoryOpenResult& res) {
        m_store.Open(fs, now, res);
        m_config.m_nNextSerial = SerialAboveAll(m_list, m_config.m_nNextSerial);
    }

    StoreMode Mode() const { return m_store.Mode(); }
    // The list lacks what the message file holds (it could not be read): the
    // file is not written this session.
    bool Partial() const { return m_store.Partial(); }
    // True once after a change could not be made durable (the caller tells
    // the user), until a later change is durable again.
    bool TakeWriteFailure() { return m_store.TakeWriteFailure(); }
    bool WritesFailing() const { return m_store.WritesFailing(); }

    // Writes the message file whole and lets the journals go (see CMsgStore::Save).
    bool SaveMessages(int64_t now) { return m_store.Save(now); }

    // Lets go of the files of a category that could not be built.
    void Abandon() {
        m_store.Abandon();
        m_list.RemoveAll();
    }

    // Frees the messages at the end of the category's life; nothing is written.
    void Discard() {
        m_list.RemoveAll();
        m_store.Release();
    }

    // Saves the configuration (the caller has put the list header's widths
    // and positions into it), then the message file. False when either
    // failed. Nothing is written while another process holds the journal; a
    // configuration that could not be read is not written over.
    bool Close(int64_t now) {
        if (m_store.Mode() == StoreMode::kShared) {
            m_store.Closed();
            return true;
        }
        bool ok = m_config.Unread() || m_config.Save().ok();
        ok = SaveMessages(now) && ok;
        m_store.Closed();
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
        if (!m_store.Partial())
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
        if (m_store.Partial()) return {};
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
        return m_store.Partial() ? 0 : nuntio::CountRetention(m_list, keepMode, keepLimit, now);
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
        if (m_store.Partial()) {
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
    bool Journaling() const { return m_store.Journaling(); }
    void Record(const std::vector<uint8_t>& rec, int64_t now) { m_store.Record(rec, now); }

    CConfigDoc m_config;
    CMsgList<T> m_list;
    CMsgStore<T> m_store{m_list, m_config};
};

using CAlertListModel = CMsgListModel<CAlertMsgObj>;
using CTradeListModel = CMsgListModel<CTradeMsgObj>;

} // namespace nuntio
