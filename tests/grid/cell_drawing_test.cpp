#include "grid_test_support.h"

#include "platform/device_context.h"

#include <QImage>
#include <QPainter>

#include <set>

using namespace test_colours;

namespace {

constexpr QRgb kSentinel = 0xFFFF00FF;
constexpr int kW = 90;
constexpr int kH = 32;

using Pixels = std::set<std::pair<int, int>>;

Pixels PixelsOf(const QImage& image, COLORREF c)
{
    Pixels out;
    const QRgb rgb = ToQColor(c).rgb();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == rgb)
                out.emplace(x, y);
        }
    }
    return out;
}

Pixels Block(int x0, int y0, int x1, int y1)
{
    Pixels out;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x)
            out.emplace(x, y);
    }
    return out;
}

Pixels Untouched(const QImage& image)
{
    Pixels out;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == kSentinel)
                out.emplace(x, y);
        }
    }
    return out;
}

QImage Blank()
{
    QImage image(kW, kH, QImage::Format_RGB32);
    image.fill(kSentinel);
    return image;
}

// The cell drawn by itself.
QImage Draw(CGridCellBase* cell, const CRect& rect, bool erase, bool* drew = nullptr)
{
    QImage image = Blank();
    QPainter painter(&image);
    CDC dc(&painter);
    const bool result = cell->Draw(&dc, 0, 0, rect, erase);
    if (drew != nullptr)
        *drew = result;
    return image;
}

// What the cell should look like: drawing done step by step with the context's own operations.
struct Expected {
    QImage image = Blank();
    QPainter painter{&image};
    CDC dc{&painter};
    void Fill(int l, int t, int r, int b, COLORREF c) { dc.FillSolidRect(CRect(l, t, r, b), c); }
    void Text(const CGridCellBase* cell, const CRect& rect, COLORREF colour)
    {
        dc.SelectObject(cell->GetFontObject());
        dc.SetTextColor(colour);
        dc.SetBkMode(TRANSPARENT);
        dc.DrawText(cell->GetText(), rect, cell->GetFormat() | DT_NOPREFIX);
    }
    QImage Done()
    {
        painter.end();
        return image;
    }
};

class CellDrawing : public GridTest {
protected:
    CellDrawing() : grid(3, 3, 1, 1)
    {
        normal = grid.GetCell(1, 1);
        fixed = grid.GetCell(0, 1);
        margin = static_cast<int>(normal->GetMargin());
    }
    CGridCtrl grid;
    CGridCellBase* normal;
    CGridCellBase* fixed;
    int margin;
    const CRect rect{5, 4, 64, 23}; // inclusive: the cell covers 5..64 and 4..23
};

} // namespace

TEST_F(CellDrawing, NothingIsDrawnWithoutRoomAContextOrAGrid)
{
    bool drew = true;
    EXPECT_EQ(Untouched(Draw(normal, CRect(5, 4, 5, 23), true, &drew)).size(), static_cast<std::size_t>(kW * kH));
    EXPECT_FALSE(drew);
    Draw(normal, CRect(5, 4, 64, 4), true, &drew);
    EXPECT_FALSE(drew);
    Draw(normal, CRect(5, 4, 3, 23), true, &drew);
    EXPECT_FALSE(drew);
    EXPECT_FALSE(normal->Draw(nullptr, 1, 1, rect, true));
    CGridCell loose;
    loose.SetText("x");
    EXPECT_EQ(Untouched(Draw(&loose, rect, true, &drew)).size(), static_cast<std::size_t>(kW * kH));
    EXPECT_FALSE(drew);
    // Two pixels wide is drawable.
    Draw(normal, CRect(5, 4, 6, 23), true, &drew);
    EXPECT_TRUE(drew);
}

TEST_F(CellDrawing, ErasingCoversTheCellAndItsGridLinePixels)
{
    bool drew = false;
    const QImage image = Draw(normal, rect, true, &drew);
    EXPECT_TRUE(drew);
    EXPECT_EQ(PixelsOf(image, kWindow), Block(5, 4, 64, 23));

    // Without erasing, an empty cell leaves everything as it was.
    EXPECT_EQ(Untouched(Draw(normal, rect, false)).size(), static_cast<std::size_t>(kW * kH));

    // The cell's own colour wins over its template's.
    normal->SetBackColour(RGB(1, 2, 3));
    EXPECT_EQ(PixelsOf(Draw(normal, rect, true), RGB(1, 2, 3)), Block(5, 4, 64, 23));
}

TEST_F(CellDrawing, TextStartsOneMarginIn)
{
    normal->SetText("A&b 20, 20");
    Expected expected;
    expected.Fill(5, 4, 65, 24, kWindow);
    expected.Text(normal, CRect(5 + margin, 4, 64 - margin, 23), kWindowText);
    const QImage image = Draw(normal, rect, true);
    EXPECT_EQ(image, expected.Done());
    EXPECT_FALSE(PixelsOf(image, kWindowText).empty());

    // Without erasing only the text is drawn.
    Expected textOnly;
    textOnly.Text(normal, CRect(5 + margin, 4, 64 - margin, 23), kWindowText);
    EXPECT_EQ(Draw(normal, rect, false), textOnly.Done());
}

