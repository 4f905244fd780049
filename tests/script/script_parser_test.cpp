// Reading test scripts: every step, and every error with its file, line and reason.

#include "script/script_parser.h"

#include "script/compiled_pattern.h"

#include <gtest/gtest.h>

namespace {

Script Parse(const std::string& text)
{
    ParsedScript parsed = ParseScript(text, "t.vxs");
    EXPECT_FALSE(parsed.error) << parsed.error->Text();
    return std::move(parsed.script);
}

ScriptError ErrorOf(const std::string& text)
{
    const ParsedScript parsed = ParseScript(text, "t.vxs");
    EXPECT_TRUE(parsed.error) << text;
    return parsed.error.value_or(ScriptError{});
}

} // namespace

TEST(ScriptParser, ReadsEveryStepWithItsLine)
{
    const Script script = Parse("# a comment\n"
                                "\n"
                                "MODEL \"Orlin Aster\"   # trailing comment\n"
                                "send 21 23 0x80 245\n"
                                "send set \"Power Mode\" On\n"
                                "expect Value Power Mode = On\n"
                                "expect /Value Volume = .*/ within 250 ms\n"
                                "expect payload 20, 23, 128\n"
                                "expect nothing within 50 ms\n"
                                "wait 0 ms\n"
                                "repeat 3\n"
                                "  repeat 2\n"
                                "    send 20 20\n"
                                "  end\n"
                                "end\n");
    ASSERT_EQ(script.model, "Orlin Aster");
    EXPECT_EQ(script.modelLine, 3);
    ASSERT_EQ(script.steps.size(), 8u);

    const ScriptStep& raw = script.steps[0];
    EXPECT_EQ(raw.line, 4);
    EXPECT_TRUE(raw.raw);
    EXPECT_EQ(raw.command, (CountedBytes{21, 23, 128, 245}));

    const ScriptStep& named = script.steps[1];
    EXPECT_FALSE(named.raw);
    EXPECT_EQ(named.words, (std::vector<std::string>{"set", "Power Mode", "On"}));
    EXPECT_EQ(named.text, "send set \"Power Mode\" On");

    EXPECT_EQ(script.steps[2].expect.kind, Expectation::Kind::Description);
    EXPECT_EQ(script.steps[2].expect.text, "Value Power Mode = On");
    EXPECT_EQ(script.steps[2].expect.within, std::chrono::milliseconds(1000));

    const Expectation& regex = script.steps[3].expect;
    EXPECT_EQ(regex.kind, Expectation::Kind::Regex);
    EXPECT_EQ(regex.within, std::chrono::milliseconds(250));
    EXPECT_TRUE(regex.pattern->MatchesWhole("Value Volume = -30 dB"));
    EXPECT_FALSE(regex.pattern->MatchesWhole("Set Value Volume = -30 dB"));

    EXPECT_EQ(script.steps[4].expect.payload, (CountedBytes{20, 23, 128}));
    EXPECT_EQ(script.steps[5].expect.kind, Expectation::Kind::Nothing);
    EXPECT_EQ(script.steps[5].expect.within, std::chrono::milliseconds(50));
    EXPECT_EQ(script.steps[6].kind, ScriptStep::Kind::Wait);

    const ScriptStep& outer = script.steps[7];
    EXPECT_EQ(outer.kind, ScriptStep::Kind::Repeat);
    EXPECT_EQ(outer.count, 3u);
    ASSERT_EQ(outer.body.size(), 1u);
    EXPECT_EQ(outer.body[0].count, 2u);
    ASSERT_EQ(outer.body[0].body.size(), 1u);
    EXPECT_EQ(outer.body[0].body[0].line, 13);
}

TEST(ScriptParser, DescriptionsKeepTheirTextAndHashesInside)
{
    const Script script = Parse("expect \"Value Input Name = DVD #2\"\n"
                                "expect RDS RT - C#minor   within 5 ms\n"
                                "send 20 20#not a comment\n");
    EXPECT_EQ(script.steps[0].expect.text, "Value Input Name = DVD #2");
    EXPECT_EQ(script.steps[1].expect.text, "RDS RT - C#minor");
    EXPECT_EQ(script.steps[1].expect.within, std::chrono::milliseconds(5));
    // "20#not" is no byte value: the line is a named command, which composing will refuse.
    EXPECT_FALSE(script.steps[2].raw);
}

