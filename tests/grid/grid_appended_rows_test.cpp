// Rows appended with their texts, as a log adds them: they must be the rows SetRowCount and
// SetRowTexts make, and the cells left unmeasured because they could not widen their columns
// must never size a column wrongly, whatever happens to the rows around them.
#include "grid_test_support.h"
#include "support/log_grid.h"

#include <QCoreApplication>

#include <random>
#include <string_view>

namespace {

// The widest extent of a column's scrolled and fixed cells, measured afresh.
int FreshWidth(CGridCtrl& grid, int column)
{
    int widest = 0;
    for (int r = 0; r < grid.GetRowCount(); ++r) {
        if (CGridCellBase* cell = GridTestAccess::CellView(grid, r, column))
            widest = std::max(widest, cell->GetCellExtent(nullptr).cx);
    }
    return widest;
}

void ExpectSizedAfresh(CGridCtrl& grid)
{
    grid.AutoSizeColumns(0);
    for (int c = 0; c < grid.GetColumnCount(); ++c)
        EXPECT_EQ(grid.GetColumnWidth(c), FreshWidth(grid, c)) << "column " << c;
    EXPECT_EQ(GridTestAccess::CheckIndexes(grid), "");
}

int Unmeasured(const CGridCtrl& grid)
{
    int cells = 0;
    for (int c = 0; c < grid.GetColumnCount(); ++c)
        cells += GridTestAccess::UnmeasuredCells(grid, c);
    return cells;
}

int Append(CGridCtrl& grid, std::string_view time, std::string_view encoded, std::string_view data, std::string_view description)
{
    const std::string_view texts[] = {time, encoded, data, description};
    return grid.AppendRow(texts);
}

// A log grid whose first row is wider than the rows to come, its columns sized to it.
void StartWithAWideRow(CGridCtrl& grid)
{
    SetUpLogGrid(grid);
    Append(grid, "12:00:00", "1, 20, 20, 69, 108, 109, 110, 111", "20, 20, 20, 20, 20, 20", "Value Master Volume = -35.5 dB");
    grid.AutoSizeColumns(0);
}

// A grid whose cells are all objects: no plain cells are made for it.
class CObjectGrid : public CGridCtrl {};

} // namespace

TEST_F(GridTest, AnAppendedRowIsTheRowSetRowCountAndSetRowTextsMake)
{
    for (const bool plain : {true, false}) {
        SCOPED_TRACE(plain ? "plain cells" : "cell objects");
        std::unique_ptr<CGridCtrl> appended = plain ? std::make_unique<CGridCtrl>() : std::make_unique<CObjectGrid>();
        std::unique_ptr<CGridCtrl> grown = plain ? std::make_unique<CGridCtrl>() : std::make_unique<CObjectGrid>();
        for (CGridCtrl* grid : {appended.get(), grown.get()}) {
            SetUpLogGrid(*grid);
            grid->resize(300, 200);
            grid->show();
            grid->GetCell(0, 2)->SetFormat(DT_RIGHT | DT_SINGLELINE);
        }
        const std::string withNul("ab\0cd", 5);
        const std::vector<std::vector<std::string_view>> rows = {
            {"12:00:01", "1, 20, 20, 2, 215", "20, 20", "Query Device ID"},
            {withNul, "caf\xC3\xA9"},
            {},
            {"12:00:02", "a\tb", "", "the longest description of them all"},
        };
        for (int i = 0; i < 30; ++i) {
            const std::vector<std::string_view>& texts = rows[static_cast<std::size_t>(i) % rows.size()];
            EXPECT_EQ(appended->AppendRow(texts), i + 1);
            grown->SetRowCount(i + 2);
            grown->SetRowTexts(i + 1, texts);
        }
        const std::string_view five[] = {"a", "b", "c", "d", "e"};
        EXPECT_EQ(appended->AppendRow(five), -1);
        ASSERT_EQ(appended->GetRowCount(), grown->GetRowCount());
        for (int r = 0; r < grown->GetRowCount(); ++r) {
            for (int c = 0; c < 4; ++c) {
                EXPECT_EQ(appended->GetItemText(r, c), grown->GetItemText(r, c)) << r << ", " << c;
                EXPECT_EQ(appended->GetItemFormat(r, c), grown->GetItemFormat(r, c)) << r << ", " << c;
                EXPECT_EQ(appended->GetItemState(r, c), grown->GetItemState(r, c)) << r << ", " << c;
            }
            EXPECT_EQ(appended->GetRowHeight(r), grown->GetRowHeight(r));
        }
        EXPECT_EQ(appended->GetItemText(2, 0), "ab");

        // The scroll bars take the new rows in once the event loop runs.
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(appended->GetScrollMax(SB_VERT), grown->GetScrollMax(SB_VERT));
        EXPECT_GT(appended->GetScrollMax(SB_VERT), 0);
        appended->AutoSizeColumns(0);
        grown->AutoSizeColumns(0);
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(appended->GetColumnWidth(c), grown->GetColumnWidth(c)) << c;
        ExpectSizedAfresh(*appended);
    }
}

