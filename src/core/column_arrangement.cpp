// The column dialog's lists and the positions they give.
#include "column_arrangement.h"

#include <algorithm>

namespace nuntio {

ColumnArrangement::ColumnArrangement(std::span<const std::string> names, std::span<const int32_t> positions)
    : m_names(names.begin(), names.begin() + std::min(names.size(), positions.size())) {
    const int slots = static_cast<int>(m_names.size());
    for (int slot = 1; slot < slots; ++slot)
        (positions[static_cast<size_t>(slot)] == -1 ? m_hidden : m_shown).push_back(slot);
    std::stable_sort(m_shown.begin(), m_shown.end(), [positions](int a, int b) {
        return positions[static_cast<size_t>(a)] < positions[static_cast<size_t>(b)];
    });
}

bool ColumnArrangement::Move(std::vector<int>& from, std::vector<int>& to, int row) {
    if (row < 0 || static_cast<size_t>(row) >= from.size()) return false;
    const auto at = from.begin() + row;
    to.insert(to.begin(), *at);
    from.erase(at);
    return true;
}

void ColumnArrangement::MoveAll(std::vector<int>& from, std::vector<int>& to) {
    to.insert(to.end(), from.begin(), from.end());
    from.clear();
}

bool ColumnArrangement::Shift(int shownRow, int delta) {
    const int target = shownRow + delta;
    const int rows = static_cast<int>(m_shown.size());
    if (shownRow < 0 || shownRow >= rows || target < 0 || target >= rows) return false;
    const int slot = m_shown[static_cast<size_t>(shownRow)];
    m_shown.erase(m_shown.begin() + shownRow);
    m_shown.insert(m_shown.begin() + target, slot);
    return true;
}

std::vector<int32_t> ColumnArrangement::Positions() const {
    std::vector<int32_t> positions(m_names.size(), -1);
    if (positions.empty()) return positions;
    positions[0] = 0;
    for (size_t row = 0; row < m_shown.size(); ++row)
        for (size_t slot = 1; slot < m_names.size(); ++slot)
            if (m_names[slot] == Name(m_shown[row])) positions[slot] = static_cast<int32_t>(row) + 1;
    for (int hidden : m_hidden)
        for (size_t slot = 1; slot < m_names.size(); ++slot)
            if (m_names[slot] == Name(hidden)) positions[slot] = -1;
    return positions;
}

} // namespace nuntio
