// Scripts run against the simulated device over a pseudo-terminal: passes, every kind of
// failure, time-outs, allowed errors, repeats, and the JUnit report read back as XML.

#include "simulated_bench.h"

#include "../serial/pty_helpers.h"
#include "../support/utf8_check.h"

#include "script/junit_report.h"
#include "script/row_wait.h"

#include <tinyxml2.h>

#include <atomic>
#include <malloc.h>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

constexpr int kElmora = 4;
constexpr std::uint8_t kPowerMode = 21;
constexpr std::uint8_t kPlayMode = 88;
constexpr std::uint8_t kMasterVolume = 111;

} // namespace

TEST(ScriptRunner, PassesStepByStepAndRepeats)
{
    SimulatedBench bench(kElmora);
    bench.Run("send set \"Power Mode\" On\n"                   // 1
              "expect Value Power Mode = On\n"                 // 2
              "send set \"master volume\" -10.5\n"             // 3
              "expect payload 20 111 128 245\n"                // 4
              "repeat 3\n"                                     // 5
              "send 20 80\n"                                   // 6
              "expect /Value Play Time = \\d\\d:\\d\\d:\\d\\d/ within 500 ms\n" // 7
              "end\n"
              "wait 20 ms\n"                                   // 9
              "expect nothing within 50 ms\n",                 // 10
              kElmora);
    EXPECT_EQ(bench.report.Failed(), 0u);
    EXPECT_EQ(bench.report.Passed(), 4u + 3 * 2 + 2);
    EXPECT_EQ(bench.Step(2).arrived, "Value Power Mode = On");
    EXPECT_EQ(bench.Step(3).arrived, "sent 21, 111, 128, 245");
    EXPECT_EQ(bench.Step(6).iteration, "1/3");
    EXPECT_EQ(bench.steps[8].iteration, "3/3");
    EXPECT_GE(bench.Step(9).elapsed.count(), 20);
    EXPECT_GE(bench.Step(10).elapsed.count(), 50);
}

TEST(ScriptRunner, EachKindOfFailureIsReportedAndTheScriptGoesOn)
{
    SimulatedBench bench(kElmora, {{kPowerMode, Misbehaviour::Silent}, {kMasterVolume, Misbehaviour::WrongValue}});
    bench.Run("send query \"play mode\"\n"                // 1
              "expect Value Play Mode = Pause\n"          // 2: another description
              "send query \"play mode\"\n"                // 3
              "expect /Value Play Mode = St.*/\n"         // 4: the pattern matches no row
              "send query \"play mode\"\n"                // 5
              "expect payload 20 88 2\n"                  // 6: other bytes
              "send query \"power mode\"\n"               // 7
              "expect Value Power Mode = On\n"            // 8: the device stays silent
              "send query \"master volume\"\n"            // 9
              "expect /Value Master Volume = .* dB/\n"    // 10: an unreadable value
              "send query \"play mode\"\n"                // 11
              "expect nothing within 1000 ms\n"           // 12: a row came
              "send query \"play mode\"\n"                // 13
              "expect Value Play Mode = Play\n",          // 14: still running, and passing
              kElmora);
    EXPECT_EQ(bench.Step(2).arrived, "1 other row, the last: Value Play Mode = Play");
    EXPECT_FALSE(bench.Step(4).passed);
    EXPECT_FALSE(bench.Step(6).passed);
    EXPECT_EQ(bench.Step(8).arrived, "nothing arrived");
    EXPECT_GE(bench.Step(8).elapsed.count(), 1000);
    EXPECT_EQ(bench.Step(10).arrived, "1 other row, the last: Value Master Volume = <invalid>");
    EXPECT_EQ(bench.Step(12).arrived, "Value Play Mode = Play");
    EXPECT_FALSE(bench.Step(12).passed);
    EXPECT_TRUE(bench.Step(14).passed);
    EXPECT_EQ(bench.report.Failed(), 6u);
    for (const StepOutcome& step : bench.steps)
        EXPECT_EQ(step.testCase, step.step.starts_with("expect")) << step.step;
}

