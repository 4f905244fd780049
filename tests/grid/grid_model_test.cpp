#include "grid_test_support.h"
#include "support/grid_test_access.h"
#include "support/log_grid.h"

#include "platform/device_context.h"

#include <new>
#include <random>

using namespace test_colours;

namespace {

void AppendRow(CGridCtrl& grid, const std::string& text)
{
    const int n = grid.GetRowCount();
    grid.SetRowCount(n + 1);
    for (int c = 0; c < 4; ++c)
        grid.SetItemText(n, c, text + std::to_string(c));
    grid.AutoSizeColumns(0);
}

using Notifications = std::vector<std::pair<int, CGridCellId>>;

Notifications& Record(CGridCtrl& grid, Notifications& out)
{
    QObject::connect(&grid, &CGridCtrl::GridNotify, [&out](const CGridNotify& nm) {
        out.emplace_back(nm.code, CGridCellId(nm.row, nm.column));
    });
    return out;
}

} // namespace

TEST_F(GridTest, ConstructionSetsUpTheCountsAndTemplates)
{
    CGridCtrl grid(3, 2, 1, 1);
    EXPECT_EQ(grid.GetRowCount(), 3);
    EXPECT_EQ(grid.GetColumnCount(), 2);
    EXPECT_EQ(grid.GetFixedRowCount(), 1);
    EXPECT_EQ(grid.GetFixedColumnCount(), 1);
    EXPECT_EQ(grid.GetEmptyAreaColour(), kShadow);
    EXPECT_EQ(grid.GetGridLineColour(), RGB(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(grid.GetAutoSizeStyle(), 3);
    EXPECT_TRUE(grid.IsEditable());
    EXPECT_EQ(grid.GetWheelScrollLines(), QApplication::wheelScrollLines());
    EXPECT_EQ(grid.GetItemState(0, 0), static_cast<unsigned>(GRIDSTATE_FIXED | GRIDSTATE_FIXEDROW | GRIDSTATE_FIXEDCOL));
    EXPECT_EQ(grid.GetItemState(1, 0), static_cast<unsigned>(GRIDSTATE_FIXED | GRIDSTATE_FIXEDCOL));
    EXPECT_EQ(grid.GetItemState(1, 1), 0u);
    EXPECT_EQ(grid.GetFont(), grid.GetDefaultCell(false, false)->GetFontObject());
    ExpectConsistent(grid);
}

TEST_F(GridTest, InvariantsHoldThroughAnySequenceOfCountChanges)
{
    CGridCtrl grid;
    std::mt19937 rng(11);
    for (int step = 0; step < 120; ++step) {
        switch (rng() % 6) {
        case 0: grid.SetRowCount(static_cast<int>(rng() % 9)); break;
        case 1: grid.SetColumnCount(static_cast<int>(rng() % 6)); break;
        case 2: grid.SetFixedRowCount(static_cast<int>(rng() % 4)); break;
        case 3: grid.SetFixedColumnCount(static_cast<int>(rng() % 3)); break;
        case 4: {
            const int r = static_cast<int>(rng() % 9);
            const int c = static_cast<int>(rng() % 6);
            grid.SetItemText(r, c, std::string(rng() % 30, 'x'));
            break;
        }
        default: grid.AutoSizeColumns(static_cast<int>(rng() % 4)); break;
        }
        ASSERT_EQ(GridTestAccess::CheckIndexes(grid), "") << "step " << step;
        ASSERT_LE(grid.GetFixedRowCount(), grid.GetRowCount());
        ASSERT_LE(grid.GetFixedColumnCount(), grid.GetColumnCount());
        for (int r = 0; r < grid.GetRowCount(); ++r) {
            ASSERT_EQ(grid.GetRowHeight(r), grid.GetDefaultCell(false, false)->GetHeight());
            for (int c = 0; c < grid.GetColumnCount(); ++c)
                ASSERT_NE(grid.GetCell(r, c), nullptr);
        }
    }
}

TEST_F(GridTest, ClearingTheLogKeepsTheHeader)
{
    CGridCtrl grid;
    SetUpLogGrid(grid);
    for (int i = 0; i < 20; ++i)
        AppendRow(grid, "row" + std::to_string(i));
    grid.SetFocusCell(12, 2);
    ASSERT_EQ(grid.GetFocusCell(), CGridCellId(12, 2));
    ExpectConsistent(grid);

    EXPECT_TRUE(grid.SetRowCount(1));
    EXPECT_EQ(grid.GetRowCount(), 1);
    EXPECT_EQ(grid.GetFixedRowCount(), 1);
    EXPECT_EQ(grid.GetItemText(0, 3), "Description");
    EXPECT_EQ(grid.GetFocusCell(), CGridCellId());
    ExpectConsistent(grid);

    // The columns shrink back to their headers once sized again.
    grid.AutoSizeColumns(0);
    EXPECT_EQ(grid.GetColumnWidth(0), grid.GetCell(0, 0)->GetCellExtent(nullptr).cx);
    ExpectConsistent(grid);

    EXPECT_TRUE(grid.SetRowCount(0));
    EXPECT_EQ(grid.GetFixedRowCount(), 0);
    ExpectConsistent(grid);
}

TEST_F(GridTest, NewCellsTakeTheFormatOfTheCellAbove)
{
    CGridCtrl grid(1, 2);
    grid.GetCell(0, 0)->SetFormat(DT_RIGHT | DT_SINGLELINE);
    grid.SetRowCount(3);
    EXPECT_EQ(grid.GetItemFormat(1, 0), static_cast<unsigned>(DT_RIGHT | DT_SINGLELINE));
    EXPECT_EQ(grid.GetItemFormat(2, 0), static_cast<unsigned>(DT_RIGHT | DT_SINGLELINE));
    EXPECT_EQ(grid.GetItemFormat(2, 1), CGridDefaultCell::kDefaultFormat);

    // Row 0 keeps inheriting from its template; the rows below hold a copy.
    CGridDefaultCell* def = grid.GetDefaultCell(false, false);
    def->SetFormat(DT_CENTER);
    EXPECT_EQ(grid.GetItemFormat(0, 1), static_cast<unsigned>(DT_CENTER));
    EXPECT_EQ(grid.GetItemFormat(1, 1), CGridDefaultCell::kDefaultFormat);
    ExpectConsistent(grid);
}

TEST_F(GridTest, NewColumnsTakeTheFixedColumnWidthAndNewRowsTheNormalHeight)
{
    CGridCtrl grid;
    LOGFONT wide;
    wide.lfHeight = -30;
    grid.GetDefaultCell(false, true)->SetFont(&wide);
    LOGFONT small;
    small.lfHeight = -9;
    grid.GetDefaultCell(false, false)->SetFont(&small);
    grid.SetColumnCount(3);
    grid.SetRowCount(2);
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(grid.GetColumnWidth(c), grid.GetDefaultCell(false, true)->GetWidth());
    EXPECT_EQ(grid.GetRowHeight(1), grid.GetDefaultCell(false, false)->GetHeight());
    EXPECT_NE(grid.GetColumnWidth(0), grid.GetDefaultCell(false, false)->GetWidth());
    EXPECT_EQ(grid.GetRowHeight(2), -1);
    EXPECT_EQ(grid.GetColumnWidth(-1), -1);
    ExpectConsistent(grid);
}

TEST_F(GridTest, AccessorsRefuseCellsOutOfRange)
{
    CGridCtrl grid(2, 2);
    EXPECT_FALSE(grid.SetItemText(2, 0, "x"));
    EXPECT_FALSE(grid.SetItemText(0, -1, "x"));
    EXPECT_EQ(grid.GetItemText(5, 5), "");
    EXPECT_FALSE(grid.SetItemState(2, 0, GRIDSTATE_SELECTED));
    EXPECT_EQ(grid.GetSelectedCellRange(), CGridCellRange(2, 2, -1, -1));
    EXPECT_EQ(grid.GetItemState(-1, 0), 0u);
    EXPECT_EQ(grid.GetItemFormat(0, 2), 0u);
    EXPECT_FALSE(grid.SetItemBackColour(2, 2, 0));
    EXPECT_FALSE(grid.SetItemTextColour(2, 2, 0));
    EXPECT_EQ(grid.GetCell(2, 0), nullptr);
    EXPECT_TRUE(grid.SetItemText(1, 1, "ok"));
    EXPECT_EQ(grid.GetItemText(1, 1), "ok");

    EXPECT_TRUE(grid.IsValid(CGridCellRange(0, 0, 1, 1)));
    EXPECT_FALSE(grid.IsValid(CGridCellRange(1, 0, 0, 1)));
    EXPECT_FALSE(grid.IsValid(CGridCellRange(0, 0, 2, 1)));
    EXPECT_FALSE(grid.IsValid(CGridCellRange()));

    // Negative counts are refused and change nothing.
    EXPECT_FALSE(grid.SetRowCount(-1));
    EXPECT_FALSE(grid.SetColumnCount(-3));
    EXPECT_FALSE(grid.SetFixedRowCount(-1));
    EXPECT_EQ(grid.GetRowCount(), 2);
    ExpectConsistent(grid);
}

TEST_F(GridTest, FixingARowMarksItsCellsAndResetsTheirColours)
{
    CGridCtrl grid(3, 3);
    grid.SetFixedColumnCount(1);
    for (int c = 0; c < 3; ++c) {
        grid.SetItemBackColour(0, c, RGB(1, 2, 3));
        grid.SetItemTextColour(0, c, RGB(4, 5, 6));
    }
    grid.SetFixedRowCount(1);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(grid.GetCell(0, c)->GetBackColour(), CLR_DEFAULT);
        EXPECT_EQ(grid.GetCell(0, c)->GetTextColour(), CLR_DEFAULT);
        EXPECT_TRUE(grid.GetCell(0, c)->IsFixedRow());
    }
    EXPECT_EQ(grid.GetItemState(0, 0), static_cast<unsigned>(GRIDSTATE_FIXED | GRIDSTATE_FIXEDROW | GRIDSTATE_FIXEDCOL));
    ExpectConsistent(grid);

    grid.SetItemBackColour(0, 0, RGB(7, 7, 7));
    grid.SetItemBackColour(0, 1, RGB(7, 7, 7));
    grid.SetFixedRowCount(0);
    // In the fixed column the cell only stops being a row header; the others stop being fixed.
    EXPECT_EQ(grid.GetItemState(0, 0), static_cast<unsigned>(GRIDSTATE_FIXED | GRIDSTATE_FIXEDCOL));
    EXPECT_EQ(grid.GetCell(0, 0)->GetBackColour(), RGB(7, 7, 7));
    EXPECT_EQ(grid.GetItemState(0, 1), 0u);
    EXPECT_EQ(grid.GetCell(0, 1)->GetBackColour(), CLR_DEFAULT);
    ExpectConsistent(grid);

    // Columns mirror rows.
    grid.SetFixedRowCount(1);
    grid.SetItemTextColour(1, 0, RGB(9, 9, 9));
    grid.SetFixedColumnCount(0);
    EXPECT_EQ(grid.GetItemState(0, 0), static_cast<unsigned>(GRIDSTATE_FIXED | GRIDSTATE_FIXEDROW));
    EXPECT_EQ(grid.GetItemState(1, 0), 0u);
    EXPECT_EQ(grid.GetCell(1, 0)->GetTextColour(), CLR_DEFAULT);
    ExpectConsistent(grid);

    // More fixed rows than rows adds rows.
    grid.SetFixedRowCount(5);
    EXPECT_EQ(grid.GetRowCount(), 5);
    EXPECT_EQ(grid.GetFixedRowCount(), 5);
    grid.SetFixedColumnCount(4);
    EXPECT_EQ(grid.GetColumnCount(), 4);
    ExpectConsistent(grid);
}

TEST_F(GridTest, FocusAndSelectionFollowTheCounts)
{
    CGridCtrl grid(6, 3, 1, 0);
    Notifications notified;
    Record(grid, notified);

    // The focus is never on a header cell.
    EXPECT_EQ(grid.SetFocusCell(0, 0), CGridCellId());
    EXPECT_EQ(grid.GetFocusCell(), CGridCellId(1, 0));
    EXPECT_TRUE(grid.GetCell(1, 0)->IsFocused());
    grid.SetFocusCell(4, 2);
    EXPECT_FALSE(grid.GetCell(1, 0)->IsFocused());
    EXPECT_EQ(notified, (Notifications{{LVN_ITEMCHANGED, {1, 0}},
                                       {LVN_ITEMCHANGING, {1, 0}},
                                       {LVN_ITEMCHANGED, {4, 2}}}));

    grid.SetColumnCount(2);
    EXPECT_EQ(grid.GetFocusCell(), CGridCellId());
    grid.SetFocusCell(4, 1);
    grid.SetRowCount(5);
    EXPECT_EQ(grid.GetFocusCell(), CGridCellId(4, 1));
    grid.SetRowCount(4);
    EXPECT_EQ(grid.GetFocusCell(), CGridCellId());

    grid.SelectRange(0, 0, 2, 1, false, true);
    EXPECT_FALSE(grid.IsCellSelected(0, 0));
    EXPECT_TRUE(grid.IsCellSelected(1, 0));
    EXPECT_TRUE(grid.IsCellSelected(2, 1));
    EXPECT_EQ(grid.GetSelectedCellRange(), CGridCellRange(1, 0, 2, 1));
    grid.SetFocusCell(3, 0);
    grid.SetFixedRowCount(2);
    EXPECT_EQ(grid.GetSelectedCellRange(), CGridCellRange(4, 2, -1, -1));
    EXPECT_FALSE(grid.IsCellSelected(2, 1));
    EXPECT_EQ(grid.GetFocusCell(), CGridCellId());

    // SetItemState keeps the selected set in step with the state bit.
    grid.SetItemState(3, 1, GRIDSTATE_SELECTED);
    EXPECT_EQ(grid.GetSelectedCellRange(), CGridCellRange(3, 1, 3, 1));
    grid.SetItemState(3, 1, 0);
    EXPECT_FALSE(grid.IsValid(grid.GetSelectedCellRange()));

    // Destroying selected cells drops them from the set.
    grid.SelectAll();
    EXPECT_EQ(grid.GetSelectedCellRange(), CGridCellRange(2, 0, 3, 1));
    grid.SetRowCount(3);
    EXPECT_EQ(grid.GetSelectedCellRange(), CGridCellRange(2, 0, 2, 1));
    ExpectConsistent(grid);
}

namespace {

class NotACell : public CObject {
public:
    static const CRuntimeClass classNotACell;
};
const CRuntimeClass NotACell::classNotACell = {"NotACell", &CObject::classCObject,
                                               []() -> CObject* { return new NotACell; }};

// Runs out of memory when making the cell at a given position.
class StarvedGrid : public CGridCtrl {
public:
    CGridCellId failAt{-1, -1};
    CGridCellBase* CreateCell(int row, int column) override
    {
        if (CGridCellId(row, column) == failAt)
            throw std::bad_alloc();
        return CGridCtrl::CreateCell(row, column);
    }
};

} // namespace

TEST_F(GridTest, CellsAreMadeOnlyFromCellClasses)
{
    CGridCtrl grid;
    grid.SetCellClass(&NotACell::classNotACell);
    grid.SetRowCount(2);
    grid.SetColumnCount(2);
    EXPECT_EQ(grid.GetCell(1, 1), nullptr);
    EXPECT_EQ(grid.GetItemText(1, 1), "");
    EXPECT_FALSE(grid.SetItemText(1, 1, "x"));
    grid.SetCellClass(&CGridDefaultCell::classCGridDefaultCell);
    grid.SetRowCount(3);
    EXPECT_TRUE(grid.GetCell(2, 0)->IsKindOf(&CGridDefaultCell::classCGridDefaultCell));
    grid.SetCellClass(nullptr);
    grid.SetColumnCount(3);
    EXPECT_EQ(grid.GetCell(2, 2), nullptr);
    ExpectConsistent(grid);
}

TEST_F(GridTest, RunningOutOfMemoryKeepsWhatWasFinished)
{
    StarvedGrid grid;
    grid.SetColumnCount(3);
    grid.failAt = CGridCellId(4, 1);
    EXPECT_TRUE(grid.SetRowCount(10));
    EXPECT_EQ(grid.GetRowCount(), 4);
    EXPECT_EQ(messages, std::vector<std::string>{"Out of memory."});
    ExpectConsistent(grid);

    grid.failAt = CGridCellId(2, 4);
    EXPECT_FALSE(grid.SetColumnCount(6));
    EXPECT_EQ(grid.GetColumnCount(), 6);
    EXPECT_NE(grid.GetCell(1, 5), nullptr);
    EXPECT_EQ(grid.GetCell(2, 4), nullptr);
    EXPECT_EQ(grid.GetCell(3, 3), nullptr);
    EXPECT_EQ(messages.size(), 2u);
    ExpectConsistent(grid);

    grid.failAt = CGridCellId();
    EXPECT_TRUE(grid.SetRowCount(6));
    EXPECT_EQ(grid.GetRowCount(), 6);
    ExpectConsistent(grid);
}

TEST_F(GridTest, DeleteAllItemsEmptiesEverything)
{
    CGridCtrl grid(4, 3, 1, 1);
    grid.SetFocusCell(2, 2);
    grid.SelectAll();
    EXPECT_TRUE(grid.DeleteAllItems());
    EXPECT_EQ(grid.GetRowCount(), 0);
    EXPECT_EQ(grid.GetColumnCount(), 0);
    EXPECT_EQ(grid.GetFixedRowCount(), 0);
    EXPECT_EQ(grid.GetFixedColumnCount(), 0);
    EXPECT_EQ(grid.GetFocusCell(), CGridCellId());
    EXPECT_EQ(grid.GetTotalHeight(), 0);
    ExpectConsistent(grid);
    grid.SetRowCount(2);
    grid.SetColumnCount(2);
    ExpectConsistent(grid);
}

TEST_F(GridTest, ANewWindowFontBecomesEveryTemplatesFont)
{
    CGridCtrl grid(2, 2, 1, 0);
    grid.SetItemText(1, 0, "measure me");
    grid.AutoSizeColumns(0);
    const int before = grid.GetColumnWidth(0);
    QFont big("DejaVu Sans");
    big.setPixelSize(26);
    grid.setFont(big);
    for (bool fixedRow : {false, true}) {
        for (bool fixedColumn : {false, true})
            EXPECT_EQ(grid.GetDefaultCell(fixedRow, fixedColumn)->GetFont()->lfHeight, -26);
    }
    EXPECT_EQ(grid.GetFont()->Font().pixelSize(), 26);
    ExpectConsistent(grid);
    grid.AutoSizeColumns(0);
    EXPECT_GT(grid.GetColumnWidth(0), before);
    ExpectConsistent(grid);
}

TEST_F(GridTest, DeletingRowsMovesTheRestUpWithTheirSelectionAndFocus)
{
    CGridCtrl grid;
    SetUpLogGrid(grid);
    AppendRow(grid, "row1-");
    AppendRow(grid, std::string(60, 'w'));
    for (int r = 3; r <= 9; ++r)
        AppendRow(grid, "row" + std::to_string(r) + "-");
    const int wide = grid.GetColumnWidth(0);
    grid.SelectRange(6, 1, 7, 2, false, true);
    grid.SetFocusCell(7, 2);
    grid.SetItemText(5, 0, "measured later"); // waits in the queue of cells to measure

    EXPECT_FALSE(grid.DeleteRows(0, 1)) << "the header is not a scrolled row";
    EXPECT_FALSE(grid.DeleteRows(8, 3)) << "past the end";
    EXPECT_FALSE(grid.DeleteRows(1, -1));
    ASSERT_TRUE(grid.DeleteRows(1, 3));

    EXPECT_EQ(grid.GetRowCount(), 7);
    EXPECT_EQ(grid.GetItemText(0, 0), "Time");
    EXPECT_EQ(grid.GetItemText(1, 0), "row4-0");
    EXPECT_EQ(grid.GetItemText(2, 0), "measured later");
    EXPECT_EQ(grid.GetItemText(6, 3), "row9-3");
    EXPECT_EQ(grid.GetSelectedCellRange().minRow, 3);
    EXPECT_EQ(grid.GetSelectedCellRange().maxRow, 4);
    EXPECT_TRUE(grid.IsCellSelected(3, 1));
    EXPECT_FALSE(grid.IsCellSelected(6, 1));
    EXPECT_EQ(grid.GetFocusCell(), CGridCellId(4, 2));
    ASSERT_EQ(GridTestAccess::CheckIndexes(grid), "");
    // The widest text left with its row.
    grid.AutoSizeColumns(0);
    EXPECT_LT(grid.GetColumnWidth(0), wide);

    // A selection and focus inside the deleted rows go with them.
    ASSERT_TRUE(grid.DeleteRows(3, 2));
    EXPECT_EQ(grid.GetSelectedCellRange().maxRow, -1);
    EXPECT_EQ(grid.GetFocusCell(), CGridCellId());
    EXPECT_EQ(grid.GetRowCount(), 5);
    EXPECT_EQ(grid.GetItemText(3, 1), "row8-1");
    ASSERT_EQ(GridTestAccess::CheckIndexes(grid), "");
}

// Rows go from just below the header (a log's oldest) or from near the end; on each side of the
// gap the cell objects keep answering for their own row: their place, their selected state, and
// a change of text re-measuring the cell it belongs to.
TEST_F(GridTest, CellObjectsKeepTheirRowsWhicheverSideOfTheGapMoves)
{
    CGridCtrl grid;
    SetUpLogGrid(grid);
    for (int r = 1; r <= 40; ++r)
        AppendRow(grid, "row" + std::to_string(r) + "-");
    for (int r = 0; r <= 40; r += 3)
        ASSERT_TRUE(grid.SetItemTextColour(r, 1, RGB(0x1F, 0x4E, 0xA8))); // gives the cell an object
    for (const auto& [first, count] : {std::pair{1, 2}, std::pair{30, 5}, std::pair{1, 1}, std::pair{2, 20}, std::pair{1, 3}}) {
        const std::string keptBelow = grid.GetItemText(first + count, 1);
        ASSERT_TRUE(grid.DeleteRows(first, count));
        ASSERT_EQ(GridTestAccess::CheckIndexes(grid), "") << first << " " << count;
        EXPECT_EQ(grid.GetItemText(first, 1), keptBelow);
    }
    const int last = grid.GetRowCount() - 1;
    grid.SelectRange(last, 1, last, 1, false, true);
    for (int r = 0; r <= last; ++r) {
        if (CGridCellBase* cell = grid.GetCell(r, 1)) {
            EXPECT_EQ((cell->GetState() & GRIDSTATE_SELECTED) != 0, r == last) << r;
        }
    }
    CGridCellBase* cell = grid.GetCell(last, 1);
    ASSERT_NE(cell, nullptr);
    cell->SetText(std::string(80, 'w').c_str());
    grid.AutoSizeColumns(0);
    ASSERT_EQ(GridTestAccess::CheckIndexes(grid), "");
    EXPECT_GE(grid.GetColumnWidth(1), grid.GetCell(last, 1)->GetCellExtent(nullptr).cx);
}
