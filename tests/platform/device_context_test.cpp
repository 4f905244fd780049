#include "platform/device_context.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr QRgb kPaper = 0xFFFFFFFF;

QImage Paper(int w = 160, int h = 30)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(kPaper);
    return image;
}

// The pixels of colour c, as a set of "x,y" strings in scan order, for readable failures.
std::vector<std::string> PixelsOf(const QImage& image, QRgb c)
{
    std::vector<std::string> pixels;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == c)
                pixels.push_back(std::to_string(x) + "," + std::to_string(y));
        }
    }
    return pixels;
}

std::vector<std::string> Block(int x0, int y0, int x1, int y1)
{
    std::vector<std::string> pixels;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x)
            pixels.push_back(std::to_string(x) + "," + std::to_string(y));
    }
    return pixels;
}

QRgb Rgb(COLORREF c) { return ToQColor(c).rgb(); }

const COLORREF kRed = RGB(255, 0, 0);

} // namespace

TEST(DeviceContext, FillsLeaveOutRightAndBottom)
{
    QImage image = Paper(10, 10);
    {
        QPainter painter(&image);
        CDC dc(&painter);
        dc.FillSolidRect(CRect(2, 3, 5, 6), kRed);
        dc.FillSolidRect(CRect(7, 7, 7, 9), kRed); // empty: nothing
        dc.FillSolidRect(CRect(9, 9, 8, 8), kRed); // inverted: nothing
    }
    EXPECT_EQ(PixelsOf(image, Rgb(kRed)), Block(2, 3, 4, 5));
}

TEST(DeviceContext, FrameIsOnePixelInsideTheRectangle)
{
    QImage image = Paper(10, 10);
    {
        QPainter painter(&image);
        CDC dc(&painter);
        dc.FrameRect(CRect(1, 1, 5, 4), kRed);
    }
    std::vector<std::string> expected = {"1,1", "2,1", "3,1", "4,1", "1,2", "4,2", "1,3", "2,3", "3,3", "4,3"};
    EXPECT_EQ(PixelsOf(image, Rgb(kRed)), expected);
}

TEST(DeviceContext, LinesLeaveOutTheirEndPoint)
{
    QImage image = Paper(10, 10);
    const CPen pen(CPen::PS_SOLID, 0, kRed);
    {
        QPainter painter(&image);
        CDC dc(&painter);
        dc.SelectObject(&pen);
        dc.MoveTo(5, 1);
        dc.LineTo(2, 1); // leftwards: 3..5
        dc.LineTo(2, 4); // downwards from (2,1): 1..3
        dc.MoveTo(7, 8);
        dc.LineTo(7, 6); // upwards: 8, 7
        dc.SelectObject(GetStockPen(NULL_PEN));
        dc.MoveTo(0, 9);
        dc.LineTo(9, 9); // null pen: nothing
        EXPECT_EQ(dc.MoveTo(0, 0), CPoint(9, 9));
    }
    std::vector<std::string> expected = {"2,1", "3,1", "4,1", "5,1", "2,2", "2,3", "7,7", "7,8"};
    EXPECT_EQ(PixelsOf(image, Rgb(kRed)), expected);

    // A diagonal leaves its end point out as well.
    QImage diagonal = Paper(10, 10);
    {
        QPainter painter(&diagonal);
        CDC dc(&painter);
        dc.SelectObject(&pen);
        dc.MoveTo(0, 0);
        dc.LineTo(3, 3);
    }
    EXPECT_EQ(PixelsOf(diagonal, Rgb(kRed)), (std::vector<std::string>{"0,0", "1,1", "2,2"}));
}

