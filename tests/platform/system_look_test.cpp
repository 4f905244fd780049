#include "platform/colour.h"
#include "platform/font_object.h"
#include "platform/log_font.h"
#include "platform/system_colours.h"

#include <QApplication>
#include <QFontInfo>
#include <QPalette>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(Colours, AreBgrValues)
{
    constexpr COLORREF c = RGB(0x12, 0x34, 0x56);
    static_assert(c == 0x563412);
    static_assert(GetRValue(c) == 0x12 && GetGValue(c) == 0x34 && GetBValue(c) == 0x56);
    EXPECT_EQ(ToQColor(c), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(FromQColor(QColor(0x12, 0x34, 0x56)), c);
    EXPECT_EQ(CLR_DEFAULT, 0xFF000000u);
}

TEST(Colours, SystemColoursComeFromThePalette)
{
    QPalette palette;
    const std::pair<int, QPalette::ColorRole> mapping[] = {
        {COLOR_WINDOW, QPalette::Base},         {COLOR_WINDOWTEXT, QPalette::Text},
        {COLOR_BTNFACE, QPalette::Button},      {COLOR_BTNSHADOW, QPalette::Dark},
        {COLOR_HIGHLIGHT, QPalette::Highlight}, {COLOR_HIGHLIGHTTEXT, QPalette::HighlightedText},
        {COLOR_3DHIGHLIGHT, QPalette::Light},   {COLOR_3DDKSHADOW, QPalette::Shadow},
        {COLOR_INFOBK, QPalette::ToolTipBase},
    };
    int i = 1;
    for (const auto& [index, role] : mapping) {
        palette.setColor(role, QColor(i * 20, 255 - i * 20, i));
        ++i;
    }
    i = 1;
    for (const auto& [index, role] : mapping) {
        EXPECT_EQ(GetSysColor(index, palette), RGB(i * 20, 255 - i * 20, i)) << index;
        ++i;
    }
    EXPECT_EQ(GetSysColor(99, palette), 0u);
}

TEST(Fonts, RecordAndQtFontConvertBothWays)
{
    LOGFONT lf;
    lf.lfHeight = -15;
    lf.lfWeight = FW_BOLD;
    lf.lfItalic = 1;
    std::strcpy(lf.lfFaceName, "DejaVu Sans Mono");
    const QFont font = ToQFont(lf);
    EXPECT_EQ(font.family(), "DejaVu Sans Mono");
    EXPECT_EQ(font.pixelSize(), 15);
    EXPECT_EQ(font.weight(), QFont::Bold);
    EXPECT_TRUE(font.italic());
    EXPECT_FALSE(font.underline());

    const LOGFONT back = FromQFont(font);
    EXPECT_EQ(back.lfHeight, -15);
    EXPECT_EQ(back.lfWeight, FW_BOLD);
    EXPECT_EQ(back.lfItalic, 1);
    EXPECT_STREQ(back.lfFaceName, "DejaVu Sans Mono");

    // A cell height is taken as the size; 0 and no face are the application's.
    lf.lfHeight = 12;
    EXPECT_EQ(ToQFont(lf).pixelSize(), 12);
    LOGFONT plain;
    EXPECT_EQ(ToQFont(plain).pixelSize(), QFontInfo(QApplication::font()).pixelSize());

    // A face name longer than the record holds is cut, still terminated.
    QFont longName(QString(40, u'F'));
    longName.setPixelSize(10);
    const LOGFONT cut = FromQFont(longName);
    EXPECT_EQ(std::strlen(cut.lfFaceName), 31u);
    // Face names are UTF-8 both ways, and one is cut before a letter that no longer fits whole.
    QFont polish(QString(30, u'F') + QStringLiteral(u"\u0142"));
    polish.setPixelSize(10);
    EXPECT_STREQ(FromQFont(polish).lfFaceName, std::string(30, 'F').c_str());
    std::strcpy(lf.lfFaceName, "Czcionka \xC5\x82");
    EXPECT_EQ(ToQFont(lf).family(), QStringLiteral(u"Czcionka \u0142"));
    EXPECT_STREQ(FromQFont(ToQFont(lf)).lfFaceName, "Czcionka \xC5\x82");

    const LOGFONT message = GetMessageFont();
    EXPECT_EQ(message.lfHeight, -13);
    EXPECT_STREQ(message.lfFaceName, "DejaVu Sans");
}

TEST(Fonts, FontObjectIsEmptyUntilCreated)
{
    CFont font;
    EXPECT_EQ(font.GetSafeHandle(), nullptr);
    EXPECT_FALSE(font.CreateFontIndirect(nullptr));
    LOGFONT lf;
    lf.lfHeight = -11;
    EXPECT_TRUE(font.CreateFontIndirect(&lf));
    EXPECT_NE(font.GetSafeHandle(), nullptr);
    EXPECT_EQ(font.Metrics().height(), QFontMetrics(font.Font()).height());
    font.DeleteObject();
    EXPECT_EQ(font.GetSafeHandle(), nullptr);
}
