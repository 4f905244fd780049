#include "grid_test_support.h"

#include "platform/device_context.h"

#include <QFontMetrics>

#include <cstring>

using namespace test_colours;

namespace {

// Measures what a default cell's construction measures, in its own font.
struct TemplateMeasure {
    int margin;
    int width;
    int height;
};
TemplateMeasure Measure(const QFont& font)
{
    const QFontMetrics fm(font);
    return {fm.horizontalAdvance(" "), fm.horizontalAdvance(" XXXXXXXXXXXX "), fm.height() * 3 / 2};
}

// A grid whose window gives no drawing context.
class GridWithoutContext : public CGridCtrl {
public:
    std::unique_ptr<CDC> GetDC() override { return nullptr; }
};

} // namespace

TEST_F(GridTest, ClassesAreRegisteredAndMadeFromTheirDescriptors)
{
    const CRuntimeClass* cell = CRuntimeClass::FromName("CGridCell");
    ASSERT_EQ(cell, &CGridCell::classCGridCell);
    EXPECT_EQ(CRuntimeClass::FromName("CGridCellBase"), &CGridCellBase::classCGridCellBase);
    EXPECT_EQ(CRuntimeClass::FromName("CGridDefaultCell"), &CGridDefaultCell::classCGridDefaultCell);
    EXPECT_EQ(CGridCellBase::classCGridCellBase.CreateObject(), nullptr);

    std::unique_ptr<CObject> made(cell->CreateObject());
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->IsKindOf(&CGridCellBase::classCGridCellBase));
    EXPECT_FALSE(made->IsKindOf(&CGridDefaultCell::classCGridDefaultCell));
    CGridDefaultCell def;
    EXPECT_TRUE(def.IsKindOf(&CGridCell::classCGridCell));
}

TEST_F(GridTest, FreshCellInheritsOnceItHasAGrid)
{
    CGridCtrl grid;
    CGridCell cell;
    EXPECT_STREQ(cell.GetText(), "");
    EXPECT_EQ(cell.GetFormat(), 0u);
    EXPECT_EQ(cell.GetMargin(), 0u);
    EXPECT_EQ(cell.GetFont(), nullptr);
    EXPECT_EQ(cell.GetFontObject(), nullptr);
    EXPECT_EQ(cell.GetDefaultCell(), nullptr);
    EXPECT_EQ(cell.GetTextColour(), CLR_DEFAULT);

    cell.SetGrid(&grid);
    const CGridDefaultCell* def = grid.GetDefaultCell(false, false);
    EXPECT_EQ(cell.GetFormat(), 0x8824u);
    EXPECT_EQ(cell.GetMargin(), def->GetMargin());
    EXPECT_EQ(cell.GetFont(), def->GetFont());
    EXPECT_EQ(cell.GetFontObject(), def->GetFontObject());
    // Colours are answered raw.
    EXPECT_EQ(cell.GetBackColour(), CLR_DEFAULT);

    cell.SetText("Time");
    cell.SetMargin(7);
    cell.SetFormat(0x20);
    LOGFONT lf;
    lf.lfHeight = -20;
    cell.SetFont(&lf);
    EXPECT_STREQ(cell.GetText(), "Time");
    EXPECT_STREQ(cell.GetTipText(), "Time");
    EXPECT_EQ(cell.GetMargin(), 7u);
    EXPECT_EQ(cell.GetFormat(), 0x20u);
    EXPECT_EQ(cell.GetFont()->lfHeight, -20);
    // Measuring and drawing use the template's font object, whatever the cell's own record says.
    EXPECT_EQ(cell.GetFontObject(), def->GetFontObject());
    cell.SetFont(nullptr);
    EXPECT_EQ(cell.GetFont(), def->GetFont());
    cell.SetText(nullptr);
    EXPECT_STREQ(cell.GetText(), "");

    cell.SetState(GRIDSTATE_SELECTED);
    cell.Reset();
    EXPECT_EQ(cell.GetState(), 0u);
    EXPECT_EQ(cell.GetGrid(), nullptr);
    EXPECT_EQ(cell.GetFormat(), 0u);

    CGridCellBase base;
    EXPECT_EQ(base.GetText(), nullptr);
    EXPECT_STREQ(base.GetTipText(), nullptr);
    base.SetText("ignored");
    EXPECT_EQ(base.GetText(), nullptr);
    base.SetState(0x12);
    EXPECT_EQ(base.GetState(), 0x12u);
    EXPECT_TRUE(base.OnSetCursor());
}

