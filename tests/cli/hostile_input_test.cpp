// The console tool given what a careless or hostile user gives it: bad numbers, odd names,
// unreadable input, output nobody can take.

#include "cli_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

bool HasRawControlBytes(const std::string& text)
{
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\n') || (byte >= 0x7F && byte <= 0x9F))
            return true;
    }
    return false;
}

} // namespace

TEST(CliNumbers, EveryNumericOptionRefusesWhatIsNoPlainNumberInRange)
{
    for (const char* seconds : {"nan", "NaN", "-nan", "inf", "1e10", "1e300", "1e999", "0", "-1", "''", "5s", "' 5'", "0x10"}) {
        const CliRun run = RunCli(std::string("monitor --port ttyVantrolixNone --seconds ") + seconds);
        EXPECT_EQ(run.exitCode, 2) << seconds << ": " << run.out;
        EXPECT_NE(run.out.find("--seconds"), std::string::npos) << run.out;
        EXPECT_TRUE(run.out.find("is not a number") != std::string::npos
                    || run.out.find("must be between 0.001 and 31536000") != std::string::npos)
            << seconds << ": " << run.out;
    }
    for (const char* flood : {"-1", "-5", "18446744073709551616", "1.5", "1e300", "nan"}) {
        const CliRun run = RunCli(std::string("simulate --flood ") + flood);
        EXPECT_EQ(run.exitCode, 2) << flood << ": " << run.out;
        EXPECT_LT(run.out.find('\n'), 200u) << "the bound is shown in plain figures: " << run.out;
    }
    EXPECT_NE(RunCli("simulate --flood -1").out.find("must be a whole number between 0 and 1000000000"), std::string::npos);
    // In range, a number is taken: the monitor gets as far as the port.
    EXPECT_EQ(RunCli("monitor --port ttyVantrolixNone --seconds 0.5").exitCode, 1);
    EXPECT_EQ(RunCli("monitor --port ttyVantrolixNone --seconds 1e-3").exitCode, 1);
}

TEST(CliMessages, NamesTheProblem)
{
    const CliRun noPort = RunCli("monitor --port ''");
    EXPECT_EQ(noPort.exitCode, 2);
    EXPECT_NE(noPort.out.find("monitor needs a port name"), std::string::npos) << noPort.out;

    const CliRun unknown = RunCli("frobnicate 1 2");
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.out.find("unknown command \"frobnicate\"; the commands are: encode, decode, catalogue, simulate, monitor"),
              std::string::npos) << unknown.out;
    const CliRun none = RunCli("");
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_NE(none.out.find("a command is needed: encode, decode"), std::string::npos) << none.out;

    const CliRun emptyModel = RunCli("catalogue --model ''");
    EXPECT_EQ(emptyModel.exitCode, 2);
    EXPECT_NE(emptyModel.out.find("no model named \"\""), std::string::npos) << emptyModel.out;
}

TEST(CliMessages, UserNamesAreEscapedBeforeTheyReachTheTerminal)
{
    for (const char* arguments : {"catalogue --model $'\\e[31m'", "simulate --model $'\\x9b2J'",
                                  "monitor --port $'/x\\e[2J'", "decode $'/no/such\\e]0;x\\a'",
                                  "monitor --port x --seconds $'\\e[31m'", "$'\\e[2J'"}) {
        const CliRun escaped = RunCli(arguments);
        EXPECT_NE(escaped.exitCode, 0) << arguments;
        EXPECT_FALSE(HasRawControlBytes(escaped.out)) << arguments << ": " << escaped.out;
        EXPECT_TRUE(escaped.out.find("\\x1b") != std::string::npos || escaped.out.find("\\x9b") != std::string::npos)
            << arguments << ": " << escaped.out;
    }
}

TEST(CliOutput, AFailedWriteIsAnErrorAndAClosedPipeEndsQuietly)
{
    const std::string capture = ::testing::TempDir() + "vantrolix-output-capture";
    {
        std::ofstream out(capture, std::ios::binary);
        for (int i = 0; i < 50'000; ++i)
            out << std::string("\x01\x14\x14\x02\xd7", 5);
    }
    for (const std::string& arguments : {std::string("encode 20 20"), "decode '" + capture + "'", std::string("catalogue")}) {
        const CliRun full = RunCliAsIs(arguments + " 2>&1 >/dev/full");
        EXPECT_EQ(full.exitCode, 1) << arguments;
        EXPECT_NE(full.out.find("cannot write to standard output: No space left on device"), std::string::npos)
            << arguments << ": " << full.out;
        const CliRun closed = RunCliAsIs(arguments + " 2>&1 >&-");
        EXPECT_EQ(closed.exitCode, 1) << arguments;
        EXPECT_NE(closed.out.find("cannot write to standard output: Bad file descriptor"), std::string::npos)
            << arguments << ": " << closed.out;
    }
    // The reader takes a few bytes and goes: the run ends without a word.
    const CliRun pipe = RunShell("\"$CLI\" decode '" + capture + "' 2>'" + capture + ".err' | head -c 10 >/dev/null; "
                                 "echo \"status ${PIPESTATUS[0]}\"; cat '" + capture + ".err'");
    EXPECT_EQ(pipe.out, "status 1\n");
}

TEST(CliDecode, UnreadableInputIsNamedWithItsReason)
{
    const std::string dir = ::testing::TempDir();
    const CliRun directory = RunCli("decode '" + dir + "'");
    EXPECT_EQ(directory.exitCode, 1);
    EXPECT_NE(directory.out.find("cannot read " + dir + ": Is a directory"), std::string::npos) << directory.out;

    const CliRun stdinDirectory = RunCli("decode < '" + dir + "'");
    EXPECT_EQ(stdinDirectory.exitCode, 1);
    EXPECT_NE(stdinDirectory.out.find("cannot read standard input: Is a directory"), std::string::npos)
        << stdinDirectory.out;

    const CliRun memory = RunCli("decode /proc/self/mem");
    EXPECT_EQ(memory.exitCode, 1);
    EXPECT_NE(memory.out.find("cannot read /proc/self/mem: Input/output error"), std::string::npos) << memory.out;

    const CliRun missing = RunCli("decode /no/such/capture");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.out.find("cannot read /no/such/capture: No such file or directory"), std::string::npos);

    const CliRun badText = RunCli("decode --text <<< '1 20 twenty'");
    EXPECT_EQ(badText.exitCode, 1);
    EXPECT_NE(badText.out.find("standard input: value 3 (\"twenty\") is not a byte value"), std::string::npos)
        << badText.out;
}
