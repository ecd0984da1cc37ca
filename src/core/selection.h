// How a list's selection moves when rows come and go, and how the list's font
// grows and shrinks. The list view keeps its selection by row number, so when
// a row is inserted above or removed the marks must be moved; each mark
// changed costs the view a notification, so only the rows whose state changes
// are named: of a run of selected rows that moves down one, only its first
// loses its mark and the row after its last gains one.
#pragma once

#include <cstdint>
#include <vector>

namespace nuntio {

struct SelectionMove {
    std::vector<int> off;   // rows that lose their mark
    std::vector<int> on;    // rows that gain one
    std::vector<int> after; // the selected rows afterwards, ascending
};

// A row was inserted at the top: every selected row (ascending) moves down
// one; selectNew marks the new row 0 as well.
SelectionMove AfterInsertAtTop(const std::vector<int>& selected, bool selectNew);

// The next height of a font description's lfHeight one step larger or
// smaller: the magnitude changes by one and never reaches 0, whichever sign
// (pixels of the cell or of the character) the height has.
int32_t ZoomedHeight(int32_t height, bool enlarge);

} // namespace nuntio