TEST(DeviceContext, SaveAndRestoreBringBackEveryAttribute)
{
    CDC dc;
    CFont font;
    LOGFONT lf;
    lf.lfHeight = -20;
    ASSERT_TRUE(font.CreateFontIndirect(&lf));
    const CPen pen(CPen::PS_SOLID, 1, kRed);
    const CFont* initialFont = dc.GetCurrentFont();

    const int level1 = dc.SaveDC();
    dc.SetTextColor(kRed);
    dc.SetBkMode(TRANSPARENT);
    dc.SelectObject(&font);
    dc.SelectObject(&pen);
    const int level2 = dc.SaveDC();
    dc.SetTextColor(RGB(0, 0, 255));
    EXPECT_EQ(level2, level1 + 1);

    EXPECT_TRUE(dc.RestoreDC(-1));
    EXPECT_EQ(dc.GetTextColor(), kRed);
    EXPECT_TRUE(dc.RestoreDC(level1));
    EXPECT_EQ(dc.GetTextColor(), RGB(0, 0, 0));
    EXPECT_EQ(dc.GetBkMode(), OPAQUE);
    EXPECT_EQ(dc.GetCurrentFont(), initialFont);
    EXPECT_EQ(dc.GetCurrentPen(), GetStockPen(BLACK_PEN));
    EXPECT_FALSE(dc.RestoreDC(-1));
    EXPECT_FALSE(dc.RestoreDC(5));

    // An empty font object is not selected.
    CFont empty;
    EXPECT_EQ(dc.SelectObject(&empty), initialFont);
    EXPECT_EQ(dc.GetCurrentFont(), initialFont);
}

TEST(DeviceContext, MeasuresUtf8TextOnOneLine)
{
    CDC dc;
    const QFontMetrics& fm = dc.GetCurrentFont()->Metrics();
    EXPECT_EQ(dc.GetTextExtent("Encoded"), CSize(fm.horizontalAdvance("Encoded"), fm.height()));
    // The two bytes of "é" are one letter, as the console shows them.
    EXPECT_EQ(dc.GetTextExtent("caf\xC3\xA9").cx, fm.horizontalAdvance(QStringLiteral(u"caf\u00E9")));
    // TAB, CR and LF count as spaces.
    EXPECT_EQ(dc.GetTextExtent("a\tb\r\nc").cx, fm.horizontalAdvance("a b  c"));
    EXPECT_EQ(dc.GetTextExtent(nullptr).cx, 0);
    EXPECT_EQ(dc.GetTextMetrics().tmOverhang, 0);
    EXPECT_EQ(dc.GetTextMetrics().tmHeight, fm.height());
}

namespace {

// What DrawText should produce: the text drawn by QPainter at top-left (x, y), clipped to clip.
QImage Reference(const QString& text, int x, int y, const QRect& clip, const QFont& font, const QColor& colour)
{
    QImage image = Paper();
    QPainter painter(&image);
    painter.setClipRect(clip);
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(QPoint(x, y + QFontMetrics(font).ascent()), text);
    return image;
}

QImage Drawn(const char* text, const CRect& rect, unsigned format, int bkMode = TRANSPARENT)
{
    QImage image = Paper();
    QPainter painter(&image);
    CDC dc(&painter);
    dc.SetTextColor(RGB(0, 0, 128));
    dc.SetBkMode(bkMode);
    dc.DrawText(text, rect, format);
    return image;
}

} // namespace

TEST(DeviceContext, DrawTextPlacesASingleLineByTheFlags)
{
    CDC dc;
    const QFont font = dc.GetCurrentFont()->Font();
    const QFontMetrics& fm = dc.GetCurrentFont()->Metrics();
    const int H = fm.height();
    const QColor ink(0, 0, 128);
    const CRect rect(3, 2, 38, 27);
    const QRect clip = ToQRect(rect);

    EXPECT_EQ(Drawn("Ab", rect, DT_LEFT), Reference("Ab", 3, 2, clip, font, ink));
    // Vertically centred: top + (h - H) / 2, truncated.
    EXPECT_EQ(Drawn("Ab", rect, DT_VCENTER | DT_SINGLELINE), Reference("Ab", 3, 2 + (25 - H) / 2, clip, font, ink));
    EXPECT_EQ(Drawn("Ab", rect, DT_BOTTOM | DT_SINGLELINE), Reference("Ab", 3, 27 - H, clip, font, ink));
    const int w = fm.horizontalAdvance("Ab");
    EXPECT_EQ(Drawn("Ab", rect, DT_RIGHT), Reference("Ab", 38 - w, 2, clip, font, ink));
    EXPECT_EQ(Drawn("Ab", rect, DT_CENTER), Reference("Ab", 3 + (35 - w) / 2, 2, clip, font, ink));
    // Tabs and line breaks are spaces; an ampersand is an ampersand.
    EXPECT_EQ(Drawn("A\tb\nc", rect, DT_LEFT), Reference("A b c", 3, 2, clip, font, ink));
    EXPECT_EQ(Drawn("A&b", rect, DT_LEFT | DT_NOPREFIX), Reference("A&b", 3, 2, clip, font, ink));
    EXPECT_EQ(Drawn("A&b", rect, DT_LEFT), Reference("A&b", 3, 2, clip, font, ink));
}

