#include "platform/display_text.h"
#include "platform/font_object.h"
#include "platform/text_width_cache.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

#include <random>
#include <string>

// A remembered width is the one measuring again would give, in the font the text was measured
// in: changing the font forgets what the old one measured.
TEST(TextWidth, RememberedWidthsAreTheMeasuredOnesAndFollowTheFont)
{
    CFont font;
    QFont small;
    small.setPixelSize(11);
    font.CreateFromQFont(small);
    const std::string texts[] = {"", "12:34:56", "1, 20, 20, 69, 108, 109", "caf\xC3\xA9", "tab\there", "Value Volume = -30 dB"};
    for (int round = 0; round < 2; ++round) {
        for (const std::string& text : texts)
            EXPECT_EQ(font.TextWidth(text.c_str()), font.Metrics().horizontalAdvance(DisplayText(text.c_str()))) << text;
    }
    const int before = font.TextWidth("Value Volume = -30 dB");
    QFont large;
    large.setPixelSize(30);
    font.CreateFromQFont(large);
    EXPECT_GT(font.TextWidth("Value Volume = -30 dB"), before);
    EXPECT_EQ(font.TextWidth("Value Volume = -30 dB"), font.Metrics().horizontalAdvance("Value Volume = -30 dB"));
    EXPECT_EQ(font.TextWidth(nullptr), 0);
}

TEST(TextWidth, TheCacheStaysBounded)
{
    CTextWidthCache cache;
    cache.Remember(std::string(CTextWidthCache::kMaxTextBytes + 1, 'w'), 7);
    EXPECT_EQ(cache.Size(), 0u) << "long texts are measured each time";
    for (std::size_t i = 0; i < 3 * CTextWidthCache::kMaxTexts; ++i) {
        cache.Remember(std::to_string(i), static_cast<int>(i % 100));
        ASSERT_LE(cache.Size(), CTextWidthCache::kMaxTexts);
    }
    const std::string last = std::to_string(3 * CTextWidthCache::kMaxTexts - 1);
    EXPECT_EQ(cache.Find(last), static_cast<int>((3 * CTextWidthCache::kMaxTexts - 1) % 100));
    EXPECT_EQ(cache.Find("never"), -1);
}

// The bound that lets a grid skip measuring a text is never below the measured width, in any
// size or style, for every printable ASCII text; other texts have none.
TEST(TextWidth, TheBoundWithoutMeasuringIsNeverBelowTheWidth)
{
    std::mt19937 rng(5);
    const auto randomText = [&rng] {
        std::string text(rng() % 60, ' ');
        for (char& c : text)
            c = rng() % 20 == 0 ? '\t' : static_cast<char>(' ' + rng() % 95);
        return text;
    };
    for (const char* family : {"DejaVu Sans", "DejaVu Sans Mono", "DejaVu Serif"}) {
        for (const double points : {7.5, 9.0, 10.5, 13.0}) {
            for (const bool bold : {false, true}) {
                QFont qfont(family);
                qfont.setPointSizeF(points);
                qfont.setBold(bold);
                qfont.setItalic(points > 10);
                CFont font;
                font.CreateFromQFont(qfont);
                SCOPED_TRACE(std::string(family) + " " + std::to_string(points) + (bold ? " bold" : ""));
                EXPECT_EQ(font.TextWidthBound(""), 0);
                for (int i = 0; i < 300; ++i) {
                    const std::string text = randomText();
                    const int bound = font.TextWidthBound(text);
                    ASSERT_GE(bound, 0) << "printable ASCII has a bound: " << text;
                    ASSERT_GE(bound, font.TextWidth(text)) << text;
                }
                EXPECT_EQ(font.TextWidthBound("caf\xC3\xA9"), -1);
                EXPECT_EQ(font.TextWidthBound(std::string("a\0b", 3)), -1);
            }
        }
    }
}

// A stream of texts seen once (a clock with milliseconds) does not push out the texts that
// recur among them: the log's few packets and descriptions stay remembered.
TEST(TextWidth, TextsThatRecurStayThroughAStreamOfNewOnes)
{
    CTextWidthCache cache;
    cache.Remember("Value Master Volume = -35.5 dB", 123);
    for (std::size_t i = 0; i < 4 * CTextWidthCache::kMaxTexts; ++i) {
        cache.Remember("12:00:00." + std::to_string(i), 60);
        if (i % 1000 == 0) {
            ASSERT_EQ(cache.Find("Value Master Volume = -35.5 dB"), 123) << "after " << i << " new texts";
        }
        ASSERT_LE(cache.Size(), CTextWidthCache::kMaxTexts);
    }
    cache.Clear();
    EXPECT_EQ(cache.Find("Value Master Volume = -35.5 dB"), -1);
}

// A log whose texts recur within 16,384 others (as a font is used: looked up, measured and
// remembered when missing) finds every one of them from its second round on.
TEST(TextWidth, ALogsRecurringTextsAreAllFoundAfterTheirFirstRound)
{
    CTextWidthCache cache;
    int misses = 0;
    for (int round = 0; round < 4; ++round) {
        for (int i = 0; i < 16000; ++i) {
            const std::string text = "1, 20, " + std::to_string(i);
            if (cache.Find(text) < 0) {
                misses += round > 0 ? 1 : 0;
                cache.Remember(text, i % 300);
            }
        }
    }
    EXPECT_EQ(misses, 0);
}
