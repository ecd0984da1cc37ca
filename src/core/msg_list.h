// A category's message list: newest first, owning its objects. Insertion at
// the top and removal at the bottom are O(1); positions index directly.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <vector>

namespace nuntio {

template <class T>
class CMsgList {
public:
    using Ptr = std::unique_ptr<T>;

    size_t GetCount() const { return m_items.size(); }
    bool IsEmpty() const { return m_items.empty(); }

    // Null for a position outside the list.
    T* GetAt(ptrdiff_t pos) const {
        return pos >= 0 && static_cast<size_t>(pos) < m_items.size() ? m_items[static_cast<size_t>(pos)].get()
                                                                     : nullptr;
    }
    T* GetHead() const { return m_items.empty() ? nullptr : m_items.front().get(); }
    T* GetTail() const { return m_items.empty() ? nullptr : m_items.back().get(); }

    void AddHead(Ptr obj) { m_items.push_front(std::move(obj)); }
    void AddTail(Ptr obj) { m_items.push_back(std::move(obj)); }
    // Destroys the element at pos; false when there is none.
    bool RemoveAt(size_t pos) {
        if (pos >= m_items.size()) return false;
        m_items.erase(m_items.begin() + static_cast<ptrdiff_t>(pos));
        return true;
    }
    // Destroys the oldest element; false when the list is empty.
    bool RemoveTail() {
        if (m_items.empty()) return false;
        m_items.pop_back();
        return true;
    }
    void RemoveAll() { m_items.clear(); }
    // Destroys the elements at the given ascending positions, moving each
    // survivor at most once: removing many rows costs one pass over the list
    // however many there are. A position past the end, or not above the one
    // before it, is ignored. Returns how many were removed.
    size_t RemoveSorted(const std::vector<size_t>& positions) {
        const size_t count = m_items.size();
        if (positions.empty() || positions.front() >= count) return 0;
        size_t k = 0;
        size_t write = positions.front();
        for (size_t read = write; read < count; ++read) {
            while (k < positions.size() && positions[k] < read)
                ++k;
            if (k < positions.size() && positions[k] == read) {
                m_items[read].reset();
                continue;
            }
            if (write != read) m_items[write] = std::move(m_items[read]);
            ++write;
        }
        const size_t removed = count - write;
        m_items.erase(m_items.begin() + static_cast<ptrdiff_t>(write), m_items.end());
        return removed;
    }

    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

private:
    std::deque<Ptr> m_items;
};

} // namespace nuntio
