#include "grid_test_support.h"
#include "support/grid_test_access.h"

#include "platform/device_context.h"

#include <QImage>
#include <QPainter>
#include <QScrollBar>

using namespace test_colours;

namespace {

// A cell that records where the grid asked it to draw, in order.
class RecordingCell : public CGridCell {
public:
    static const CRuntimeClass classRecordingCell;
    static std::vector<std::pair<CGridCellId, CRect>>* log;
    bool Draw(CDC* dc, int row, int column, CRect rect, bool erase) override
    {
        if (log != nullptr)
            log->emplace_back(CGridCellId(row, column), rect);
        return CGridCell::Draw(dc, row, column, rect, erase);
    }
};
std::vector<std::pair<CGridCellId, CRect>>* RecordingCell::log = nullptr;
const CRuntimeClass RecordingCell::classRecordingCell = {"RecordingCell", &CGridCell::classCGridCell,
                                                         []() -> CObject* { return new RecordingCell; }};

class Drawing : public GridTest {
protected:
    Drawing() { RecordingCell::log = &drawn; }
    ~Drawing() override { RecordingCell::log = nullptr; }

    // rows x columns of 20 x 50 pixels in a client area of w x h.
    void Make(int rows, int columns, int fixedRows, int fixedColumns, int w, int h)
    {
        grid.SetCellClass(&RecordingCell::classRecordingCell);
        MakeUniform(grid, rows, columns, fixedRows, fixedColumns, w, h);
        drawn.clear();
    }

    QImage Paint(const QRect& clip = QRect())
    {
        QImage image(grid.viewport()->size(), QImage::Format_RGB32);
        image.fill(0xFFFF00FF);
        QPainter painter(&image);
        if (!clip.isNull())
            painter.setClipRect(clip);
        CDC dc(&painter);
        GridTestAccess::Draw(grid, &dc);
        return image;
    }

    static QRgb Rgb(COLORREF c) { return ToQColor(c).rgb(); }

    std::vector<CGridCellId> Order() const
    {
        std::vector<CGridCellId> ids;
        for (const auto& [id, rect] : drawn)
            ids.push_back(id);
        return ids;
    }

    CGridCtrl grid;
    std::vector<std::pair<CGridCellId, CRect>> drawn;
};

} // namespace

TEST_F(Drawing, CornerThenFixedColumnsThenFixedRowsThenScrolledCells)
{
    Make(4, 3, 1, 1, 400, 200);
    Paint();
    EXPECT_EQ(Order(), (std::vector<CGridCellId>{{0, 0},
                                                 {1, 0}, {2, 0}, {3, 0},
                                                 {0, 1}, {0, 2},
                                                 {1, 1}, {1, 2}, {2, 1}, {2, 2}, {3, 1}, {3, 2}}));
    EXPECT_EQ(drawn[0].second, CRect(0, 0, 49, 19));
    EXPECT_EQ(drawn.back().second, CRect(100, 60, 149, 79));
}

TEST_F(Drawing, BackgroundGridLinesAndEmptyArea)
{
    Make(4, 3, 1, 1, 400, 200);
    const QImage image = Paint();
    const QRgb line = Rgb(RGB(0xC0, 0xC0, 0xC0));
    // Scrolled cells: their own background, their last pixel column and row a grid line.
    EXPECT_EQ(image.pixel(60, 25), Rgb(kWindow));
    EXPECT_EQ(image.pixel(99, 25), line);
    EXPECT_EQ(image.pixel(60, 39), line);
    EXPECT_EQ(image.pixel(149, 79), line);
    // Grid lines stop where the cells stop.
    EXPECT_EQ(image.pixel(99, 80), Rgb(kShadow));
    EXPECT_EQ(image.pixel(150, 39), Rgb(kShadow));
    // Fixed cells have their edges and no grid lines: the header's bottom row is its dark edge.
    EXPECT_EQ(image.pixel(60, 19), Rgb(kDarkShadow));
    EXPECT_EQ(image.pixel(60, 0), Rgb(kLight));
    EXPECT_EQ(image.pixel(25, 10), Rgb(kFace));
    // Right of the last column and below the last row: the empty-area colour.
    EXPECT_EQ(image.pixel(300, 10), Rgb(kShadow));
    EXPECT_EQ(image.pixel(10, 150), Rgb(kShadow));
    EXPECT_EQ(image.pixel(399, 199), Rgb(kShadow));
    // Nothing of the page shows through.
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            ASSERT_NE(image.pixel(x, y), 0xFFFF00FFu) << x << "," << y;
    }
}