TEST(ScriptRunner, ErrorsOnTheLineFailTheStepUnlessAllowed)
{
    SimulatedBench bench(kElmora, {{kPlayMode, Misbehaviour::BadChecksum}});
    bench.Run("send query \"play mode\"\n"          // 1
              "send query \"power mode\"\n"         // 2
              "expect Value Power Mode = On\n"      // 3: a checksum error comes first
              "expect Value Power Mode = On\n"      // 4: the answer after it is still there
              "allow errors\n"
              "send query \"play mode\"\n"          // 6
              "send query \"power mode\"\n"         // 7
              "expect Value Power Mode = On\n"      // 8
              "send query \"play mode\"\n"          // 9
              "expect nothing within 100 ms\n",     // 10: only a checksum error arrives
              kElmora);
    EXPECT_FALSE(bench.Step(3).passed);
    EXPECT_EQ(bench.Step(3).arrived.rfind("error: Checksum Error! (1, 20, 88, ", 0), 0u) << bench.Step(3).arrived;
    EXPECT_EQ(bench.Step(4).arrived, "Value Power Mode = On");
    EXPECT_TRUE(bench.Step(8).passed);
    EXPECT_EQ(bench.Step(8).arrived, "Value Power Mode = On (after 1 other row)");
    EXPECT_TRUE(bench.Step(10).passed);
    EXPECT_EQ(bench.Step(10).arrived, "no valid row (1 error allowed)");
}

// A device end written by the test itself, for frames and line errors the simulator never sends.
TEST(ScriptRunner, BrokenPacketsAndLineErrorsFailTheStepUnlessAllowed)
{
    CPseudoTerminal pty;
    std::string error;
    ASSERT_TRUE(pty.Create(error)) << error;
    CDeviceSession session;
    ASSERT_TRUE(session.Open(pty.SlavePath(), error)) << error;
    std::vector<StepOutcome> steps;
    CTestReport report([&steps](const StepOutcome& step) { steps.push_back(step); });
    ParsedScript parsed = ParseScript("expect payload 20 21 1\n" // 1
                                      "expect payload 20 21 1\n" // 2
                                      "expect payload 20 20\n"   // 3
                                      "expect payload 20 20\n"   // 4
                                      "allow errors\n"
                                      "expect payload 20 21 1\n" // 6
                                      "expect payload 20 20\n",  // 7
                                      "broken.vxs");
    ASSERT_FALSE(parsed.error);
    // A frame cut short by a new start, then a whole one.
    const std::vector<std::uint8_t> broken = {1, 20, 1, 0x5E, 0x54, 0x5E, 0x55, 0x5E, 0x41, 2, 0xD5};
    // The kernel's mark of a bad byte, written as it is, then a whole frame.
    const std::vector<std::uint8_t> lineError = {0xFF, 0x00, 0x00, 1, 20, 20, 2, 215};
    SetPortMarking(pty, false);
    for (int round = 0; round < 2; ++round) {
        DeviceSends(pty, broken);
        DeviceSends(pty, lineError);
    }
    CScriptRunner(session, report).Run(parsed.script);
    ASSERT_EQ(steps.size(), 6u);
    EXPECT_EQ(steps[0].arrived.rfind("error: Invalid Packet! (1, 20", 0), 0u) << steps[0].arrived;
    EXPECT_TRUE(steps[1].passed) << steps[1].arrived;
    EXPECT_FALSE(steps[2].passed);
    EXPECT_NE(steps[2].arrived.find("RS232"), std::string::npos) << steps[2].arrived;
    EXPECT_TRUE(steps[3].passed) << steps[3].arrived;
    EXPECT_EQ(steps[4].arrived, "Value Power Mode = On (after 1 other row)");
    EXPECT_TRUE(steps[5].passed) << steps[5].arrived;
    EXPECT_EQ(report.Failed(), 2u);
}

