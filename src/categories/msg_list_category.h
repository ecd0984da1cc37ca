// The half of a category that depends on its message class. The messages,
// their file and journal, serial numbers, icons and retention are the
// category model's (core/msg_model.h); this half keeps the list view in step
// with it: the view is virtual, so row i shows the model's message i.
#pragma once

#include "categories/msg_category.h"
#include "core/local_time.h"
#include "core/msg_model.h"

// Holds the model ahead of CMsgCategory in the object, so that the category
// can refer to the model's configuration from its construction on.
template <class T>
struct CMsgModelHolder {
    nuntio::CMsgListModel<T> m_model{nuntio::CConfigDoc{}};
};

template <class T>
class CMsgListCategory : private CMsgModelHolder<T>, public CMsgCategory {
public:
    CMsgListCategory() : CMsgModelHolder<T>(), CMsgCategory(this->m_model.Config()) {}

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

    uint32_t DeleteAt(int pos) override {
        if (pos < 0) return kBadPosition;
        if (Model().DeleteAt(pos) != kDone) return kDone;
        RowRemovedAt(pos);
        Show(true);
        ::InvalidateRect(m_hList, nullptr, TRUE);
        TellWriteFailure();
        return kDone;
    }

    uint32_t DeleteSelected() override {
        int last = -1;
        int pos;
        while ((pos = ListView_GetNextItem(m_hList, -1, LVNI_SELECTED)) != -1) {
            DeleteAt(pos);
            last = pos;
        }
        // The row that moved up into the last deleted place becomes selected.
        if (last >= 0 && last < GetMsgCount()) {
            SelectRow(last, true);
            ListView_SetItemState(m_hList, last, LVIS_FOCUSED, LVIS_FOCUSED);
        }
        Show(true);
        ::InvalidateRect(m_hList, nullptr, TRUE);
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

    uint32_t ApplyRetention() override {
        const nuntio::RetentionResult r = Model().ApplyRetention(nuntio::Now());
        RowsRemovedAtBottom(static_cast<int>(r.removed));
        TellWriteFailure();
        return r.code;
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
        Model().OpenMessages(nuntio::PlatformFileSystem(), nuntio::Now(), r);
        const std::string& path = m_config.m_strMsgFile;
        if (r.messages.damaged()) {
            AddNotice("消息文件 " + path + " 已损坏，读出" + std::to_string(r.messages.loaded) + "条消息" +
                      (r.messages.keptAsidePath.empty()
                           ? "，原文件未被覆盖。"
                           : "，原文件另存为 " + r.messages.keptAsidePath + "。"));
        }
        // The journal's sentences name files of the user's own folder.
        const auto name = FileName;
        const std::string journal = name(path) + ".journal";
        const nuntio::JournalOpenResult& j = r.journal;
        if (j.damaged) {
            AddNotice("更改记录 " + journal + " 已损坏，恢复了其中" + std::to_string(j.replayed) + "项更改" +
                      (j.keptAsidePath.empty() ? "。" : "，原记录另存为 " + name(j.keptAsidePath) + "。"));
        } else if (j.replayed > 0 && j.mode == nuntio::StoreMode::kJournal) {
            AddNotice("上次未正常退出，已恢复" + std::to_string(j.replayed) + "项更改。");
        }
        if (j.mode == nuntio::StoreMode::kShared)
            AddNotice("另一个程序正在使用 " + name(path) + "，本次的消息和更改不会保存。");
        else if (j.mode == nuntio::StoreMode::kMemoryOnly)
            AddNotice("无法写入 " + journal + "，消息只在正常退出时保存。");
    }

    bool SaveMessages() override { return Model().SaveMessages(nuntio::Now()); }
    bool SharesStore() const override { return Model().Mode() == nuntio::StoreMode::kShared; }

    static std::string FileName(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

    // A change could not be made durable: say so once, without stopping the user.
    void TellWriteFailure() {
        if (!Model().TakeWriteFailure()) return;
        ReportNotice("无法写入 " + FileName(m_config.m_strMsgFile) +
                     ".journal（磁盘已满或只读），新的消息要到正常退出时才能保存。");
    }
};
