// The column dialog's lists: what opens hidden and shown in which order, the
// moves between and within them (and the rows that refuse one), and the
// positions the category takes back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "column_arrangement.h"

using namespace nuntio;

namespace {

using Names = std::vector<std::string>;
const Names kNames = {"", "time", "win", "mod", "code", "text"};

// One user action: Show (S) or Hide (H) a row, show all (A), hide all (N),
// Up (U) or Down (D) a shown row; and whether it should move anything.
struct Op {
    char what;
    int row;
    bool moves;
};

bool Do(ColumnArrangement& c, const Op& op) {
    switch (op.what) {
    case 'S': return c.Show(op.row);
    case 'H': return c.Hide(op.row);
    case 'A': c.ShowAll(); return true;
    case 'N': c.HideAll(); return true;
    case 'U': return c.Shift(op.row, -1);
    case 'D': return c.Shift(op.row, 1);
    default: return false;
    }
}

// The names of the slots, in a line.
std::string NamesOf(const ColumnArrangement& c, const std::vector<int>& slots) {
    std::string out;
    for (int slot : slots)
        out += (out.empty() ? "" : " ") + c.Name(slot);
    return out;
}

} // namespace

TEST(ColumnArrangement, OpensInOrderMovesReachThePositionsAndRowsThatDoNotExistMoveNothing) {
    const struct {
        std::vector<int32_t> positions;
        std::vector<Op> ops;
        std::string hidden, shown;
        std::vector<int32_t> after;
        Names names = kNames;
    } cases[] = {
        // Opening: the hidden in slot order, the shown by position, renumbered.
        {{0, 1, 2, 3, 4, 5}, {}, "", "time win mod code text", {0, 1, 2, 3, 4, 5}},
        // a column dragged to the front
        {{0, 3, 1, 2, 4, 5}, {}, "", "win mod time code text", {0, 3, 1, 2, 4, 5}},
        // hidden ones, gaps and a tie (slot order)
        {{0, -1, 9, -1, 4, 4}, {}, "time mod", "code text win", {0, -1, 3, -1, 1, 2}},
        // the icon column dragged away comes back first, and is never offered
        {{2, 0, 1, 3, 4, -1}, {}, "text", "time win mod code", {0, 1, 2, 3, 4, -1}},
        // all hidden
        {{0, -1, -1, -1, -1, -1}, {}, "time win mod code text", "", {0, -1, -1, -1, -1, -1}},
        // fewer positions than names: only the slots that have both
        {{0, 1, -1}, {}, "win", "time", {0, 1, -1}},
        // no slots
        {{}, {}, "", "", {}, {}},
        // Moves: a hidden column added lands right after the icon column.
        {{0, 1, 2, 3, 4, -1}, {{'S', 0, true}}, "", "text time win mod code", {0, 2, 3, 4, 5, 1}},
        // removed ones go to the top of the hidden list; one added back
        {{0, 1, 2, 3, 4, 5},
         {{'H', 3, true}, {'H', 2, true}, {'S', 1, true}},
         "mod",
         "code time win text",
         {0, 2, 3, -1, 1, 4}},
        // hide all, then show all: each list keeps its order
        {{0, 2, 1, -1, 3, -1},
         {{'N', 0, true}, {'A', 0, true}},
         "",
         "mod text win time code",
         {0, 4, 3, 1, 5, 2}},
        // up and down stop at the ends
        {{0, 1, 2, 3, 4, 5},
         {{'U', 0, false}, {'D', 0, true}, {'D', 1, true}, {'D', 4, false}, {'U', 4, true}},
         "",
         "win mod time text code",
         {0, 3, 1, 2, 5, 4}},
        // no such row
        {{0, 1, 2, 3, 4, 5},
         {{'S', 0, false}, {'H', 5, false}, {'H', -1, false}, {'U', -1, false}, {'D', 7, false}},
         "",
         "time win mod code text",
         {0, 1, 2, 3, 4, 5}},
        // a column is known by its heading: twins share the last place, or hiding
        {{0, 1, 2, 3}, {}, "", "code time code", {0, 3, 2, 3}, {"", "code", "time", "code"}},
        {{0, 1, 2, 3}, {{'H', 0, true}}, "code", "time code", {0, -1, 1, -1}, {"", "code", "time", "code"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.positions) + " " + c.shown);
        ColumnArrangement columns(c.names, c.positions);
        for (const Op& op : c.ops)
            EXPECT_EQ(Do(columns, op), op.moves) << op.what << op.row;
        EXPECT_EQ(NamesOf(columns, columns.Hidden()), c.hidden);
        EXPECT_EQ(NamesOf(columns, columns.Shown()), c.shown);
        EXPECT_EQ(columns.Positions(), c.after);
    }
}
