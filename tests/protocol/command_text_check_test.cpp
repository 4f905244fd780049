// The check every sender asks before a typed command goes out: it names the first token the
// parser would turn into some other byte, or drop.

#include "protocol/command_text_check.h"
#include "protocol/command_text_parser.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Kind = CommandTextProblem::Kind;

std::string Repeated(int count, const std::string& token)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += token + " ";
    return text;
}

} // namespace

TEST(CheckCommandText, ByteValuesAsWrittenPass)
{
    for (const char* text : {"20 20", " ,20,,0x15 , ", "0X1F 0x1f 0x00ff", "\t20", "20\r", "0 255 007", ""})
        EXPECT_FALSE(CheckCommandText(text).has_value()) << text;
    EXPECT_FALSE(CheckCommandText(Repeated(127, "0x5e")).has_value());
}

// Each of these parses to bytes other than the ones written: the parser's preview is not what
// the text says.
TEST(CheckCommandText, NamesTheFirstTokenTheParserWouldMisread)
{
    struct Case {
        const char* text;
        std::size_t index;
        const char* token;
    };
    for (const Case& c : {Case{"20 300", 2, "300"}, Case{"query \"Power Mode\"", 1, "query"},
                          Case{"12abc", 1, "12abc"}, Case{"20\t21", 1, "20\t21"}, Case{"-1", 1, "-1"},
                          Case{"+7", 1, "+7"}, Case{"0x100", 1, "0x100"}, Case{"0x", 1, "0x"},
                          Case{"0xg 300", 1, "0xg"}, Case{"20 \t 20", 2, ""}, Case{"20 1.5", 2, "1.5"},
                          Case{"20 99999999999", 2, "99999999999"}}) {
        const auto problem = CheckCommandText(c.text);
        ASSERT_TRUE(problem.has_value()) << c.text;
        EXPECT_EQ(problem->kind, Kind::NotAByte) << c.text;
        EXPECT_EQ(problem->index, c.index) << c.text;
        EXPECT_EQ(problem->token, c.token) << c.text;
    }
    EXPECT_EQ(CheckCommandText("20 300")->Text(),
              "value 2 (\"300\") is not a byte value: write 0 to 255, or 0x00 to 0xFF");
}

TEST(CheckCommandText, TheStopWordAndTheHundredAndTwentyEighthValueAreNamed)
{
    const auto cut = CheckCommandText("20 <INVALID> 5");
    ASSERT_TRUE(cut.has_value());
    EXPECT_EQ(cut->kind, Kind::StopWord);
    EXPECT_EQ(cut->index, 2u);
    EXPECT_NE(cut->Text().find("ends the command there"), std::string::npos) << cut->Text();

    const auto tooLong = CheckCommandText(Repeated(200, "20"));
    ASSERT_TRUE(tooLong.has_value());
    EXPECT_EQ(tooLong->kind, Kind::TooLong);
    EXPECT_EQ(tooLong->index, 128u);
    EXPECT_EQ(ParseCommandText(Repeated(128, "20")).Count(), 0u); // what would have gone out

    // A bad token before the 128th is the one named.
    const auto first = CheckCommandText("20 x " + Repeated(200, "20"));
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->kind, Kind::NotAByte);
    EXPECT_EQ(first->index, 2u);
}

TEST(CheckCommandText, ALongTokenIsShownByItsStart)
{
    const auto problem = CheckCommandText("20 " + std::string(100000, '9'));
    ASSERT_TRUE(problem.has_value());
    EXPECT_EQ(problem->token, std::string(24, '9') + "...");
}
