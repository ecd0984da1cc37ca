// The column dialog's two lists over a category's column slots: the hidden
// columns in slot order, the shown ones in display order, the moves between
// and within them, and the positions they come to. Slot 0, the icon column,
// is never offered and always stays first.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace nuntio {

class ColumnArrangement {
public:
    // One name and one position (its place in the list's header, -1 hidden)
    // per slot in use (the slots that have both). Shown slots come by ascending position, equal
    // positions in slot order, gaps skipped.
    ColumnArrangement(std::span<const std::string> names, std::span<const int32_t> positions);

    // The slots of each list, top to bottom.
    const std::vector<int>& Hidden() const { return m_hidden; }
    const std::vector<int>& Shown() const { return m_shown; }
    const std::string& Name(int slot) const { return m_names[static_cast<size_t>(slot)]; }

    // The column at that row goes to the top of the other list; false when
    // there is no such row.
    bool Show(int hiddenRow) { return Move(m_hidden, m_shown, hiddenRow); }
    bool Hide(int shownRow) { return Move(m_shown, m_hidden, shownRow); }
    // Every column of one list goes to the end of the other, in its order.
    void ShowAll() { MoveAll(m_hidden, m_shown); }
    void HideAll() { MoveAll(m_shown, m_hidden); }
    // The shown column at that row moves up (delta -1) or down (1) past its
    // neighbour; false when there is no such row or neighbour.
    bool Shift(int shownRow, int delta);

    // The positions per slot: 0 for the icon column, 1, 2, ... for the shown
    // ones in display order, -1 for the hidden ones. A column is known by its
    // heading: columns that share one all take the place of the last of them
    // in the shown list, and are hidden when one of them is.
    std::vector<int32_t> Positions() const;

private:
    static bool Move(std::vector<int>& from, std::vector<int>& to, int row);
    static void MoveAll(std::vector<int>& from, std::vector<int>& to);

    std::vector<std::string> m_names;
    std::vector<int> m_hidden;
    std::vector<int> m_shown;
};

} // namespace nuntio
