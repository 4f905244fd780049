#include "../cli/cli_run.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

// Both programs as installed users run them: from a shell, possibly with no display at all.
namespace {

// No display of any kind: what a terminal over ssh or a package build gives.
std::string Headless(const char* program)
{
    return std::string("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '") + program + "'";
}

const char* const kPrograms[][2] = {{"vantrolix-cli", VANTROLIX_CLI_PATH}, {"vantrolix", VANTROLIX_GUI_PATH}};

} // namespace

TEST(Version, BothProgramsPrintTheProjectVersionWithoutADisplay)
{
    // The commit is there when the tests run from a checkout; a tarball build has none.
    const std::string version = std::regex_replace(VANTROLIX_VERSION, std::regex("\\."), "\\.");
    for (const auto& [name, path] : kPrograms) {
        const CliRun run = RunShell(Headless(path) + " --version 2>&1");
        EXPECT_EQ(run.exitCode, 0) << name << ": " << run.out;
        const std::regex line(std::string("^") + name + " " + version + "( \\(commit [0-9a-f]{12}(, modified)?\\))?\n$");
        EXPECT_TRUE(std::regex_match(run.out, line)) << name << ": " << run.out;
    }
}

TEST(Version, AFullOutputIsAnErrorNotASilentSuccess)
{
    for (const auto& [name, path] : kPrograms) {
        const CliRun run = RunShell(Headless(path) + " --version 2>&1 >/dev/full");
        EXPECT_EQ(run.exitCode, 1) << name;
        EXPECT_NE(run.out.find("standard output"), std::string::npos) << name << ": " << run.out;
    }
}

TEST(Version, HelpNamesTheVersionOption)
{
    for (const auto& [name, path] : kPrograms) {
        const CliRun run = RunShell(Headless(path) + " --help 2>&1");
        EXPECT_EQ(run.exitCode, 0) << name << ": " << run.out;
        EXPECT_NE(run.out.find("--version"), std::string::npos) << name;
    }
}

TEST(Headless, BadArgumentsGiveTheUsageAndStatus2BeforeQtLooksForADisplay)
{
    for (const char* args : {"--bogus", "--simulate Nomodel", "--port"}) {
        const CliRun run = RunShell(Headless(VANTROLIX_GUI_PATH) + " " + args + " 2>&1");
        EXPECT_EQ(run.exitCode, 2) << args << ": " << run.out;
        EXPECT_NE(run.out.find("Usage: vantrolix"), std::string::npos) << args << ": " << run.out;
    }
    // Qt's own arguments still reach Qt, which takes them before ours are read.
    const CliRun qt = RunShell(Headless(VANTROLIX_GUI_PATH) + " -platform offscreen --help 2>&1");
    EXPECT_EQ(qt.exitCode, 0) << qt.out;
    EXPECT_NE(qt.out.find("--simulate"), std::string::npos) << qt.out;
}