TEST_F(GridTest, TheDefaultCellFollowsTheFixedBits)
{
    CGridCtrl grid;
    CGridCell cell;
    cell.SetGrid(&grid);
    const std::pair<unsigned, const CGridDefaultCell*> cases[] = {
        {0x70, grid.GetDefaultCell(true, true)},   {0x30, grid.GetDefaultCell(true, false)},
        {0x50, grid.GetDefaultCell(false, true)},  {0x00, grid.GetDefaultCell(false, false)},
        {0x03, grid.GetDefaultCell(false, false)},
    };
    for (const auto& [state, expected] : cases) {
        cell.SetState(state);
        EXPECT_EQ(cell.GetDefaultCell(), expected) << state;
    }
    EXPECT_TRUE(cell.IsFocused());
    EXPECT_FALSE(cell.IsFixed());
    // A template has no fixed bits, so its own template is the normal one.
    EXPECT_EQ(grid.GetDefaultCell(true, true)->GetDefaultCell(), grid.GetDefaultCell(false, false));
}

TEST_F(GridTest, TemplatesMeasureThemselvesFromTheirFont)
{
    CGridCtrl grid;
    CGridDefaultCell* def = grid.GetDefaultCell(false, false);
    TemplateMeasure expected = Measure(QApplication::font());
    EXPECT_EQ(static_cast<int>(def->GetMargin()), expected.margin);
    EXPECT_EQ(def->GetWidth(), expected.width);
    EXPECT_EQ(def->GetHeight(), expected.height);
    EXPECT_EQ(def->GetFormat(), CGridDefaultCell::kDefaultFormat);
    EXPECT_EQ(def->GetState(), static_cast<unsigned>(GRIDSTATE_READONLY));
    def->SetState(GRIDSTATE_SELECTED);
    EXPECT_EQ(def->GetState(), static_cast<unsigned>(GRIDSTATE_READONLY));
    // The grid gives its templates their colours.
    EXPECT_EQ(def->GetTextColour(), kWindowText);
    EXPECT_EQ(def->GetBackColour(), kWindow);
    EXPECT_EQ(grid.GetDefaultCell(true, false)->GetBackColour(), kFace);

    LOGFONT big;
    big.lfHeight = -24;
    std::strcpy(big.lfFaceName, "DejaVu Sans");
    def->SetFont(&big);
    expected = Measure(ToQFont(big));
    EXPECT_EQ(static_cast<int>(def->GetMargin()), expected.margin);
    EXPECT_EQ(def->GetWidth(), expected.width);
    EXPECT_EQ(def->GetHeight(), expected.height);
    EXPECT_EQ(def->GetFont()->lfHeight, -24);

    // A null font changes nothing.
    def->SetFont(nullptr);
    EXPECT_EQ(def->GetWidth(), expected.width);
    EXPECT_EQ(def->GetFont()->lfHeight, -24);
}

TEST_F(GridTest, TemplatesWithoutOwnFormatOrMarginDoNotAskThemselves)
{
    CGridCtrl grid;
    CGridDefaultCell* def = grid.GetDefaultCell(false, false);
    def->SetFormat(CGridCell::kInherit);
    def->SetMargin(CGridCell::kInherit);
    EXPECT_EQ(def->GetFormat(), 0u);
    EXPECT_EQ(def->GetMargin(), 0u);
    // The fixed templates inherit from the normal one.
    CGridDefaultCell* fixed = grid.GetDefaultCell(true, false);
    fixed->SetFormat(CGridCell::kInherit);
    EXPECT_EQ(fixed->GetFormat(), 0u);
}

TEST_F(GridTest, ExtentIsTheTextPlusFourMarginsWideAndTwoHigh)
{
    CGridCtrl grid(2, 1);
    grid.SetItemText(1, 0, "20, 20");
    CGridCellBase* cell = grid.GetCell(1, 0);
    const QFontMetrics fm(QApplication::font());
    const int margin = fm.horizontalAdvance(" ");
    const CSize expected(fm.horizontalAdvance("20, 20") + 4 * margin, fm.height() + 2 * margin);
    EXPECT_EQ(cell->GetCellExtent(nullptr), expected);
    CDC dc;
    EXPECT_EQ(cell->GetCellExtent(&dc), expected);
    EXPECT_EQ(cell->GetTextExtent("", &dc), CSize(4 * margin, fm.height() + 2 * margin));

    // Without a context from the window, the template's size, no margins added.
    GridWithoutContext bare;
    bare.SetRowCount(1);
    bare.SetColumnCount(1);
    const CGridDefaultCell* def = bare.GetDefaultCell(false, false);
    EXPECT_EQ(bare.GetCell(0, 0)->GetCellExtent(nullptr), CSize(def->GetWidth(), def->GetHeight()));
}
