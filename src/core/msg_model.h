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
#include "msg_text.h"
#include "retention.h"

namespace nuntio {

struct CategoryOpenResult {
    CfgResult config;        // the .cfg file (a failure names the file)
    uint32_t ensure = kDone; // kDone, kMsgFileCreated or kMsgFileNotCreated
    MsgLoadResult messages;  // a damaged file: what was kept and where the copy is
};

struct AddResult {
    size_t markedEarlier = 0;  // 1 when row 1 changed from latest to earlier (alerts)
    RetentionResult retention; // rows then removed from the bottom
};

template <class T>
class CMsgListModel {
    static_assert(std::is_same_v<T, CAlertMsgObj> || std::is_same_v<T, CTradeMsgObj>);

public:
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
        m_file.emplace(fs, m_config.m_strMsgFile);
        res.ensure = m_file->EnsureExists();
        res.messages = m_file->Load(m_list, now);
        return res;
    }

    // Saves the message file, then the configuration (the caller has put the
    // list header's widths and positions into it). False when either failed.
    bool Close(int64_t now) {
        bool ok = m_file.has_value() && m_file->Save(m_list, now);
        ok = m_config.Save().ok() && ok;
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
        res.retention = ApplyRetention(now);
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
        return nuntio::ApplyRetention(m_list, m_config.m_nKeepMode, m_config.m_nKeepLimit, now);
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
        m->m_nImage = image;
        return kDone;
    }
    // kDone, kBadPosition (negative) or kNoObject (past the end).
    uint32_t DeleteAt(ptrdiff_t pos) {
        if (pos < 0) return kBadPosition;
        return m_list.RemoveAt(static_cast<size_t>(pos)) ? kDone : kNoObject;
    }
    void DeleteAll() { m_list.RemoveAll(); }

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
    CConfigDoc m_config;
    CMsgList<T> m_list;
    std::optional<CMsgFile> m_file;
};

using CAlertListModel = CMsgListModel<CAlertMsgObj>;
using CTradeListModel = CMsgListModel<CTradeMsgObj>;

} // namespace nuntio
