#pragma once

#include "grid/grid_ctrl.h"
#include "support/grid_test_access.h"
#include "platform/message_box.h"

#include <QApplication>
#include <QPalette>

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Colours that make every system colour the grid uses tell-tale in a picture.
namespace test_colours {
inline constexpr COLORREF kWindow = RGB(250, 250, 240);
inline constexpr COLORREF kWindowText = RGB(10, 10, 60);
inline constexpr COLORREF kFace = RGB(200, 200, 190);
inline constexpr COLORREF kShadow = RGB(120, 120, 110);
inline constexpr COLORREF kHighlight = RGB(40, 80, 200);
inline constexpr COLORREF kHighlightText = RGB(255, 255, 0);
inline constexpr COLORREF kLight = RGB(255, 255, 255);
inline constexpr COLORREF kDarkShadow = RGB(0, 0, 0);
inline constexpr COLORREF kInfo = RGB(255, 255, 220);
} // namespace test_colours

inline QPalette TestPalette()
{
    using namespace test_colours;
    QPalette p;
    const std::pair<QPalette::ColorRole, COLORREF> roles[] = {
        {QPalette::Base, kWindow},          {QPalette::Text, kWindowText},
        {QPalette::Button, kFace},          {QPalette::Dark, kShadow},
        {QPalette::Highlight, kHighlight},  {QPalette::HighlightedText, kHighlightText},
        {QPalette::Light, kLight},          {QPalette::Shadow, kDarkShadow},
        {QPalette::ToolTipBase, kInfo},
    };
    for (const auto& [role, colour] : roles)
        p.setColor(role, ToQColor(colour));
    return p;
}

// Counts as given, every row 20 pixels high and every column 50 wide; shown with a grid of
// (w + frame) x (h + frame), so that the client area is w x h while no bar shows.
inline void MakeUniform(CGridCtrl& grid, int rows, int columns, int fixedRows, int fixedColumns, int w, int h)
{
    grid.SetColumnCount(columns);
    grid.SetRowCount(rows);
    grid.SetFixedRowCount(fixedRows);
    grid.SetFixedColumnCount(fixedColumns);
    for (int r = 0; r < rows; ++r)
        grid.SetRowHeight(r, 20);
    for (int c = 0; c < columns; ++c)
        grid.SetColumnWidth(c, 50);
    grid.show();
    const int frame = 2 * grid.frameWidth();
    grid.resize(w + frame, h + frame);
    grid.UpdateScrollBars();
}

// A grid on the test palette, with message boxes recorded rather than shown.
class GridTest : public ::testing::Test {
protected:
    GridTest()
    {
        m_oldHandler = SetMessageBoxHandler([this](const std::string& text) { messages.push_back(text); });
        QApplication::setPalette(TestPalette());
    }
    ~GridTest() override { SetMessageBoxHandler(std::move(m_oldHandler)); }

    // After every change: the indexes agree with the model.
    static void ExpectConsistent(CGridCtrl& grid) { EXPECT_EQ(GridTestAccess::CheckIndexes(grid), ""); }

    std::vector<std::string> messages;

private:
    MessageBoxHandler m_oldHandler;
};
