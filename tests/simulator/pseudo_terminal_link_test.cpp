// The fixed name a simulated device can be reached by: which existing links it may take over.

#include "simulator/pseudo_terminal.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string NewLinkPath(const std::string& what)
{
    static int count = 0;
    const std::string path = ::testing::TempDir() + "vantrolix-link-" + what + "-" + std::to_string(getpid()) + "-"
        + std::to_string(++count);
    fs::remove(path);
    return path;
}

} // namespace

// A simulator killed with SIGKILL leaves its link; the next one is often given the same
// pseudo-terminal number, so the link then leads to the terminal this one has just made.
TEST(PseudoTerminalLink, ALinkToTheTerminalJustMadeIsTakenOver)
{
    CPseudoTerminal line;
    std::string error;
    ASSERT_TRUE(line.Create(error)) << error;
    const std::string path = NewLinkPath("reused");
    fs::create_symlink(line.SlavePath(), path);

    ASSERT_TRUE(line.Link(path, error)) << error;
    EXPECT_EQ(fs::read_symlink(path), line.SlavePath());
    line.Close();
    EXPECT_FALSE(fs::is_symlink(path));
}

TEST(PseudoTerminalLink, ALinkToAnotherLiveTerminalStays)
{
    CPseudoTerminal other;
    CPseudoTerminal line;
    std::string error;
    ASSERT_TRUE(other.Create(error)) << error;
    ASSERT_TRUE(line.Create(error)) << error;
    const std::string path = NewLinkPath("taken");
    fs::create_symlink(other.SlavePath(), path);

    EXPECT_FALSE(line.Link(path, error));
    EXPECT_NE(error.find("will not replace"), std::string::npos) << error;
    line.Close();
    EXPECT_EQ(fs::read_symlink(path), other.SlavePath());
    fs::remove(path);
}
