// Commands written with names, composed through the catalogue as the Build Command window does.

#include "script/command_composer.h"

#include <gtest/gtest.h>

namespace {

constexpr int kArvane = 0;
constexpr int kBrisolt = 1; // volume in 1/256 dB
constexpr int kElmora = 4;  // two variables called Brightness; master volume in 1/256 dB
constexpr int kFenlow = 5;

CountedBytes Compose(std::vector<std::string> words, int model)
{
    const ComposedCommand composed = ComposeCommand(words, model);
    EXPECT_EQ(composed.error, "");
    return composed.payload;
}

std::string ErrorOf(std::vector<std::string> words, int model)
{
    return ComposeCommand(words, model).error;
}

} // namespace

TEST(CommandComposer, TypesAndVariablesByNameOrNumberInAnyCase)
{
    EXPECT_EQ(Compose({"query", "volume"}, kBrisolt), (CountedBytes{20, 23}));
    EXPECT_EQ(Compose({"QUERY", "Device ID"}, kBrisolt), (CountedBytes{20, 20}));
    EXPECT_EQ(Compose({"20", "23"}, kBrisolt), (CountedBytes{20, 23}));
    EXPECT_EQ(Compose({"Set", "power mode", "ON"}, kBrisolt), (CountedBytes{21, 21, 1}));
    EXPECT_EQ(Compose({"get version"}, kBrisolt), (CountedBytes{23}));
    EXPECT_EQ(Compose({"IR Command", "12", "0x0C"}, kBrisolt), (CountedBytes{22, 12, 12}));
}

TEST(CommandComposer, ValuesThroughTheVariablesOwnEncoder)
{
    // Levels in 1/256 dB where the model takes them so, one signed byte elsewhere.
    EXPECT_EQ(Compose({"set", "volume", "-10.5"}, kBrisolt), (CountedBytes{21, 23, 128, 245}));
    EXPECT_EQ(Compose({"21", "111", "-20"}, kElmora), (CountedBytes{21, 111, 0, 236}));
    EXPECT_EQ(Compose({"set", "volume", "-30"}, kFenlow), (CountedBytes{21, 23, 226}));
    EXPECT_EQ(Compose({"set", "103", "-5"}, kElmora), (CountedBytes{21, 103, 251}));
    // A listed value by its name, or any byte when the engineer wants an unlisted one.
    EXPECT_EQ(Compose({"set", "tuner band", "xm/dab"}, kFenlow), (CountedBytes{21, 43, 2}));
    EXPECT_EQ(Compose({"set", "tuner band", "7"}, kFenlow), (CountedBytes{21, 43, 7}));
    // Several bytes for a variable without an encoder of its own.
    EXPECT_EQ(Compose({"set", "FM Frequency", "82", "38"}, kFenlow), (CountedBytes{21, 45, 82, 38}));
}

TEST(CommandComposer, RefusesWhatTheModelDoesNotHave)
{
    EXPECT_EQ(ErrorOf({"set", "brightness", "5"}, kElmora),
              "\"brightness\" names two variables of Elmora: 22 and 103; give the number");
    EXPECT_EQ(ErrorOf({"query", "volume"}, kElmora), "Elmora has no variable named \"volume\"");
    EXPECT_EQ(ErrorOf({"query", "29"}, kElmora), "Elmora has no variable number 29");
    EXPECT_EQ(ErrorOf({"query", "19"}, kElmora), "no variable number 19 in the catalogue");
    EXPECT_EQ(ErrorOf({"set", "Device ID", "1"}, kElmora), "Device ID can only be queried");
    EXPECT_NE(ErrorOf({"Store A/V Preset", "1"}, kElmora).find("is not a message type Elmora takes; it takes 20 Query"),
              std::string::npos);
    EXPECT_NE(ErrorOf({"frob", "1"}, kArvane).find("\"frob\" is not a message type"), std::string::npos);
    EXPECT_NE(ErrorOf({"27"}, kArvane).find("is not a message type"), std::string::npos);
}

TEST(CommandComposer, RefusesMalformedCommandsAndNumbers)
{
    EXPECT_EQ(ErrorOf({"query"}, kBrisolt), "Query needs a variable");
    EXPECT_EQ(ErrorOf({"query", "volume", "3"}, kBrisolt), "a Query takes no value");
    EXPECT_EQ(ErrorOf({"set", "volume"}, kBrisolt), "Set Volume needs a value");
    for (const char* level : {"nan", "inf", "-inf", "101", "1e400", "loud", "-10.5dB", ""})
        EXPECT_NE(ErrorOf({"set", "volume", level}, kBrisolt).find("give a number of dB from -100 to 100"),
                  std::string::npos)
            << level;
    for (const char* byte : {"256", "-129", "0x100", "1.5", "nan", "12abc"})
        EXPECT_NE(ErrorOf({"set", "Current Input", byte}, kBrisolt).find("is not a value of Current Input"),
                  std::string::npos)
            << byte;
    EXPECT_EQ(ErrorOf({"set", "power mode", "sleepy"}, kBrisolt),
              "\"sleepy\" is not a value of Power Mode: give one of Off, On, Protect, or a byte value");
    EXPECT_NE(ErrorOf({"IR Command", "300"}, kBrisolt).find("not a byte value"), std::string::npos);

    std::vector<std::string> tooLong{"IR Command"};
    tooLong.insert(tooLong.end(), 126, "1");
    EXPECT_EQ(ComposeCommand(tooLong, kBrisolt).payload.Count(), 127u);
    tooLong.push_back("1");
    EXPECT_EQ(ErrorOf(tooLong, kBrisolt), "a command holds at most 127 bytes");
}

TEST(CommandComposer, ByteValuesFromMinus128To255)
{
    EXPECT_EQ(ReadValueByte("-128"), 128);
    EXPECT_EQ(ReadValueByte("-1"), 255);
    EXPECT_EQ(ReadValueByte("255"), 255);
    EXPECT_EQ(ReadValueByte("0xfF"), 255);
    for (const char* bad : {"256", "-129", "0x", "0x100", "-0x1", "+5", " 5", "5 ", "", "99999999999999999999"})
        EXPECT_FALSE(ReadValueByte(bad)) << bad;
}