TEST_F(Drawing, AHeaderOnlyGridDrawsItsHeaderAndNoLines)
{
    Make(1, 4, 1, 0, 300, 120);
    grid.SetItemText(0, 0, "Time");
    const QImage image = Paint();
    EXPECT_EQ(Order(), (std::vector<CGridCellId>{{0, 0}, {0, 1}, {0, 2}, {0, 3}}));
    const QRgb line = Rgb(RGB(0xC0, 0xC0, 0xC0));
    int lines = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            lines += image.pixel(x, y) == line ? 1 : 0;
    }
    EXPECT_EQ(lines, 0);
    EXPECT_EQ(image.pixel(100, 60), Rgb(kShadow));
    EXPECT_EQ(image.pixel(250, 10), Rgb(kShadow));
}

TEST_F(Drawing, APartialRepaintDrawsOnlyWhatItTouchesAndTheCorner)
{
    Make(6, 5, 1, 1, 400, 200);
    Paint(QRect(110, 45, 20, 10)); // inside cell (2, 2)
    EXPECT_EQ(Order(), (std::vector<CGridCellId>{{0, 0}, {2, 2}}));

    drawn.clear();
    Paint(QRect(40, 15, 20, 10)); // across the corner of four cells
    EXPECT_EQ(Order(), (std::vector<CGridCellId>{{0, 0}, {1, 0}, {0, 1}, {1, 1}}));
}

