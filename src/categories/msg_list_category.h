// The half of a category that depends on its message class: the message list
// (newest first), its file, retention, and the row operations on it.
#pragma once

#include <algorithm>

#include "categories/msg_category.h"
#include "core/local_time.h"
#include "core/msg_file.h"
#include "core/msg_list.h"
#include "core/msg_text.h"
#include "core/retention.h"

template <class T>
class CMsgListCategory : public CMsgCategory {
public:
    int GetMsgCount() const override { return static_cast<int>(m_messages.GetCount()); }
    T* GetMsgAt(int pos) const { return m_messages.GetAt(pos); }

    int32_t GetMsgSerial(int pos) const override {
        const T* msg = GetMsgAt(pos);
        return msg != nullptr ? msg->m_nSerial : static_cast<int32_t>(kBadPosition);
    }

    uint32_t GetMsgImage(int pos) const override {
        if (pos < 0) return kBadPosition;
        if (m_messages.IsEmpty()) return kListEmpty;
        const T* msg = GetMsgAt(pos);
        if (msg == nullptr) return kBadPosition;
        return static_cast<uint32_t>(msg->m_nImage);
    }

    uint32_t SetMsgImage(int pos, int image) override {
        if (pos < 0) return kBadPosition;
        T* msg = GetMsgAt(pos);
        if (msg == nullptr) return kDone;
        msg->m_nImage = image;
        ListView_RedrawItems(m_hList, pos, pos);
        return kDone;
    }

    uint32_t DeleteAt(int pos) override {
        if (pos < 0) return kBadPosition;
        if (!m_messages.RemoveAt(static_cast<size_t>(pos))) return kDone;
        RowRemovedAt(pos);
        Show(true);
        ::InvalidateRect(m_hList, nullptr, TRUE);
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
        m_messages.RemoveAll();
        ListView_SetItemState(m_hList, -1, 0, LVIS_SELECTED);
        ListView_SetItemCountEx(m_hList, 0, 0);
        Show(true);
        ::InvalidateRect(m_hList, nullptr, TRUE);
        return kDone;
    }

    uint32_t ApplyRetention() override {
        const nuntio::RetentionResult r =
            nuntio::ApplyRetention(m_messages, m_config.m_nKeepMode, m_config.m_nKeepLimit, nuntio::Now());
        RowsRemovedAtBottom(static_cast<int>(r.removed));
        return r.code;
    }

    int RowImage(int pos) const override {
        const T* msg = GetMsgAt(pos);
        return msg != nullptr ? nuntio::RowImageOf(*msg) : 0;
    }

    std::string RowText(int pos, int slot) const override {
        const T* msg = GetMsgAt(pos);
        return msg != nullptr ? nuntio::RowText(*msg, slot) : std::string();
    }

    bool MatchMessage(const std::string& text, int pos) const override {
        const T* msg = GetMsgAt(pos);
        return msg != nullptr && nuntio::MatchMessage(*msg, text);
    }

    uint32_t Close() override {
        uint32_t r = CMsgCategory::Close();
        m_messages.RemoveAll();
        return r;
    }

protected:
    // Makes a new object from the record: the serial number from the
    // configuration's counter, icon 0, the arrival time, the record bytes.
    std::unique_ptr<T> MakeMessage(const InboundMessage& message) {
        auto msg = std::make_unique<T>();
        msg->Fill(message, m_config.m_nNextSerial, static_cast<int32_t>(nuntio::Now()));
        return msg;
    }

    // Puts the object at the top of the list and the view.
    void InsertTop(std::unique_ptr<T> msg, bool select) {
        m_messages.AddHead(std::move(msg));
        RowInsertedAtTop(select);
    }

    void LoadMessages() override {
        m_file = std::make_unique<nuntio::CMsgFile>(nuntio::PlatformFileSystem(), m_config.m_strMsgFile);
        m_file->EnsureExists();
        const nuntio::MsgLoadResult r = m_file->Load(m_messages, nuntio::Now());
        if (r.damaged()) {
            m_strStartupNotice =
                "消息文件 " + m_file->Path() + " 已损坏，读出" + std::to_string(r.loaded) + "条消息";
            m_strStartupNotice +=
                r.keptAsidePath.empty() ? "，原文件未被覆盖。" : "，原文件另存为 " + r.keptAsidePath + "。";
        }
    }

    void SaveMessages() override {
        if (!m_file)
            m_file = std::make_unique<nuntio::CMsgFile>(nuntio::PlatformFileSystem(), m_config.m_strMsgFile);
        m_file->Save(m_messages, nuntio::Now());
    }

    CMsgList<T> m_messages;
    std::unique_ptr<nuntio::CMsgFile> m_file;
};
