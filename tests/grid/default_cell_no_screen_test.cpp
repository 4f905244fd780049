#include "grid/grid_default_cell.h"

#include <gtest/gtest.h>

// No GUI application, so no screen whose fonts could be measured.
TEST(DefaultCellWithoutScreen, TakesTheFixedSizes)
{
    CGridDefaultCell cell;
    EXPECT_EQ(cell.GetMargin(), 3u);
    EXPECT_EQ(cell.GetWidth(), 40);
    EXPECT_EQ(cell.GetHeight(), 16);
    EXPECT_NE(cell.GetFont(), nullptr);
    EXPECT_NE(cell.GetFontObject()->GetSafeHandle(), nullptr);
}
