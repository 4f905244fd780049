// The window's options on Windows, where no simulated device can run.
#include "app/command_line.h"

#include <gtest/gtest.h>

namespace {
CommandLineParse Parse(std::vector<std::string> args)
{
    args.insert(args.begin(), "vantrolix");
    return ParseCommandLine(args);
}
} // namespace

TEST(CommandLineOnWindows, SimulateSaysItIsNotAvailableAndEndsWithStatus2)
{
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"--simulate"}, {"--simulate", "Brisolt"}, {"--simulate", "Nomodel"}}) {
        const CommandLineParse r = Parse(args);
        EXPECT_FALSE(r.run);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.message.rfind("--simulate is not available on Windows", 0), 0u) << r.message;
    }

    const CommandLineParse port = Parse({"--port", "COM7"});
    EXPECT_TRUE(port.run);
    EXPECT_EQ(port.options.port, "COM7");
    EXPECT_TRUE(Parse({"--open", "C:\\sessions\\a.tsv"}).run);
    EXPECT_EQ(Parse({"--bogus"}).exitCode, 2);
}
