// What both front ends do before a run: composing scripts for the model (asked of the device
// through any test link when no model line names it), and the count of steps a run will take.
#include "script/received_rows.h"
#include "script/script_parser.h"
#include "script/script_runner.h"
#include "script/test_link.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

// A link with no port behind it: each command is kept, and the device's answer to a Device ID
// query, if it has one, arrives at once.
class FakeLink : public ITestLink {
public:
    explicit FakeLink(std::string deviceName = {}) : m_name(std::move(deviceName)) {}

    bool Send(const CountedBytes& payload, std::string&) override
    {
        sent.push_back(payload);
        if (!m_name.empty() && payload == CountedBytes{20, 20}) {
            CountedBytes answer{20, 20};
            for (const char c : m_name)
                answer.Append(static_cast<std::uint8_t>(c));
            m_rows.LogPacket(std::chrono::system_clock::now(), answer, &answer, false);
        }
        return true;
    }
    CReceivedRows& Rows() override { return m_rows; }

    std::vector<CountedBytes> sent;

private:
    std::string m_name;
    CReceivedRows m_rows;
};

std::vector<Script> Parsed(const std::vector<std::pair<std::string, std::string>>& files)
{
    std::vector<Script> scripts;
    for (const auto& [name, text] : files) {
        ParsedScript parsed = ParseScript(text, name);
        EXPECT_FALSE(parsed.error) << parsed.error->Text();
        scripts.push_back(std::move(parsed.script));
    }
    return scripts;
}

} // namespace

TEST(ComposeScripts, AsksTheDeviceOnceAndOnlyWhenAScriptNeedsItsModel)
{
    FakeLink device("Fenlow");
    std::vector<Script> scripts = Parsed({{"a.vxs", "send query volume\n"},
                                          {"b.vxs", "model Elmora\nsend query \"master volume\"\n"},
                                          {"c.vxs", "send set mute on\n"}});
    const ScriptsComposed composed = ComposeScripts(scripts, device);
    ASSERT_EQ(composed.outcome, ScriptsComposed::Outcome::Ready) << composed.error;
    EXPECT_EQ(device.sent, (std::vector<CountedBytes>{{20, 20}}));
    EXPECT_EQ(scripts[0].steps[0].command, (CountedBytes{20, 23}));  // Fenlow's volume
    EXPECT_EQ(scripts[1].steps[0].command, (CountedBytes{20, 111})); // Elmora's, by its model line
    EXPECT_EQ(scripts[2].steps[0].command, (CountedBytes{21, 24, 1}));

    FakeLink byteValuesOnly;
    std::vector<Script> raw = Parsed({{"raw.vxs", "send 20 20\n"}});
    EXPECT_EQ(ComposeScripts(raw, byteValuesOnly).outcome, ScriptsComposed::Outcome::Ready);
    EXPECT_TRUE(byteValuesOnly.sent.empty());
}

TEST(ComposeScripts, ASilentDeviceOrAStepTheModelLacksStopsTheRunWithItsReason)
{
    FakeLink silent;
    std::vector<Script> unnamed = Parsed({{"a.vxs", "send query volume\n"}});
    const ScriptsComposed noModel = ComposeScripts(unnamed, silent);
    EXPECT_EQ(noModel.outcome, ScriptsComposed::Outcome::NoModel);
    EXPECT_NE(noModel.error.find("did not answer the Device ID query"), std::string::npos) << noModel.error;
    EXPECT_NE(noModel.error.find("name the model with a model line in a.vxs"), std::string::npos);

    FakeLink device("Fenlow");
    std::vector<Script> wrong = Parsed({{"w.vxs", "model Fenlow\n\nsend query \"no such thing\"\n"}});
    const ScriptsComposed error = ComposeScripts(wrong, device);
    EXPECT_EQ(error.outcome, ScriptsComposed::Outcome::ScriptError);
    EXPECT_EQ(error.error.rfind("w.vxs:3: ", 0), 0u) << error.error;
}

TEST(PlannedSteps, CountsRepeatsOutAndStopsAtTheLargestCount)
{
    const auto planned = [](const std::string& text) {
        ParsedScript parsed = ParseScript(text, "p.vxs");
        EXPECT_FALSE(parsed.error) << parsed.error->Text();
        return PlannedSteps(parsed.script);
    };
    EXPECT_EQ(planned("send 20 20\nexpect nothing within 5 ms\nwait 1 ms\n"), 3u);
    EXPECT_EQ(planned("send 1\nrepeat 3\nsend 2\nrepeat 4\nsend 3\nexpect nothing within 1 ms\nend\nend\n"),
              1u + 3 * (1 + 4 * 2));
    EXPECT_EQ(planned("repeat 5\nend\nsend 1\n"), 1u);
    EXPECT_EQ(planned("repeat 1000000000\nrepeat 1000000000\nrepeat 1000000000\nsend 1\nend\nend\nend\nsend 2\n"),
              std::numeric_limits<std::size_t>::max());
}
