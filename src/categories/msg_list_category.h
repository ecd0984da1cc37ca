// The half of a category that depends on its message class. The messages,
// their file and journal, serial numbers, icons and retention are the
// category model's (core/msg_model.h); this half keeps the list view in step
// with it: the view is virtual, so row i shows the model's message i.
#pragma once

#include <algorithm>

#include "categories/msg_category.h"
#include "core/found_messages.h"
#include "core/local_time.h"
#include "core/msg_model.h"

namespace nuntio {

// Holds the model ahead of CMsgCategory in the object, so that the category
// can refer to the model's configuration from its construction on.
template <class T>
struct CMsgModelHolder {
    nuntio::CMsgListModel<T> m_model{nuntio::CConfigDoc{}};
};

template <class T>
class CMsgListCategory : private CMsgModelHolder<T>, public CMsgCategory {
public:
    explicit CMsgListCategory(CategoryLook look)
        : CMsgModelHolder<T>(), CMsgCategory(this->m_model.Config(), std::move(look)) {}

    int GetMsgCount() const override { return static_cast<int>(Model().GetMsgCount()); }
    T* GetMsgAt(int pos) const { return Model().GetMsgAt(pos); }
    int32_t GetMsgSerial(int pos) const override { return Model().GetMsgSerial(pos); }
    uint32_t GetMsgImage(int pos) const override { return static_cast<uint32_t>(Model().GetMsgImage(pos)); }

    uint32_t SetMsgImage(int pos, int image) override {
        if (pos < 0) return kBadPosition;
        if (GetMsgAt(pos) == nullptr) return kDone;
        Model().SetMsgImage(pos, image);
        ListView_RedrawItems(m_hList, pos, pos);
        TellWriteFailure();
        return kDone;
    }

    // One pass over the list and one durable record, however many rows are
    // selected. The row that moves up into the last deleted place becomes
    // selected and focused.
    uint32_t DeleteSelected() override {
        const std::vector<int> selected = SelectedRows();
        if (selected.empty()) return kDone;
        const int next = selected.back() - static_cast<int>(selected.size()) + 1;
        Model().DeleteRows(std::vector<size_t>(selected.begin(), selected.end()));
        RowsDeleted(selected, next);
        TellWriteFailure();
        return kDone;
    }

    // Deletes the messages with these serial numbers (those listed when the
    // user was asked), not what arrived since; all of them when nothing did.
    uint32_t DeleteListed(const std::vector<int32_t>& serials) override {
        std::vector<int32_t> wanted(serials);
        std::sort(wanted.begin(), wanted.end());
        std::vector<size_t> rows;
        for (int i = 0; i < GetMsgCount(); ++i)
            if (std::binary_search(wanted.begin(), wanted.end(), GetMsgSerial(i)))
                rows.push_back(static_cast<size_t>(i));
        if (static_cast<int>(rows.size()) == GetMsgCount()) return DeleteAll();
        if (rows.empty()) return kDone;
        const std::vector<int> marked = SelectedRows();
        Model().DeleteRows(rows);
        RowsDeleted(marked, -1);
        TellWriteFailure();
        return kDone;
    }

    uint32_t DeleteAll() override {
        Model().DeleteAll();
        SelectRow(-1, false);
        ListView_SetItemCountEx(m_hList, 0, 0);
        Show(true);
        ::InvalidateRect(m_hList, nullptr, TRUE);
        TellWriteFailure();
        return kDone;
    }

    // Marks the message with this serial number, wherever it is now.
    uint32_t SetImageOfSerial(int32_t serial, int image) override {
        const ptrdiff_t pos = Model().FindSerial(serial);
        return pos < 0 ? kNoObject : SetMsgImage(static_cast<int>(pos), image);
    }

    uint32_t ApplyRetention() override {
        const nuntio::RetentionResult r = Model().ApplyRetention(nuntio::Now());
        RowsRemovedAtBottom(static_cast<int>(r.removed));
        TellWriteFailure();
        return r.code;
    }

    size_t CountRetention(uint8_t keepMode, int32_t keepLimit) const override {
        return Model().CountRetention(keepMode, keepLimit, nuntio::Now());
    }

    std::unique_ptr<nuntio::IFoundMessages> SearchMessages(const std::string& keyword) const override {
        return std::make_unique<nuntio::CFoundMessages<T>>(Model().Messages(), keyword);
    }

    int RowImage(int pos) const override { return Model().RowImage(pos); }
    std::string RowText(int pos, int slot) const override { return Model().RowText(pos, slot); }
    bool MatchMessage(const std::string& text, int pos) const override {
        return Model().MatchMessage(text, pos) != 0;
    }

    uint32_t Close() override {
        const uint32_t r = CMsgCategory::Close();
        Model().Discard();
        return r;
    }

    void Abandon() override { Model().Abandon(); }

protected:
    nuntio::CMsgListModel<T>& Model() { return this->m_model; }
    const nuntio::CMsgListModel<T>& Model() const { return this->m_model; }

