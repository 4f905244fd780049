// The simulated device as a program: what it may do to the path it is given, and how it stops.

#include "background_simulator.h"
#include "cli_run.h"
#include "support/settled_input.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

TEST(CliSimulate, LinkNeverTakesAPathThatBelongsToSomeoneElse)
{
    const std::string file = BackgroundSimulator::NewPath("precious");
    std::ofstream(file) << "measurements";
    const CliRun overFile = RunCli("simulate --link '" + file + "'");
    EXPECT_EQ(overFile.exitCode, 1);
    EXPECT_NE(overFile.out.find("will not replace " + file + ": it exists"), std::string::npos) << overFile.out;
    std::ostringstream kept;
    kept << std::ifstream(file).rdbuf();
    EXPECT_EQ(kept.str(), "measurements");
    EXPECT_FALSE(fs::exists(file + ".new"));

    const std::string dir = BackgroundSimulator::NewPath("dir");
    fs::create_directory(dir);
    EXPECT_EQ(RunCli("simulate --link '" + dir + "'").exitCode, 1);
    EXPECT_TRUE(fs::is_directory(dir));

    const std::string toFile = BackgroundSimulator::NewPath("link-to-file");
    fs::create_symlink(file, toFile);
    EXPECT_EQ(RunCli("simulate --link '" + toFile + "'").exitCode, 1);
    EXPECT_EQ(fs::read_symlink(toFile), file);

    // A link left by a simulator that died is taken over, and goes when this one stops.
    const std::string stale = BackgroundSimulator::NewPath("stale");
    fs::create_symlink("/dev/pts/987654", stale);
    {
        BackgroundSimulator simulator({}, stale);
        ASSERT_TRUE(fs::exists(stale));
        EXPECT_NE(fs::read_symlink(stale), "/dev/pts/987654");
    }
    EXPECT_FALSE(fs::is_symlink(stale));
}

// SIGKILL leaves the link behind, and the next simulator is usually given the same
// pseudo-terminal: the link then leads to a terminal that exists, its own.
TEST(CliSimulate, TakesOverTheLinkOfASimulatorKilledOutright)
{
    const std::string link = BackgroundSimulator::NewPath("killed");
    {
        BackgroundSimulator killed({}, link);
        ASSERT_TRUE(fs::exists(link));
        const int status = killed.Stop(SIGKILL);
        ASSERT_TRUE(WIFSIGNALED(status));
    }
    ASSERT_TRUE(fs::is_symlink(link));

    BackgroundSimulator next({}, link);
    bool answering = false;
    for (int i = 0; i < 500 && !answering; ++i) {
        answering = next.Printed().find("Answering until interrupted") != std::string::npos;
        if (!answering)
            std::this_thread::sleep_for(10ms);
    }
    EXPECT_TRUE(answering) << next.Printed();
    const int status = next.Stop(SIGTERM);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << next.Printed();
    EXPECT_FALSE(fs::is_symlink(link));
}

// A tool that opened the port, asked once and stopped reading: the flood fills the line and the
// simulator's writes stall. Each stop signal still ends it at once and takes the link away.
TEST(CliSimulate, StopsAtOnceOnEachSignalWhileItsWritesStall)
{
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        BackgroundSimulator simulator({"--model", "Elmora", "--flood", "1000000000"});
        const int tool = open(simulator.link.c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(tool, 0);
        const std::uint8_t query[] = {1, 20, 20, 2, 215};
        ASSERT_EQ(write(tool, query, sizeof query), static_cast<ssize_t>(sizeof query));
        // Full once what waits for the tool stops growing.
        ASSERT_GT(WaitForSettledInput(tool), 0);

        const auto start = std::chrono::steady_clock::now();
        const int status = simulator.Stop(signal);
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_LT(took, 1000ms) << "signal " << signal; // 100 ms, with room for a loaded machine
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "signal " << signal;
        EXPECT_FALSE(fs::exists(simulator.link) || fs::is_symlink(simulator.link)) << "signal " << signal;
        EXPECT_NE(simulator.Printed().find("Stopped. Commands received: 1, packets sent: "), std::string::npos)
            << simulator.Printed();
        close(tool);
    }
}
