// vantrolix-cli session: a recorded session read back in the monitor's layout.
#include "cli_run.h"

#include "log/session_format.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include <unistd.h>

namespace {

std::string Recording()
{
    const auto when = std::chrono::system_clock::now();
    std::string text(kSessionTitles);
    text += '\n';
    AppendSessionLine(text, PortRow(when, PortEventKind::Opened, "ttyUSB0"));
    AppendSessionLine(text, SentRow(when, "1, 20, 20, 2, 215", "20, 20", "Query Device ID"));
    AppendSessionLine(text, ReceivedRow(when, {"", "1, 2", "20, 21, 1", "Value Power Mode = On"}));
    return text;
}

class CliSession : public ::testing::Test {
protected:
    std::string Write(const std::string& text)
    {
        std::ofstream(m_path, std::ios::binary) << text;
        return "'" + m_path + "'";
    }
    void TearDown() override { std::filesystem::remove(m_path); }

    std::string m_path = ::testing::TempDir() + "vantrolix-session-" + std::to_string(::getpid()) + ".tsv";
};

} // namespace

TEST_F(CliSession, PrintsReceivedRowsOrEverythingWithTheChosenTime)
{
    const std::string file = Write(Recording());
    CliRun run = RunCli("session " + file);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(std::regex_match(run.out, std::regex("\\d\\d:\\d\\d:\\d\\d\t1, 2\t20, 21, 1\tValue Power Mode = On\n")))
        << run.out;

    run = RunCli("session --all --milliseconds " + file);
    const auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 3u) << run.out;
    EXPECT_TRUE(std::regex_match(lines[0], std::regex("\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d\tPort opened: ttyUSB0\t\t")))
        << lines[0];
    EXPECT_TRUE(lines[1].ends_with("\tSent: 1, 20, 20, 2, 215\t20, 20\tQuery Device ID")) << lines[1];

    // Standard input works too.
    EXPECT_EQ(RunCli("session < " + file).out, RunCli("session " + file).out);
}

TEST_F(CliSession, HandEditedOrOldBytesReachTheTerminalAsEscapesAndLettersStayWhole)
{
    // A C1 control written as UTF-8 (CSI, U+009B) and as a raw byte, a Latin-1 byte of an older
    // recording, and a port name with "ł": only the letter may reach the terminal as it is.
    const std::string file = Write(std::string(kSessionTitles) + "\n"
                                   + "2026-12-07T13:04:56.123+01:00\tport\tPort opened: COM\xC5\x82\t\t\n"
                                   + "2026-12-07T13:04:56.180+01:00\treceived\t1, 2\t20, 20\tA\xC2\x9B" "2J B\x9B" "2J Caf\xE9\n");
    const CliRun run = RunCli("session --all " + file);
    EXPECT_EQ(run.exitCode, 0);
    const auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 2u) << run.out;
    EXPECT_TRUE(lines[0].ends_with("\tPort opened: COM\xC5\x82\t\t")) << lines[0];
    EXPECT_TRUE(lines[1].ends_with("\tA\\x9b2J B\\x9b2J Caf\\xe9")) << lines[1];
    EXPECT_EQ(run.out.find('\x9B'), std::string::npos);
    EXPECT_EQ(run.out.find('\xE9'), std::string::npos);
}

TEST_F(CliSession, BadLinesAreNamedOnStandardErrorAndTheRestIsPrinted)
{
    std::string text = Recording();
    text.insert(text.find('\n') + 1, "garbage\n");
    const std::string file = Write(text);
    CliRun run = RunCli("session " + file);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("vantrolix-cli: " + m_path + ": line 2: only 1 of the five tab-separated fields\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Value Power Mode = On"), std::string::npos);

    // A last line cut short by a killed recording is told, but the recording is still good.
    Write(Recording() + "2026-12-07T13:04:56.123+01:00\trecei");
    run = RunCli("session " + file);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("line 5: cut short"), std::string::npos) << run.out;

    run = RunCli("session /nonexistent/vantrolix.tsv");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "vantrolix-cli: cannot read /nonexistent/vantrolix.tsv: No such file or directory\n");
    // A full output device is an error, not a short listing.
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_EQ(RunCli("session " + file + " > /dev/full").exitCode, 1);
    }
}

// Whatever does not start with the column titles is refused, not shown as a recording cut short.
TEST_F(CliSession, AFileThatIsNoSessionIsRefused)
{
    const std::string file = Write("");
    for (const std::string& text : {std::string("notes without a line feed"), std::string(3000, '\0'),
                                    Recording().substr(kSessionTitles.size() + 1)}) {
        Write(text);
        const CliRun run = RunCli("session " + file);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, "vantrolix-cli: " + m_path + ": not a session file: its first line is not the column titles\n");
    }
    // A sparse file of 2 GB of zeros is refused from its first bytes.
    std::filesystem::resize_file(m_path, std::uintmax_t{2} << 30);
    CliRun run = RunCli("session " + file);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("not a session file"), std::string::npos) << run.out;

    // A megabyte and more without a line feed at the end of a session is named as too long.
    Write(Recording() + std::string((1 << 20) + 1, 'x'));
    run = RunCli("session " + file);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find(": line 5: longer than 1048576 bytes"), std::string::npos) << run.out;
}
