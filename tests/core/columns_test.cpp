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
const Names kNames = {"", "时间", "窗口", "模块", "代码", "内容"};

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

Names NamesOf(const ColumnArrangement& c, const std::vector<int>& slots) {
    Names out;
    for (int slot : slots)
        out.push_back(c.Name(slot));
    return out;
}

struct Case {
    const char* name;
    std::vector<int32_t> positions;
    std::vector<Op> ops;
    Names hidden, shown;
    std::vector<int32_t> after;
    Names names = kNames;
};

void Check(const Case& c) {
    SCOPED_TRACE(c.name);
    ColumnArrangement columns(c.names, c.positions);
    for (const Op& op : c.ops)
        EXPECT_EQ(Do(columns, op), op.moves) << op.what << op.row;
    EXPECT_EQ(NamesOf(columns, columns.Hidden()), c.hidden);
    EXPECT_EQ(NamesOf(columns, columns.Shown()), c.shown);
    EXPECT_EQ(columns.Positions(), c.after);
}

} // namespace

TEST(ColumnArrangement, OpensWithTheHiddenInSlotOrderAndTheShownByPositionAndRenumbersThem) {
    const Case cases[] = {
        {"as stored",
         {0, 1, 2, 3, 4, 5},
         {},
         {},
         {"时间", "窗口", "模块", "代码", "内容"},
         {0, 1, 2, 3, 4, 5}},
        {"a column dragged to the front",
         {0, 3, 1, 2, 4, 5},
         {},
         {},
         {"窗口", "模块", "时间", "代码", "内容"},
         {0, 3, 1, 2, 4, 5}},
        {"hidden ones, gaps and a tie (slot order)",
         {0, -1, 9, -1, 4, 4},
         {},
         {"时间", "模块"},
         {"代码", "内容", "窗口"},
         {0, -1, 3, -1, 1, 2}},
        {"the icon column dragged away comes back first, and is never offered",
         {2, 0, 1, 3, 4, -1},
         {},
         {"内容"},
         {"时间", "窗口", "模块", "代码"},
         {0, 1, 2, 3, 4, -1}},
        {"all hidden",
         {0, -1, -1, -1, -1, -1},
         {},
         {"时间", "窗口", "模块", "代码", "内容"},
         {},
         {0, -1, -1, -1, -1, -1}},
        {"fewer positions than names: only the slots that have both",
         {0, 1, -1},
         {},
         {"窗口"},
         {"时间"},
         {0, 1, -1}},
        {"no slots", {}, {}, {}, {}, {}, {}},
    };
    for (const Case& c : cases)
        Check(c);
}

TEST(ColumnArrangement, MovesReachThePositionsAndRowsThatDoNotExistMoveNothing) {
    const Case cases[] = {
        {"a hidden column added lands right after the icon column",
         {0, 1, 2, 3, 4, -1},
         {{'S', 0, true}},
         {},
         {"内容", "时间", "窗口", "模块", "代码"},
         {0, 2, 3, 4, 5, 1}},
        {"removed ones go to the top of the hidden list; one added back",
         {0, 1, 2, 3, 4, 5},
         {{'H', 3, true}, {'H', 2, true}, {'S', 1, true}},
         {"模块"},
         {"代码", "时间", "窗口", "内容"},
         {0, 2, 3, -1, 1, 4}},
        {"hide all, then show all: each list keeps its order",
         {0, 2, 1, -1, 3, -1},
         {{'N', 0, true}, {'A', 0, true}},
         {},
         {"模块", "内容", "窗口", "时间", "代码"},
         {0, 4, 3, 1, 5, 2}},
        {"up and down stop at the ends",
         {0, 1, 2, 3, 4, 5},
         {{'U', 0, false}, {'D', 0, true}, {'D', 1, true}, {'D', 4, false}, {'U', 4, true}},
         {},
         {"窗口", "模块", "时间", "内容", "代码"},
         {0, 3, 1, 2, 5, 4}},
        {"no such row",
         {0, 1, 2, 3, 4, 5},
         {{'S', 0, false}, {'H', 5, false}, {'H', -1, false}, {'U', -1, false}, {'D', 7, false}},
         {},
         {"时间", "窗口", "模块", "代码", "内容"},
         {0, 1, 2, 3, 4, 5}},
        {"a column is known by its heading: twins share the last place, or hiding",
         {0, 1, 2, 3},
         {},
         {},
         {"代码", "时间", "代码"},
         {0, 3, 2, 3},
         {"", "代码", "时间", "代码"}},
        {"twins, one hidden",
         {0, 1, 2, 3},
         {{'H', 0, true}},
         {"代码"},
         {"时间", "代码"},
         {0, -1, 1, -1},
         {"", "代码", "时间", "代码"}},
    };
    for (const Case& c : cases)
        Check(c);
}
