#include "grid/grid_row_cells.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Texts(const CGridRowCells& row)
{
    std::vector<std::string> texts;
    for (int c = 0; c < row.Columns(); ++c)
        texts.emplace_back(row.Text(c));
    return texts;
}

} // namespace

// Texts grow, shrink and keep their length in place; every other cell's text and record stays.
TEST(GridRowCells, EachTextChangesAloneWhateverItsLength)
{
    CGridRowCells row(4);
    EXPECT_EQ(Texts(row), (std::vector<std::string>{"", "", "", ""}));
    for (int c = 0; c < 4; ++c) {
        row.At(c).format = 0x10u + static_cast<unsigned>(c);
        row.At(c).extent.SetCountedWidth(7 * c);
    }
    row.SetText(1, "12:00:01");
    row.SetText(3, "Value: Master Volume = -35.5 dB");
    row.SetText(0, "x");
    EXPECT_EQ(Texts(row), (std::vector<std::string>{"x", "12:00:01", "", "Value: Master Volume = -35.5 dB"}));
    row.SetText(1, "12:00:02");
    row.SetText(3, "short");
    row.SetText(0, "");
    row.SetText(2, std::string(70'000, 'z').c_str());
    EXPECT_EQ(Texts(row), (std::vector<std::string>{"", "12:00:02", std::string(70'000, 'z'), "short"}));
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(row.At(c).format, 0x10u + static_cast<unsigned>(c));
        EXPECT_EQ(row.At(c).extent.CountedWidth(), 7 * c);
    }
}

// Columns come and go: the first ones keep texts, records and objects; new ones hold no cell.
TEST(GridRowCells, ResizingKeepsTheFirstColumnsWhole)
{
    CGridRowCells row(3);
    row.SetText(0, "a");
    row.SetText(2, "ccc");
    row.At(2).format = 5;
    auto* marker = reinterpret_cast<CGridCellBase*>(&row);
    row.SetObject(1, marker);
    row.Resize(5);
    EXPECT_EQ(Texts(row), (std::vector<std::string>{"a", "", "ccc", "", ""}));
    EXPECT_EQ(row.At(2).format, 5u);
    EXPECT_EQ(row.At(4).format, CGridRowCells::kNoCell);
    EXPECT_EQ(row.Object(1), marker);
    EXPECT_EQ(row.Object(4), nullptr);
    row.SetText(4, "e");
    row.Resize(2);
    EXPECT_EQ(Texts(row), (std::vector<std::string>{"a", ""}));
    EXPECT_EQ(row.Object(1), marker);
    row.Resize(0);
    EXPECT_EQ(row.Columns(), 0);
    row.Resize(1);
    EXPECT_EQ(Texts(row), std::vector<std::string>{""});
    EXPECT_EQ(row.Object(0), nullptr);
}

// The extent shares one word between the width and its two flags: none of them spills into
// another, at either end of the width's range.
TEST(GridRowCells, ExtentKeepsWidthAndFlagsApart)
{
    CCellExtent extent;
    EXPECT_EQ(extent.CountedWidth(), -1);
    EXPECT_FALSE(extent.countedFixed);
    EXPECT_FALSE(extent.queued);
    for (const int width : {0, 1, 4096, CCellExtent::kMaxWidth, -1}) {
        for (const bool flags : {true, false}) {
            extent.countedFixed = flags;
            extent.queued = !flags;
            extent.SetCountedWidth(width);
            EXPECT_EQ(extent.CountedWidth(), width);
            EXPECT_EQ(extent.countedFixed, flags);
            EXPECT_EQ(extent.queued, !flags);
        }
    }
}

// A row's first object rebuilds its block; texts, records and later objects ride along with
// every text change after it.
TEST(GridRowCells, ObjectsLiveBesideTextsAndRecords)
{
    CGridRowCells row(3);
    row.SetText(0, "12:00:01");
    row.SetText(2, "Value: Input Source = Tuner (FM) Preset 12");
    row.At(2).format = 9;
    row.At(2).extent.SetCountedWidth(311);
    row.SetObject(1, nullptr);
    EXPECT_FALSE(row.HasObjects());
    auto* first = reinterpret_cast<CGridCellBase*>(&row);
    auto* second = reinterpret_cast<CGridCellBase*>(&first);
    row.SetObject(1, first);
    EXPECT_TRUE(row.HasObjects());
    EXPECT_EQ(Texts(row), (std::vector<std::string>{"12:00:01", "", "Value: Input Source = Tuner (FM) Preset 12"}));
    EXPECT_EQ(row.At(2).format, 9u);
    EXPECT_EQ(row.At(2).extent.CountedWidth(), 311);
    row.SetText(0, "a much longer first text than before");
    row.SetObject(2, second);
    row.SetText(2, "");
    EXPECT_EQ(Texts(row), (std::vector<std::string>{"a much longer first text than before", "", ""}));
    EXPECT_EQ(row.Object(0), nullptr);
    EXPECT_EQ(row.Object(1), first);
    EXPECT_EQ(row.Object(2), second);
    EXPECT_EQ(row.At(2).format, 9u);
    CGridRowCells moved(std::move(row));
    EXPECT_EQ(moved.Object(2), second);
    EXPECT_EQ(moved.Text(0), std::string("a much longer first text than before"));
}