    // The notification's own object: it takes a serial number as a listed
    // message does, and is not kept.
    void TakeNotificationSerial(const InboundMessage& message) { Model().MakeObject(message, nuntio::Now()); }

    // A new message at the top of the model (serial number, icon, the alert
    // below marked earlier, retention, all durable before this returns) and
    // of the view.
    void AddToTop(const InboundMessage& message, bool select) {
        const nuntio::AddResult r = Model().AddMessage(message, nuntio::Now());
        RowInsertedAtTop(select);
        if (r.markedEarlier != 0) ListView_RedrawItems(m_hList, 1, 1);
        RowsRemovedAtBottom(static_cast<int>(r.retention.removed));
        TellWriteFailure();
    }

    void LoadMessages() override {
        nuntio::CategoryOpenResult r;
        Model().OpenMessages(*m_fs, nuntio::Now(), r);
        const std::string& path = m_config.m_strMsgFile;
        const auto name = FileName;
        const std::string dat = name(path);
        const std::string journal = dat + ".journal";
        const nuntio::JournalOpenResult& j = r.journal;
        if (r.messages.damaged()) {
            AddNotice("消息文件 " + path + " 已损坏，读出" + std::to_string(r.messages.loaded) + "条消息" +
                      (r.messages.keptAsidePath.empty()
                           ? "，原文件未被覆盖。"
                           : "，原文件另存为 " + r.messages.keptAsidePath + "。"));
        }
        if (j.mode == nuntio::StoreMode::kShared) {
            AddNotice("另一个程序正在使用 " + dat + "，本次的消息和更改不会保存。");
            return;
        }
        // The journal's sentences name files of the user's own folder.
        if (j.damaged) {
            AddNotice("更改记录 " + journal + " 已损坏，恢复了其中" + std::to_string(j.replayed) + "项更改" +
                      (j.keptAsidePath.empty() ? "。" : "，原记录另存为 " + name(j.keptAsidePath) + "。"));
        } else if (j.replayed > 0) {
            AddNotice("上次未正常退出，已恢复" + std::to_string(j.replayed) + "项更改。");
        }
        if (j.stale)
            AddNotice("更改记录 " + journal + " 早于消息文件，其中的更改已在文件中，未再使用" +
                      (j.staleKeptPath.empty() ? "。" : "，另存为 " + name(j.staleKeptPath) + "。"));
        if (j.unreadable)
            AddNotice("更改记录 " + journal + " 过大，无法读取，其中的更改未恢复" +
                      (j.unreadableKeptPath.empty() ? "，文件保持原样。"
                                                    : "，原记录另存为 " + name(j.unreadableKeptPath) + "。"));
        if (j.pendingReplayed > 0)
            AddNotice("已并入消息文件无法读取时保存的" + std::to_string(j.pendingReplayed) + "项更改。");
        if (j.pendingDamaged)
            AddNotice("暂存的更改 " + dat + ".pending 已损坏或无法读取" +
                      (j.pendingKeptPath.empty() ? "。" : "，另存为 " + name(j.pendingKeptPath) + "。"));
        const bool kept = j.mode == nuntio::StoreMode::kJournal;
        if (r.partial) {
            // Short enough for the status bar of a window of the usual width.
            AddNotice("消息文件 " + dat + " " + UnreadReason(r.unreadBecause) +
                      "：原有消息暂不显示，文件不会改动；" +
                      (kept ? "新消息另存，下次启动时一并显示。" : "本次的新消息不会保存。"));
        } else if (j.mode == nuntio::StoreMode::kMemoryOnly) {
            AddNotice(j.exitSaveLikely ? "无法写入 " + journal + "，本次的消息和更改只在正常退出时保存。"
                                       : "无法写入文件夹 " + path.substr(0, path.size() - dat.size()) +
                                             "，本次的消息和更改不会保存。");
        }
    }

    static std::string UnreadReason(nuntio::ReadStatus why) {
        switch (why) {
        case nuntio::ReadStatus::kBusy: return "被其他程序占用";
        case nuntio::ReadStatus::kTooLarge: return "过大，无法读取";
        case nuntio::ReadStatus::kOk: return "内存不足，无法读取";
        default: return "无法读取";
        }
    }

    bool SaveMessages() override { return Model().SaveMessages(nuntio::Now()); }
    bool SharesStore() const override { return Model().Mode() == nuntio::StoreMode::kShared; }

    static std::string FileName(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

    // A change could not be made durable: say so once, without stopping the user.
    void TellWriteFailure() {
        if (!Model().TakeWriteFailure()) return;
        const std::string target =
            FileName(m_config.m_strMsgFile) + (Model().Partial() ? ".pending" : ".journal");
        ReportNotice("无法写入 " + target + "（磁盘已满或只读）：新消息和更改暂存内存，" +
                     (Model().Partial() ? "退出后不会保留。" : "稍后和退出时再试保存。"));
    }
};

} // namespace nuntio