TEST(ScriptParser, AllowErrorsHoldsFromItsLineOn)
{
    const Script script = Parse("expect A\nallow errors\nexpect B\nrepeat 2\nexpect nothing within 5 ms\nend\n");
    EXPECT_FALSE(script.steps[0].expect.allowErrors);
    EXPECT_TRUE(script.steps[1].expect.allowErrors);
    EXPECT_TRUE(script.steps[2].body[0].expect.allowErrors);
}

TEST(ScriptParser, TellsWhereAndWhyALineCannotBeRead)
{
    const struct {
        const char* text;
        int line;
        const char* reason; // a part of the reason
    } cases[] = {
        {"send 20 20\nfrobnicate\n", 2, "unknown step \"frobnicate\""},
        {"send\n", 1, "send needs byte values or a message type"},
        {"send set \"Power Mode On\n", 1, "double quote is not closed"},
        {"expect\n", 1, "expect needs a description"},
        {"expect within 10 ms\n", 1, "expect needs a description"},
        {"expect /Value (/\n", 1, "cannot be read"},
        {"expect /Value\n", 1, "a pattern ends with /"},
        {"expect payload 20 300\n", 1, "byte values from 0 to 255"},
        {"expect payload\n", 1, "byte values from 0 to 255"},
        {"expect Value within 0 ms\n", 1, "not a time from 1"},
        {"expect Value within -5 ms\n", 1, "not a time from 1"},
        {"expect Value within 99999999999999999999 ms\n", 1, "not a time from 1"},
        {"expect Value within nan ms\n", 1, "not a time from 1"},
        {"expect nothing\n", 1, "within N ms"},
        {"expect nothing much within 5 ms\n", 1, "expect nothing within N ms"},
        {"wait 10\n", 1, "wait N ms"},
        {"wait -1 ms\n", 1, "wait N ms"},
        {"wait 1e3 ms\n", 1, "wait N ms"},
        {"repeat 0\nend\n", 1, "repeat N"},
        {"repeat many\nend\n", 1, "repeat N"},
        {"send 20 20\nrepeat 2\nsend 20 20\n", 2, "repeat without end"},
        {"send 20 20\nend\n", 2, "end without repeat"},
        {"repeat 2\nsend 20 20\nend now\n", 3, "end takes nothing"},
        {"model Nowhere\n", 1, "no model named \"Nowhere\""},
        {"model Elmora\nmodel Dunvey\n", 2, "named twice (first on line 1)"},
        {"model Orlin Aster\n", 1, "model takes one name"},
        {"allow everything\n", 1, "allow errors"},
        {"# nothing but comments\n\n", 1, "no steps"},
    };
    for (const auto& c : cases) {
        const ScriptError error = ErrorOf(c.text);
        EXPECT_EQ(error.file, "t.vxs");
        EXPECT_EQ(error.line, c.line) << c.text;
        EXPECT_NE(error.reason.find(c.reason), std::string::npos) << c.text << " gave: " << error.reason;
    }
    EXPECT_EQ(ErrorOf("wait 1\n").Text(), "t.vxs:1: write \"wait N ms\" with N from 0 to 86400000");
}

TEST(ScriptParser, ARawCommandHoldsAtMost127BytesAndAPattern1000Characters)
{
    EXPECT_EQ(Parse("expect /" + std::string(500, '(') + std::string(500, ')') + "/\n")
                  .steps[0].expect.kind,
              Expectation::Kind::Regex);
    EXPECT_EQ(ErrorOf("expect /" + std::string(1001, 'a') + "/\n").reason, "a pattern holds at most 1000 characters");
    EXPECT_TRUE(Parse("expect /\\d{2}:\\d{2}:[{99999}]\\{99999999\\}/\n").steps[0].expect.pattern);

    std::string bytes;
    for (int i = 0; i < 127; ++i)
        bytes += " 1";
    EXPECT_EQ(Parse("send" + bytes + "\n").steps[0].command.Count(), 127u);
    EXPECT_NE(ErrorOf("send" + bytes + " 1\n").reason.find("at most 127"), std::string::npos);
}