TEST(DeviceContext, DrawTextClipsAndEndsCutTextInAnEllipsis)
{
    CDC dc;
    const QFont font = dc.GetCurrentFont()->Font();
    const QFontMetrics& fm = dc.GetCurrentFont()->Metrics();
    const QColor ink(0, 0, 128);
    const char* text = "Surround processor";
    const CRect narrow(2, 2, 2 + fm.horizontalAdvance("Surround") + 1, 28);
    const QRect clip = ToQRect(narrow);

    // Without the flag the text is only clipped at the rectangle.
    const QImage clipped = Drawn(text, narrow, DT_LEFT);
    EXPECT_EQ(clipped, Reference(text, 2, 2, clip, font, ink));
    EXPECT_NE(clipped, Reference(text, 2, 2, QRect(0, 0, 160, 30), font, ink));

    // With it, the longest head that fits together with "...".
    QString expected;
    for (int n = static_cast<int>(std::strlen(text)); n >= 0; --n) {
        expected = QString::fromLatin1(text, n) + "...";
        if (fm.horizontalAdvance(expected) <= narrow.Width())
            break;
    }
    EXPECT_TRUE(expected.startsWith("Sur"));
    EXPECT_EQ(Drawn(text, narrow, DT_LEFT | DT_END_ELLIPSIS), Reference(expected, 2, 2, clip, font, ink));
    // A text that fits is left alone.
    EXPECT_EQ(Drawn("Sur", narrow, DT_LEFT | DT_END_ELLIPSIS), Reference("Sur", 2, 2, clip, font, ink));

    // DT_NOCLIP draws past the rectangle.
    EXPECT_EQ(Drawn(text, narrow, DT_LEFT | DT_NOCLIP), Reference(text, 2, 2, QRect(0, 0, 160, 30), font, ink));
}

TEST(DeviceContext, OpaqueTextFillsItsBoxWithTheBackgroundColour)
{
    CDC measure;
    const QFontMetrics& fm = measure.GetCurrentFont()->Metrics();
    const QImage image = Drawn("I", CRect(0, 0, 40, 30), DT_LEFT, OPAQUE);
    // The background colour is white on a white page: the box shows no other colour than ink.
    int nonWhiteOutside = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const bool inBox = x < fm.horizontalAdvance("I") && y < fm.height();
            if (!inBox && image.pixel(x, y) != kPaper)
                ++nonWhiteOutside;
        }
    }
    EXPECT_EQ(nonWhiteOutside, 0);

    QImage onRed(40, 30, QImage::Format_RGB32);
    onRed.fill(Qt::red);
    {
        QPainter painter(&onRed);
        CDC dc(&painter);
        dc.TextOut(5, 5, "I");
    }
    // The box of the text is white now, the rest still red.
    EXPECT_NE(onRed.pixel(5, 5), QColor(Qt::red).rgb());
    EXPECT_EQ(onRed.pixel(4, 5), QColor(Qt::red).rgb());
    EXPECT_EQ(onRed.pixel(5, 5 + fm.height()), QColor(Qt::red).rgb());
}

TEST(DeviceContext, ClipBoxIsInTheContextsCoordinates)
{
    CDC measuring;
    CRect box;
    EXPECT_EQ(measuring.GetClipBox(&box), RGN_ERROR);
    EXPECT_EQ(measuring.DrawText("x", CRect(0, 0, 10, 10), DT_LEFT), 0);

    QImage image = Paper(40, 30);
    QPainter painter(&image);
    CDC dc(&painter);
    EXPECT_EQ(dc.GetClipBox(&box), SIMPLEREGION);
    EXPECT_EQ(box, CRect(0, 0, 40, 30));
    painter.translate(-10, -5);
    EXPECT_EQ(dc.GetClipBox(&box), SIMPLEREGION);
    EXPECT_EQ(box, CRect(10, 5, 50, 35));
    painter.setClipRect(QRect(12, 6, 5, 4));
    EXPECT_EQ(dc.GetClipBox(&box), SIMPLEREGION);
    EXPECT_EQ(box, CRect(12, 6, 17, 10));
}
