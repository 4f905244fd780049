#include "main_window_fixture.h"
#include "catalogue/radio_text.h"
#include "support/grid_test_access.h"

#include "catalogue/describer.h"
#include "log/printable_text.h"

#include <QClipboard>

namespace {

class LogView : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        Start();
        Received();
    }

    // count Device ID answers whose names are `length` letters long: rows with a wide "Description".
    void SendRows(int count, int length = 1)
    {
        std::vector<std::uint8_t> bytes;
        for (int i = 0; i < count; ++i) {
            std::vector<std::uint8_t> payload{20, 20};
            payload.insert(payload.end(), static_cast<std::size_t>(length), static_cast<std::uint8_t>('a' + i % 26));
            const std::vector<std::uint8_t> packet = Packet(CountedBytes(std::span<const std::uint8_t>(payload)));
            bytes.insert(bytes.end(), packet.begin(), packet.end());
        }
        const int before = Grid().GetRowCount();
        DeviceSends(bytes);
        ASSERT_TRUE(WaitForRows(before + count));
    }
    bool LastRowInView() { return Grid().IsCellVisible(Grid().GetRowCount() - 1, Grid().GetTopLeftScrolledCell().col); }
    std::vector<int> Widths() const
    {
        std::vector<int> widths;
        for (int c = 0; c < Grid().GetColumnCount(); ++c)
            widths.push_back(Grid().GetColumnWidth(c));
        return widths;
    }
};

} // namespace

TEST_F(LogView, DeviceTextShowsControlBytesAsTheConsoleToolDoesAndCopiesAsOneRow)
{
    CRadioText radioText;
    const CountedBytes answer{20, 20, 'T', 'a', 'b', 0x09, 'h', 'e', 'r', 'e', 0x0A, 0x01, 0x7F, 0x9B, 0x85, 0xE9, 0xFF};
    DeviceSends(Packet(answer));
    ASSERT_TRUE(WaitForRows(2));
    const QString description = Cell(1, 3);
    EXPECT_EQ(description.toStdString(), DeviceText(DescribeResponse(answer, radioText)));
    // Bytes above the controls are the Latin-1 letters the console shows, not two letters each.
    EXPECT_TRUE(description.endsWith(QStringLiteral(u"Tab\\x09here\\x0a\\x01\\x7f\\x9b\\x85\u00E9\u00FF")))
        << description.toStdString();
    for (int c = 0; c < 4; ++c) {
        for (const QChar ch : Cell(1, c))
            EXPECT_TRUE(ch.unicode() >= 0x20 && (ch.unicode() < 0x7F || ch.unicode() > 0x9F)) << c;
    }

    QGuiApplication::clipboard()->setText("before");
    Grid().SelectRange(1, 0, 1, 3, false, true);
    Grid().OnEditCopy();
    const QString copied = QGuiApplication::clipboard()->text();
    EXPECT_EQ(copied, QStringList({Cell(1, 0), Cell(1, 1), Cell(1, 2), description}).join('\t'));
    EXPECT_EQ(copied.split('\t').size(), 4);
    EXPECT_FALSE(copied.contains('\n'));
}

TEST_F(LogView, TheLogFollowsNewRowsWhateverItsHorizontalPosition)
{
    SendRows(60, 120); // more rows than show at once, wider than the log
    ASSERT_TRUE(LastRowInView());
    GridTestAccess::HScroll(Grid(), SB_RIGHT);
    const int right = Grid().GetScrollPosition(SB_HORZ);
    ASSERT_GT(right, 0);
    ASSERT_GT(Grid().GetTopLeftScrolledCell().col, 0);

    SendRows(5, 120);
    EXPECT_TRUE(LastRowInView());
    EXPECT_EQ(Grid().GetScrollPosition(SB_HORZ), right); // reading "Description" goes on

    // Scrolled up, new rows leave the view where it is, at either horizontal position.
    GridTestAccess::VScroll(Grid(), SB_TOP);
    SendRows(5, 120);
    EXPECT_EQ(Grid().GetTopLeftScrolledCell().row, 1);
    EXPECT_FALSE(LastRowInView());
    EXPECT_EQ(Grid().GetScrollPosition(SB_HORZ), right);
}

TEST_F(LogView, ClearKeepsTheColumnWidthsUntilTheNextRowSizesThem)
{
    SendRows(3, 100);
    const std::vector<int> wide = Widths();
    Button(1014)->click();
    EXPECT_EQ(Grid().GetRowCount(), 1);
    EXPECT_EQ(Widths(), wide);
    SendRows(1, 1);
    EXPECT_LT(Grid().GetColumnWidth(3), wide[3]);
    EXPECT_EQ(Cell(1, 2), "20, 20, 97");
}

TEST_F(LogView, ScrolledFullyRightTheEndOfALongDescriptionShows)
{
    SendRows(3, 110);
    const CRect client = Grid().GetClientRect();
    ASSERT_GT(Grid().GetColumnWidth(3), client.Width()); // wider than the whole log
    GridTestAccess::HScroll(Grid(), SB_RIGHT);
    CRect rect;
    ASSERT_TRUE(Grid().GetCellRect(1, 3, &rect));
    EXPECT_EQ(rect.right, client.right - 1);
    // The title tip has nothing to add: the whole text has been within reach.
    EXPECT_EQ(Grid().GetCellFromPoint(CPoint(client.right - 2, rect.top + 2)), CGridCellId(1, 3));
}