TEST(ScriptParser, ComposesNamedSendsOnceTheModelIsKnown)
{
    Script script = Parse("send query volume\nrepeat 2\nsend SET \"power mode\" protect\nend\nsend 20 20\n");
    EXPECT_TRUE(NeedsModel(script));
    const int brisolt = 1;
    ASSERT_FALSE(ComposeScript(script, brisolt));
    EXPECT_EQ(script.steps[0].command, (CountedBytes{20, 23}));
    EXPECT_EQ(script.steps[1].body[0].command.Count(), 3u);

    Script raw = Parse("send 20 20\nexpect payload 20 20\n");
    EXPECT_FALSE(NeedsModel(raw));

    Script bad = Parse("send 20 20\nrepeat 2\nsend query \"no such thing\"\nend\n");
    const auto error = ComposeScript(bad, brisolt);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->line, 3);
    EXPECT_EQ(error->Text(), "t.vxs:3: Brisolt has no variable named \"no such thing\"");
}

// Patterns run on RE2, whose matching time grows with the text alone: what it cannot do in that
// time (back-references, look-arounds) or in bounded memory is refused with the file and line.
TEST(ScriptParser, PatternsTheLinearEngineRefusesAreScriptErrors)
{
    const struct {
        const char* pattern;
        const char* reason;
    } refused[] = {
        {"(a)\\1", "invalid escape sequence: \\1"},
        {"Value (?=Mute).*", "invalid perl operator: (?="},
        {"(?<!x)y", "invalid perl operator: (?<"},
        {"a{99999999}", "invalid repetition size: {99999999}"},
        {"((a{100}){100}){100}", "invalid repetition size: {100}"},
        {"Value [", "missing ]: ["},
    };
    for (const auto& c : refused) {
        const ScriptError error = ErrorOf(std::string("send 20 20\nexpect /") + c.pattern + "/\n");
        EXPECT_EQ(error.Text(), std::string("t.vxs:2: the pattern /") + c.pattern + "/ cannot be read: " + c.reason);
    }
}

TEST(ScriptParser, PatternsMatchInTimeLinearInTheText)
{
    const auto pattern = [](const std::string& text) { return Parse("expect /" + text + "/\n").steps[0].expect.pattern; };
    // Each of these takes a backtracking engine minutes; here they answer at once, and rightly.
    EXPECT_FALSE(pattern("(.*)*x")->MatchesWhole(std::string(21, 'y')));
    EXPECT_FALSE(pattern("(a+)+$")->MatchesWhole(std::string(40, 'a') + "b"));
    EXPECT_TRUE(pattern("(a+)+b")->MatchesWhole(std::string(40, 'a') + "b"));
    EXPECT_TRUE(pattern("Value .* = On")->MatchesPart("xx Value Mute = On"));
    // Rows are UTF-8 with a device's bytes as Latin-1 letters: "é" is one character, and \xFF
    // in a pattern is the letter a device's byte 0xFF became.
    EXPECT_TRUE(pattern("Name = .\x01\\xFF")->MatchesWhole("Name = \xC3\xA9\x01\xC3\xBF"));
    EXPECT_FALSE(pattern("Name = .\x01\\xFF")->MatchesWhole("Name = \xC3\xA9\x01\xFF"));
}

// Nesting is bounded, so neither reading, composing, running nor freeing a script goes as deep
// as a runaway input would take them.
TEST(ScriptParser, RepeatsNestAtMost100Deep)
{
    std::string deepest;
    for (int i = 0; i < 100; ++i)
        deepest += "repeat 2\n";
    deepest += "send 20 20\n";
    for (int i = 0; i < 100; ++i)
        deepest += "end\n";
    EXPECT_EQ(Parse(deepest).steps.size(), 1u);

    EXPECT_EQ(ErrorOf("repeat 2\n" + deepest + "end\n").Text(), "t.vxs:101: repeats nest at most 100 deep");
    std::string runaway;
    for (int i = 0; i < 1'000'000; ++i)
        runaway += "repeat 1\n";
    EXPECT_EQ(ErrorOf(runaway).line, 101);
}
