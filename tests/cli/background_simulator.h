#pragma once

#include "support/spawn_quietly.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

// "vantrolix-cli simulate" in the background, reachable through a link of its own; what it prints
// goes to a file.
class BackgroundSimulator {
public:
    using Ms = std::chrono::milliseconds;

    explicit BackgroundSimulator(std::vector<std::string> extra = {}, std::string linkPath = {})
        : link(linkPath.empty() ? NewPath("sim") : std::move(linkPath)), output(NewPath("sim-out"))
    {
        std::vector<std::string> args = {VANTROLIX_CLI_PATH, "simulate", "--link", link};
        args.insert(args.end(), extra.begin(), extra.end());
        m_pid = SpawnQuietly(std::move(args), false, output);
        EXPECT_NE(m_pid, 0);
        // The link counts once it leads to a port (a stale one there before leads nowhere).
        for (int i = 0; i < 500 && !std::filesystem::exists(link); ++i)
            std::this_thread::sleep_for(Ms(10));
    }
    ~BackgroundSimulator()
    {
        if (m_pid == 0)
            return;
        const int status = Stop(SIGTERM);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the simulator did not stop cleanly";
        EXPECT_FALSE(std::filesystem::exists(link)) << "the simulator left its link behind";
    }

    // Sends the signal and waits for the simulator to end; its wait status.
    int Stop(int signal)
    {
        const int status = StopSpawned(m_pid, signal);
        m_pid = 0;
        return status;
    }
    std::string Printed() const
    {
        std::ostringstream text;
        text << std::ifstream(output).rdbuf();
        return text.str();
    }

    static std::string NewPath(const std::string& what)
    {
        return ::testing::TempDir() + "vantrolix-" + what + "-" + std::to_string(getpid()) + "-" + std::to_string(++s_count);
    }

    const std::string link;
    const std::string output;

private:
    pid_t m_pid = 0;
    static inline int s_count = 0;
};
