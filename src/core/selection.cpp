// The selection's moves and the font's zoom steps.
#include "selection.h"

#include <algorithm>

namespace nuntio {

SelectionMove AfterInsertAtTop(const std::vector<int>& selected, bool selectNew) {
    SelectionMove m;
    for (size_t i = 0; i < selected.size(); ++i) {
        const int row = selected[i];
        if (i == 0 || selected[i - 1] != row - 1) m.off.push_back(row);
        if (i + 1 == selected.size() || selected[i + 1] != row + 1) m.on.push_back(row + 1);
    }
    if (selectNew) {
        // Row 0 keeps its mark when it had one: the new row takes its place.
        if (!m.off.empty() && m.off.front() == 0)
            m.off.erase(m.off.begin());
        else
            m.on.insert(m.on.begin(), 0);
    }
    if (selectNew) m.after.push_back(0);
    for (int row : selected)
        m.after.push_back(row + 1);
    return m;
}

int32_t ZoomedHeight(int32_t height, bool enlarge) {
    if (enlarge) return height > 0 ? height + 1 : height - 1;
    if (height > 0) return height - 1 == 0 ? 1 : height - 1;
    return height + 1 == 0 ? -1 : height + 1;
}

} // namespace nuntio
