#include "grid/cell_selection.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace {

constexpr int kRows = 12;
constexpr int kColumns = 7;

std::set<CGridCellId> Cells(const CCellSelection& selection)
{
    std::set<CGridCellId> cells;
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            if (selection.Contains(r, c))
                cells.insert(CGridCellId(r, c));
        }
    }
    return cells;
}

bool Disjoint(const CCellSelection& selection)
{
    const auto& blocks = selection.Blocks();
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        for (std::size_t j = i + 1; j < blocks.size(); ++j) {
            const CGridCellRange& a = blocks[i];
            const CGridCellRange& b = blocks[j];
            if (a.minRow <= b.maxRow && b.minRow <= a.maxRow && a.minCol <= b.maxCol && b.minCol <= a.maxCol)
                return false;
        }
    }
    return true;
}

} // namespace

// Blocks added, cut out, single cells toggled, rows removed and the grid shrunk, against a plain
// set of cells.
TEST(CellSelection, AgreesWithASetOfCellsThroughAddsCutsTogglesRowRemovalsAndClips)
{
    std::mt19937 rng(5);
    const auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    for (int round = 0; round < 40; ++round) {
        CCellSelection selection;
        std::set<CGridCellId> expected;
        int rows = kRows;
        int columns = kColumns;
        for (int step = 0; step < 60; ++step) {
            const int r0 = pick(kRows), r1 = pick(kRows), c0 = pick(kColumns), c1 = pick(kColumns);
            const CGridCellRange block(std::min(r0, r1), std::min(c0, c1), std::max(r0, r1), std::max(c0, c1));
            switch (pick(6)) {
            case 5: {
                // Rows go and the rows below move up, as a log drops its oldest rows.
                const int first = std::min(r0, r1);
                const int count = std::max(r0, r1) - first;
                selection.RemoveRows(first, count);
                std::set<CGridCellId> moved;
                for (const CGridCellId& id : expected) {
                    if (id.row < first)
                        moved.insert(id);
                    else if (id.row >= first + count)
                        moved.insert(CGridCellId(id.row - count, id.col));
                }
                expected = moved;
                break;
            }
            case 0:
            case 1:
                selection.Add(block);
                for (int r = block.minRow; r <= block.maxRow; ++r)
                    for (int c = block.minCol; c <= block.maxCol; ++c)
                        if (r < rows && c < columns)
                            expected.insert(CGridCellId(r, c));
                // Beyond the grid's edge nothing is selected.
                selection.Clip(rows, columns);
                break;
            case 2:
                selection.Remove(block);
                for (int r = block.minRow; r <= block.maxRow; ++r)
                    for (int c = block.minCol; c <= block.maxCol; ++c)
                        expected.erase(CGridCellId(r, c));
                break;
            case 3: {
                const bool on = pick(2) == 0;
                if (r0 < rows && c0 < columns) {
                    selection.Set(r0, c0, on);
                    on ? (void)expected.insert(CGridCellId(r0, c0)) : (void)expected.erase(CGridCellId(r0, c0));
                }
                break;
            }
            default:
                rows = 1 + pick(kRows);
                columns = 1 + pick(kColumns);
                selection.Clip(rows, columns);
                std::erase_if(expected, [&](const CGridCellId& id) { return id.row >= rows || id.col >= columns; });
                break;
            }
            ASSERT_EQ(Cells(selection), expected) << "round " << round << " step " << step;
            ASSERT_TRUE(Disjoint(selection));
            CGridCellRange bounds;
            if (!expected.empty()) {
                bounds = CGridCellRange(expected.begin()->row, kColumns, expected.rbegin()->row, -1);
                for (const CGridCellId& id : expected) {
                    bounds.minCol = std::min(bounds.minCol, id.col);
                    bounds.maxCol = std::max(bounds.maxCol, id.col);
                }
            }
            ASSERT_EQ(selection.Bounds(), bounds);
            ASSERT_EQ(selection.Empty(), expected.empty());
        }
    }
}

// A drag re-selects the kept cells and a block from its anchor at every step: the blocks stay
// as few as the kept ones plus one, however long the drag and however many rows it crosses.
TEST(CellSelection, ADragOverAMillionRowsStaysAFewBlocks)
{
    CCellSelection kept;
    kept.Add(CGridCellRange(3, 0, 8, 3));
    kept.Set(5, 1, false);
    const std::size_t keptBlocks = kept.Blocks().size();
    CCellSelection selection;
    for (int row = 10; row < 1'000'000; row += 9973) {
        selection = kept;
        selection.Add(CGridCellRange(6, 2, row, 3));
        ASSERT_LE(selection.Blocks().size(), keptBlocks + 1);
    }
    EXPECT_TRUE(selection.Contains(997'000, 3));
    EXPECT_FALSE(selection.Contains(5, 1));
    EXPECT_TRUE(selection.Contains(5, 2));
    std::vector<CGridCellRange> onRow;
    selection.BlocksOnRow(7, onRow);
    EXPECT_FALSE(onRow.empty());
    selection.BlocksOnRow(2, onRow);
    EXPECT_TRUE(onRow.empty());
}