TEST_F(Drawing, HiddenColumnsDrawNothingAndShareTheirNeighboursLine)
{
    Make(3, 4, 1, 0, 400, 100);
    grid.SetColumnWidth(1, 0);
    const QImage image = Paint();
    for (const auto& [id, rect] : drawn) {
        if (id.col == 1) {
            EXPECT_LT(rect.Width(), 0);
        }
    }
    const QRgb line = Rgb(RGB(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(image.pixel(49, 30), line);
    EXPECT_EQ(image.pixel(50, 30), Rgb(kWindow));
    EXPECT_EQ(image.pixel(99, 30), line);
}

TEST_F(Drawing, DrawCellNowPaintsOneCellWithItsLines)
{
    Make(6, 4, 1, 1, 400, 100);
    QImage image(grid.viewport()->size(), QImage::Format_RGB32);
    image.fill(0xFFFF00FF);
    {
        QPainter painter(&image);
        CDC dc(&painter);
        EXPECT_TRUE(GridTestAccess::DrawCellNow(grid, 2, 2, &dc));
    }
    const QRgb line = Rgb(RGB(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(image.pixel(120, 50), Rgb(kWindow));
    EXPECT_EQ(image.pixel(149, 50), line);
    EXPECT_EQ(image.pixel(120, 59), line);
    EXPECT_EQ(image.pixel(100, 40), Rgb(kWindow));
    EXPECT_EQ(image.pixel(99, 50), 0xFFFF00FFu);
    EXPECT_EQ(image.pixel(150, 50), 0xFFFF00FFu);

    // Out of view: nothing. (Scrolled as far as it goes: by one row.)
    grid.SetScrollPosition(SB_VERT, 40);
    ASSERT_EQ(grid.GetTopLeftScrolledCell().row, 2);
    drawn.clear();
    {
        QPainter painter(&image);
        CDC dc(&painter);
        EXPECT_FALSE(GridTestAccess::DrawCellNow(grid, 1, 2, &dc));
    }
    EXPECT_TRUE(drawn.empty());

    // Without a context to draw on, the cell is invalidated for the next paint.
    GridTestAccess::Validate(grid);
    EXPECT_TRUE(GridTestAccess::DrawCellNow(grid, 3, 2));
    CRect invalid;
    EXPECT_TRUE(GridTestAccess::UpdateRect(grid, &invalid));
    EXPECT_EQ(invalid, CRect(100, 40, 150, 60));
}

TEST_F(Drawing, ThePaintEventGoesThroughTheOffscreenImage)
{
    Make(8, 4, 1, 1, 300, 120);
    grid.SetItemText(2, 1, "20, 20");
    grid.SetItemText(0, 1, "Encoded");
    grid.SetFocusCell(3, 2);
    const QImage direct = Paint();
    const QImage painted = grid.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(painted, direct);
    EXPECT_FALSE(GridTestAccess::UpdateRect(grid, nullptr));
}

TEST_F(Drawing, TemplatesFollowASystemColourChangeOnlyWhileTheyHadTheOldColours)
{
    Make(3, 3, 1, 1, 200, 100);
    grid.GetDefaultCell(true, false)->SetBackColour(kWindow); // looks like the window colour
    grid.GetDefaultCell(false, true)->SetTextColour(RGB(1, 2, 3)); // the owner's own choice
    QPalette changed = TestPalette();
    changed.setColor(QPalette::Base, QColor(0, 0, 255));
    changed.setColor(QPalette::Text, QColor(0, 255, 0));
    changed.setColor(QPalette::Dark, QColor(255, 0, 0));
    // (A palette change of the application reaches widgets only while its event loop runs.)
    grid.setPalette(changed);

    EXPECT_EQ(grid.GetDefaultCell(false, false)->GetBackColour(), RGB(0, 0, 255));
    EXPECT_EQ(grid.GetDefaultCell(false, false)->GetTextColour(), RGB(0, 255, 0));
    EXPECT_EQ(grid.GetDefaultCell(true, false)->GetBackColour(), RGB(0, 0, 255));
    EXPECT_EQ(grid.GetDefaultCell(true, true)->GetBackColour(), kFace);
    EXPECT_EQ(grid.GetDefaultCell(false, true)->GetTextColour(), RGB(1, 2, 3));
    EXPECT_EQ(grid.GetEmptyAreaColour(), RGB(255, 0, 0));

    // An empty-area colour of the owner's stays.
    grid.SetEmptyAreaColour(RGB(5, 5, 5));
    grid.setPalette(TestPalette());
    EXPECT_EQ(grid.GetEmptyAreaColour(), RGB(5, 5, 5));
    EXPECT_EQ(grid.GetDefaultCell(false, false)->GetBackColour(), kWindow);
}

TEST_F(Drawing, ALastColumnScrolledIntoIsDrawnFromLeftOfTheFixedColumnsWithoutCoveringThem)
{
    Make(3, 3, 1, 1, 200, 100);
    grid.SetColumnWidth(2, 400);
    grid.UpdateScrollBars();
    GridTestAccess::HScroll(grid, SB_RIGHT);
    const int shift = grid.GetScrolledColumnShift();
    ASSERT_GT(shift, 0);
    drawn.clear();
    const QImage image = Paint();
    const CRect client = grid.GetClientRect();
    EXPECT_EQ(drawn.back(), std::make_pair(CGridCellId(2, 2), CRect(50 - shift, 40, client.right - 1, 59)));
    // The fixed column keeps its face; the scrolled cell's background begins at its edge, and the
    // last column's closing grid line is at the view's right edge.
    EXPECT_EQ(image.pixel(25, 30), Rgb(kFace));
    EXPECT_EQ(image.pixel(55, 30), Rgb(kWindow));
    EXPECT_EQ(image.pixel(client.right - 1, 30), Rgb(RGB(0xC0, 0xC0, 0xC0)));
}
