#pragma once

#include <cstdio>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

// Runs the built console tool as an engineer would, through the shell.
struct CliRun {
    int exitCode = -1;
    std::string out; // standard output and standard error together
};

// Runs a shell command line and collects what it writes to standard output.
inline CliRun RunShellCommand(const std::string& command)
{
    CliRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, n);
    const int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

inline CliRun RunCli(const std::string& arguments)
{
    return RunShellCommand(std::string("'") + VANTROLIX_CLI_PATH + "' " + arguments + " 2>&1");
}

inline std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}