// The log's case: the widest rows leave the scrollback while rows that never were measured stay;
// the next widest must be found among them.
TEST_F(GridTest, UnmeasuredCellsAreMeasuredOnceTheWidestRowsLeave)
{
    CGridCtrl grid;
    StartWithAWideRow(grid);
    // Each narrower than the row before: every one of them could be left unmeasured.
    for (int n = 0; n < 20; ++n) {
        const std::string encoded = "1, 20, " + std::string(static_cast<std::size_t>(20 - n), '9');
        Append(grid, "12:00:01", encoded, "20", std::string("Value ").append(static_cast<std::size_t>(20 - n), 'x'));
    }
    EXPECT_GE(Unmeasured(grid), 60) << "cells no wider than their columns' widest are not measured";
    ExpectSizedAfresh(grid);

    // The widest row goes, then the next ones, a few at a time as a log drops its oldest.
    const int widest = grid.GetColumnWidth(1);
    while (grid.GetRowCount() > 3) {
        grid.DeleteRows(1, 3);
        ExpectSizedAfresh(grid);
    }
    EXPECT_LT(grid.GetColumnWidth(1), widest);
    EXPECT_GT(grid.GetColumnWidth(3), 0);

    // A single unmeasured row left when the widest goes.
    CGridCtrl two;
    StartWithAWideRow(two);
    Append(two, "12:00:01", "1, 20, 20, 69, 108", "20, 20", "Value Master Volume = 0 dB");
    EXPECT_EQ(Unmeasured(two), 4);
    two.DeleteRows(1, 1);
    ExpectSizedAfresh(two);
    EXPECT_EQ(Unmeasured(two), 0);

    // A long log of rows alike, the widest measured row leaving: one of them measured is enough
    // to size each column, not all of them (that would stall the log at a million rows).
    CGridCtrl alike;
    StartWithAWideRow(alike);
    for (int n = 0; n < 1000; ++n)
        Append(alike, "12:00:01", "1, 20, 21, 94, 86, 22, 2, 157", "20, 21, 22", "Value Volume = -35.5 dB");
    ASSERT_EQ(Unmeasured(alike), 4000);
    alike.DeleteRows(1, 1);
    ExpectSizedAfresh(alike);
    EXPECT_GE(Unmeasured(alike), 3990);
}

// Every way a cell's text, place or measuring can change reaches unmeasured cells too.
TEST_F(GridTest, UnmeasuredCellsFollowEditsObjectsFixedRowsAndFonts)
{
    CGridCtrl grid;
    SetUpLogGrid(grid);
    std::mt19937 rng(11);
    const auto text = [&rng](std::size_t longest) { return std::string(1 + rng() % longest, static_cast<char>('a' + rng() % 26)); };
    Append(grid, "12:00:00", std::string(40, 'W'), std::string(30, 'W'), std::string(50, 'W'));
    grid.AutoSizeColumns(0);
    for (int n = 0; n < 200; ++n)
        Append(grid, text(8), text(40), text(30), text(50));
    ASSERT_GT(Unmeasured(grid), 100);
    ExpectSizedAfresh(grid);

    // An unmeasured cell given a wider text, one by one and a row at once.
    grid.SetItemText(50, 1, std::string(60, 'W'));
    ExpectSizedAfresh(grid);
    const std::string_view wider[] = {"12:00:00.000 +1000 ms", std::string_view(), std::string_view(), "Query Power Mode, Query Power Mode"};
    grid.SetRowTexts(60, wider);
    ExpectSizedAfresh(grid);

    // Given an object (asked for by pointer), coloured, its text changed behind the grid's back.
    CGridCellBase* cell = grid.GetCell(70, 3);
    ASSERT_NE(cell, nullptr);
    grid.SetItemTextColour(71, 2, RGB(200, 0, 0));
    ExpectSizedAfresh(grid);
    cell->SetText(std::string(70, 'M').c_str());
    ExpectSizedAfresh(grid);
    cell->SetMargin(30);
    ExpectSizedAfresh(grid);

    // Rows move to the fixed side and back; the widest rows go.
    grid.SetFixedRowCount(20);
    ExpectSizedAfresh(grid);
    grid.AutoSizeColumns(2);
    grid.SetFixedRowCount(1);
    ExpectSizedAfresh(grid);
    grid.DeleteRows(1, 80);
    ExpectSizedAfresh(grid);

    // Another margin or font measures every cell again.
    grid.GetDefaultCell(false, false)->SetMargin(9);
    ExpectSizedAfresh(grid);
    QFont font("DejaVu Sans Mono");
    font.setPixelSize(15);
    grid.setFont(font);
    ExpectSizedAfresh(grid);
    for (int n = 0; n < 50; ++n)
        Append(grid, text(8), text(40), text(30), text(50));
    ExpectSizedAfresh(grid);

    // Columns and rows cut away take their unmeasured cells with them.
    grid.SetColumnCount(3);
    ExpectSizedAfresh(grid);
    grid.SetRowCount(40);
    ExpectSizedAfresh(grid);
    grid.SetColumnCount(4);
    grid.SetRowCount(1);
    EXPECT_EQ(Unmeasured(grid), 0);
    ExpectSizedAfresh(grid);
}

// Texts the bound cannot vouch for (bytes beyond ASCII) are measured as they come.
TEST_F(GridTest, TextsBeyondAsciiAreAlwaysMeasured)
{
    CGridCtrl grid;
    StartWithAWideRow(grid);
    for (int n = 0; n < 10; ++n)
        Append(grid, "\xE2\x80\x94", "\xEF\xBC\xB7\xEF\xBC\xB7", "\xE4\xB8\xAD", "\xF0\x9F\x98\x80");
    EXPECT_EQ(Unmeasured(grid), 0);
    ExpectSizedAfresh(grid);
}