// The report is streamed to a file as the steps come; what ends a run early is an error in it.
TEST(ScriptRunner, JUnitReportReadsBackAsXml)
{
    const std::filesystem::path folder = std::filesystem::path(::testing::TempDir())
        / ("vantrolix-junit-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "report.xml").string();
    SimulatedBench bench(kElmora);
    CJUnitReport junit;
    std::string error;
    ASSERT_TRUE(junit.Open(path, error)) << error;
    junit.Follow(bench.report);
    bench.Run("send query \"power mode\"\n"
              "expect Value Power Mode = On\n"
              "expect <nothing & \"this\"> within 30 ms\n",
              kElmora);
    // A file name with letters beyond ASCII, a control character and a byte that is not UTF-8.
    bench.report.BeginSuite("second\x01.vxs");
    bench.report.Add({"second\x01.vxs", 4, {}, "expect \xC5\x82\xE2\x82\xAC\xE9", true, "\xC3\xA9\xC3\xBF",
                      std::chrono::milliseconds(1500), true, {}});
    bench.report.AddError("unused", "stopped before the end");
    EXPECT_FALSE(std::filesystem::exists(path)) << "put in place only when whole";
    ASSERT_TRUE(junit.Finish(error)) << error;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1) << "scratch files left behind";

    std::ifstream in(path);
    const std::string xml((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    tinyxml2::XMLDocument document;
    ASSERT_EQ(document.Parse(xml.c_str()), tinyxml2::XML_SUCCESS) << xml;
    const tinyxml2::XMLElement* suites = document.FirstChildElement("testsuites");
    ASSERT_NE(suites, nullptr);
    const tinyxml2::XMLElement* first = suites->FirstChildElement("testsuite");
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first->Attribute("name"), "bench.vxs");
    EXPECT_EQ(first->IntAttribute("tests"), 2); // the send is no test case
    EXPECT_EQ(first->IntAttribute("failures"), 1);

    const tinyxml2::XMLElement* passed = first->FirstChildElement("testcase");
    ASSERT_NE(passed, nullptr);
    EXPECT_STREQ(passed->Attribute("name"), "bench.vxs:2 expect Value Power Mode = On");
    EXPECT_EQ(passed->FirstChildElement("failure"), nullptr);
    const tinyxml2::XMLElement* failed = passed->NextSiblingElement("testcase");
    ASSERT_NE(failed, nullptr);
    EXPECT_STREQ(failed->Attribute("name"), "bench.vxs:3 expect <nothing & \"this\"> within 30 ms");
    ASSERT_NE(failed->FirstChildElement("failure"), nullptr);
    EXPECT_STREQ(failed->FirstChildElement("failure")->Attribute("message"), "nothing arrived");

    const tinyxml2::XMLElement* second = first->NextSiblingElement("testsuite");
    ASSERT_NE(second, nullptr);
    EXPECT_STREQ(second->Attribute("name"), "second\\x01.vxs");
    EXPECT_STREQ(second->FirstChildElement("testcase")->Attribute("time"), "1.500");
    EXPECT_TRUE(IsValidUtf8(xml));
    EXPECT_STREQ(second->FirstChildElement("testcase")->Attribute("name"),
                 "second\\x01.vxs:4 expect \xC5\x82\xE2\x82\xAC\\xe9");
    EXPECT_EQ(second->IntAttribute("tests"), 2);
    EXPECT_EQ(second->IntAttribute("failures"), 0);
    EXPECT_EQ(second->IntAttribute("errors"), 1);
    const tinyxml2::XMLElement* stopped = second->FirstChildElement("testcase")->NextSiblingElement("testcase");
    ASSERT_NE(stopped, nullptr);
    ASSERT_NE(stopped->FirstChildElement("error"), nullptr);
    EXPECT_STREQ(stopped->FirstChildElement("error")->Attribute("message"), "stopped before the end");
    std::filesystem::remove_all(folder);
}

TEST(ScriptRunner, ReportLinesAndSummary)
{
    std::vector<StepOutcome> steps;
    CTestReport report([&steps](const StepOutcome& step) { steps.push_back(step); });
    report.Add({"a.vxs", 7, "2/5", "expect Value\tX", false, "nothing arrived", std::chrono::milliseconds(12), true, "X"});
    report.Add({"a.vxs", 8, {}, "send 20 20", true, "sent 20, 20", std::chrono::milliseconds(0), false, "X"});
    report.Add({"a.vxs", 9, {}, "expect Y", false, "nothing arrived", std::chrono::milliseconds(3), true, "Y"});
    report.Add({"a.vxs", 10, {}, "expect Y", false, "nothing arrived", std::chrono::milliseconds(3), true, "Y"});
    EXPECT_EQ(FormatStepLine(steps[0]),
              "FAIL\ta.vxs:7 (2/5)\texpect Value\\x09X\tnothing arrived\t12 ms");
    EXPECT_EQ(FormatSummary(report), "1 passed, 3 failed\nfailed: X, Y");
}

TEST(ScriptRunner, IdentifiesTheModelByItsDeviceId)
{
    SimulatedBench bench(kElmora);
    std::string error;
    EXPECT_EQ(IdentifyModel(bench.session, error), kElmora) << error;

    CPseudoTerminal silent;
    ASSERT_TRUE(silent.Create(error));
    CDeviceSession session;
    ASSERT_TRUE(session.Open(silent.SlavePath(), error));
    EXPECT_FALSE(IdentifyModel(session, error));
    EXPECT_NE(error.find("did not answer the Device ID query"), std::string::npos) << error;
}

TEST(ScriptRunner, AStopEndsALongWaitAndTheRun)
{
    SimulatedBench bench(kElmora);
    // A minute's wait that nothing ends but the stop: "nothing arrived" would mean it ran out.
    ParsedScript parsed = ParseScript("expect Value Nothing Like It within 60000 ms\nsend 20 20\n", "stop.vxs");
    ASSERT_FALSE(parsed.error);
    std::atomic<bool> stop{false};
    // The stop comes once the expect sits waiting, as Ctrl+C would.
    bench.session.Rows().SetIdleHook([&stop] { stop = true; });
    CScriptRunner runner(bench.session, bench.report);
    runner.SetStopFlag(&stop);
    runner.Run(parsed.script);
    const auto& steps = bench.steps;
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_FALSE(steps[0].passed);
    EXPECT_EQ(steps[0].arrived, "stopped");
}

// A device that floods the line while no expect takes its rows keeps no more than a fixed number
// of them waiting; the next expect says how many were let go.
TEST(ScriptRunner, RowsWaitingForAnExpectAreBounded)
{
    CReceivedRows rows;
    const CountedBytes payload{20, 20};
    const std::size_t flood = CReceivedRows::kMostWaiting + 2345;
    for (std::size_t i = 0; i < flood; ++i)
        rows.LogPacket(IRowSink::Clock::now(), payload, &payload, false);
    const WaitResult result = WaitForRow(
        rows, [](const ArrivedRow&) { return false; }, std::chrono::milliseconds(1), true);
    EXPECT_EQ(result.arrived, std::to_string(CReceivedRows::kMostWaiting)
                                  + " other rows, the last: Value Device ID =  [2345 earlier rows let go unseen: more than "
                                  + std::to_string(CReceivedRows::kMostWaiting) + " waited]");
    EXPECT_EQ(rows.TakeLetGo(), 0u);
}

// A soak keeps counts, not steps: a million steps leave the heap as it was, give or take.
TEST(ScriptRunner, ASoakKeepsMemoryFlat)
{
    CPseudoTerminal pty;
    std::string error;
    ASSERT_TRUE(pty.Create(error)) << error;
    CDeviceSession session;
    ASSERT_TRUE(session.Open(pty.SlavePath(), error)) << error;
    std::size_t seen = 0;
    CTestReport report([&seen](const StepOutcome&) { ++seen; });
    ParsedScript parsed = ParseScript("repeat 1000000\nwait 0 ms\nend\n", "soak.vxs");
    ASSERT_FALSE(parsed.error);
    const std::size_t before = mallinfo2().uordblks;
    CScriptRunner(session, report).Run(parsed.script);
    const std::size_t after = mallinfo2().uordblks;
    EXPECT_EQ(seen, 1'000'000u);
    EXPECT_EQ(report.Passed(), 1'000'000u);
    EXPECT_LT(after, before + 16 * 1024 * 1024) << "the heap grew by " << (after - before) << " bytes";
}
