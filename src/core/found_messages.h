// The results of a search in one category: a copy of each message found, so
// that a result keeps its texts when its message is deleted meanwhile, and the
// way from a result back to where its message stands in the list now, found
// by serial number and arrival time whatever order the serials have (they
// come round again after the highest one).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "msg_list.h"
#include "msg_text.h"

namespace nuntio {

// What the find window reads of a search, whatever kind of message it was.
class IFoundMessages {
public:
    virtual ~IFoundMessages() = default;
    virtual size_t GetCount() const = 0;
    // False when memory ran out part way: the results hold what was found until then.
    virtual bool Complete() const = 0;
    // Where the row's message stands in its list now; -1 once it is gone
    // (deleted, or dropped by retention). A message gone stays gone.
    virtual ptrdiff_t Locate(size_t row) = 0;
    // The row's icon: the message's own while it is listed, else the one it
    // had when it was found.
    virtual int RowImage(size_t row) = 0;
    // The text of a column slot as the message had it when it was found (a
    // message's texts never change).
    virtual std::string RowText(size_t row, int slot) const = 0;
};

template <class T>
class CFoundMessages final : public IFoundMessages {
public:
    // Searches list, newest first, for every message whose searched fields
    // hold keyword. The list must outlive the results.
    CFoundMessages(const CMsgList<T>& list, std::string_view keyword) : m_list(list) {
        if (keyword.empty()) return;
        try {
            ptrdiff_t pos = 0;
            for (const auto& m : list) {
                if (MatchMessage(*m, keyword)) m_rows.push_back(Row{*m, pos, false});
                ++pos;
            }
        } catch (const std::bad_alloc&) {
            m_complete = false;
        }
    }

    size_t GetCount() const override { return m_rows.size(); }
    bool Complete() const override { return m_complete; }

    ptrdiff_t Locate(size_t row) override {
        if (row >= m_rows.size()) return -1;
        Row& r = m_rows[row];
        if (r.gone) return -1;
        if (Same(m_list.GetAt(r.pos), r.copy)) return r.pos;
        // The list changed since the positions were last right: every row is
        // looked up again at once, so that the next rows cost one comparison.
        if (!Reindex()) r.pos = LinearSearch(r.copy);
        if (r.pos < 0) r.gone = true;
        return r.gone ? -1 : r.pos;
    }

    int RowImage(size_t row) override {
        if (row >= m_rows.size()) return 0;
        const ptrdiff_t pos = Locate(row);
        return pos >= 0 ? RowImageOf(*m_list.GetAt(pos)) : RowImageOf(m_rows[row].copy);
    }

    std::string RowText(size_t row, int slot) const override {
        return row < m_rows.size() ? nuntio::RowText(m_rows[row].copy, slot) : std::string();
    }

private:
    struct Row {
        T copy;
        ptrdiff_t pos; // where it stood when last looked up
        bool gone;
    };
    using Key = std::pair<int32_t, int32_t>; // serial number, arrival time

    static Key KeyOf(const T& m) { return {m.m_nSerial, m.m_tArrived}; }
    static bool Same(const T* m, const T& copy) { return m != nullptr && KeyOf(*m) == KeyOf(copy); }

    // Sets the position of every row still listed and marks the others gone;
    // false when there was no memory for the index.
    bool Reindex() {
        std::vector<std::pair<Key, ptrdiff_t>> index;
        try {
            index.reserve(m_list.GetCount());
        } catch (const std::bad_alloc&) {
            return false;
        }
        ptrdiff_t pos = 0;
        for (const auto& m : m_list)
            index.emplace_back(KeyOf(*m), pos++);
        std::sort(index.begin(), index.end());
        for (Row& r : m_rows) {
            if (r.gone) continue;
            const Key key = KeyOf(r.copy);
            const auto it = std::lower_bound(index.begin(), index.end(), key,
                                             [](const auto& entry, const Key& k) { return entry.first < k; });
            if (it != index.end() && it->first == key)
                r.pos = it->second;
            else
                r.gone = true;
        }
        return true;
    }

    ptrdiff_t LinearSearch(const T& copy) const {
        ptrdiff_t pos = 0;
        for (const auto& m : m_list) {
            if (Same(m.get(), copy)) return pos;
            ++pos;
        }
        return -1;
    }

    const CMsgList<T>& m_list;
    std::deque<Row> m_rows;
    bool m_complete = true;
};

} // namespace nuntio