TEST_F(CellDrawing, TheFocusCellIsFramedInItsTextColour)
{
    normal->SetState(GRIDSTATE_FOCUSED);
    // The frame lies inside the rectangle, clear of the grid-line pixels.
    Pixels frame = Block(5, 4, 63, 4);
    for (const auto& p : Block(5, 22, 63, 22))
        frame.insert(p);
    for (const auto& p : Block(5, 4, 5, 22))
        frame.insert(p);
    for (const auto& p : Block(63, 4, 63, 22))
        frame.insert(p);
    const QImage framed = Draw(normal, rect, false);
    EXPECT_EQ(PixelsOf(framed, kWindowText), frame);
    EXPECT_EQ(Untouched(framed).size(), static_cast<std::size_t>(kW * kH) - frame.size());

    // With erasing, filled first; its text one pixel further in than an ordinary cell's.
    normal->SetText("Description");
    Expected expected;
    expected.Fill(5, 4, 65, 24, kWindow);
    expected.dc.FrameRect(rect, kWindowText);
    expected.Text(normal, CRect(6 + margin, 5, 63 - margin, 22), kWindowText);
    EXPECT_EQ(Draw(normal, rect, true), expected.Done());
}

TEST_F(CellDrawing, ASelectedFocusCellTakesTheSelectionColours)
{
    normal->SetState(GRIDSTATE_FOCUSED | GRIDSTATE_SELECTED);
    normal->SetText("Time");
    Expected expected;
    expected.Fill(5, 4, 65, 24, kHighlight);
    expected.dc.FrameRect(rect, kHighlightText);
    expected.Text(normal, CRect(6 + margin, 5, 63 - margin, 22), kHighlightText);
    // Filled even when the caller asks for no erasing.
    EXPECT_EQ(Draw(normal, rect, false), expected.Done());
}

TEST_F(CellDrawing, ASelectedCellIsFilledWithTheSelectionBackground)
{
    normal->SetState(GRIDSTATE_SELECTED);
    normal->SetText("Data");
    Expected expected;
    expected.Fill(5, 4, 65, 24, kHighlight);
    expected.Text(normal, CRect(5 + margin, 4, 64 - margin, 23), kHighlightText);
    EXPECT_EQ(Draw(normal, rect, false), expected.Done());
}

TEST_F(CellDrawing, FixedCellsHaveARaisedEdge)
{
    const QImage image = Draw(fixed, rect, false);
    Pixels light = Block(6, 4, 63, 4);  // top, its right end overdrawn by the dark edge
    for (const auto& p : Block(5, 4, 5, 22))
        light.insert(p); // left, down to the row above the bottom
    Pixels dark = Block(64, 4, 64, 22); // right
    for (const auto& p : Block(6, 23, 64, 23))
        dark.insert(p); // bottom, from one right of the corner
    EXPECT_EQ(PixelsOf(image, kLight), light);
    EXPECT_EQ(PixelsOf(image, kDarkShadow), dark);
    // The bottom-left corner pixel belongs to neither line.
    EXPECT_EQ(image.pixel(5, 23), kSentinel);

    fixed->SetText("Encoded");
    Expected expected;
    expected.Fill(5, 4, 65, 24, kFace);
    const CPen lightPen(CPen::PS_SOLID, 1, kLight);
    const CPen darkPen(CPen::PS_SOLID, 1, kDarkShadow);
    expected.dc.SelectObject(&lightPen);
    expected.dc.MoveTo(64, 4);
    expected.dc.LineTo(5, 4);
    expected.dc.LineTo(5, 23);
    expected.dc.SelectObject(&darkPen);
    expected.dc.MoveTo(64, 4);
    expected.dc.LineTo(64, 23);
    expected.dc.LineTo(5, 23);
    expected.Text(fixed, CRect(6 + margin, 5, 63 - margin, 22), kWindowText);
    EXPECT_EQ(Draw(fixed, rect, true), expected.Done());
}

TEST_F(CellDrawing, CutTextEndsInAnEllipsis)
{
    normal->SetText("Surround processor, main zone volume -35.5 dB");
    const CRect textRect(5 + margin, 4, 64 - margin, 23);
    Expected expected;
    expected.Text(normal, textRect, kWindowText);
    const QImage drawn = Draw(normal, rect, false);
    EXPECT_EQ(drawn, expected.Done());

    // The same text merely clipped looks different: the end is an ellipsis.
    Expected clipped;
    clipped.dc.SetTextColor(kWindowText);
    clipped.dc.SetBkMode(TRANSPARENT);
    clipped.dc.SelectObject(normal->GetFontObject());
    clipped.dc.DrawText(normal->GetText(), textRect, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    EXPECT_NE(drawn, clipped.Done());
}

TEST_F(CellDrawing, LeavesTheContextAsItFoundIt)
{
    normal->SetState(GRIDSTATE_FOCUSED | GRIDSTATE_SELECTED);
    normal->SetText("x");
    QImage image = Blank();
    QPainter painter(&image);
    CDC dc(&painter);
    dc.SetTextColor(RGB(9, 8, 7));
    const CFont* font = dc.GetCurrentFont();
    const CPen* pen = dc.GetCurrentPen();
    ASSERT_TRUE(fixed->Draw(&dc, 0, 1, rect, true));
    ASSERT_TRUE(normal->Draw(&dc, 1, 1, rect, true));
    EXPECT_EQ(dc.GetTextColor(), RGB(9, 8, 7));
    EXPECT_EQ(dc.GetBkMode(), OPAQUE);
    EXPECT_EQ(dc.GetCurrentFont(), font);
    EXPECT_EQ(dc.GetCurrentPen(), pen);
    EXPECT_FALSE(dc.RestoreDC(-1));
}

TEST_F(CellDrawing, TextAndTipRectanglesAreTheWholeRectangle)
{
    CRect r = rect;
    EXPECT_TRUE(normal->GetTextRect(&r));
    EXPECT_EQ(r, rect);
    EXPECT_TRUE(normal->GetTipTextRect(&r));
    EXPECT_EQ(r, rect);
}
