#pragma once

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

// Runs the built console tool as an engineer would, through bash (so $'\e' quoting and here
// strings work).
struct CliRun {
    int exitCode = -1;
    std::string out; // what reached the shell's standard output
};

// Runs a bash command line; the tool is $CLI in it.
inline CliRun RunShell(const std::string& commandLine)
{
    static int count = 0;
    const std::string script = ::testing::TempDir() + "vantrolix-cli-run-" + std::to_string(getpid()) + "-"
        + std::to_string(++count) + ".sh";
    std::ofstream(script) << "CLI='" << VANTROLIX_CLI_PATH << "'\n" << commandLine << '\n';
    CliRun run;
    FILE* pipe = ::popen(("bash '" + script + "'").c_str(), "r");
    if (pipe == nullptr)
        return run;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, n);
    const int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::remove(script.c_str());
    return run;
}

// The arguments may carry their own redirections.
inline CliRun RunCliAsIs(const std::string& arguments)
{
    return RunShell("\"$CLI\" " + arguments);
}

// Standard output and standard error together.
inline CliRun RunCli(const std::string& arguments)
{
    return RunCliAsIs(arguments + " 2>&1");
}

// The tab-separated columns of a printed row.
inline std::vector<std::string> Columns(const std::string& row)
{
    std::vector<std::string> columns;
    std::size_t start = 0;
    for (std::size_t tab; (tab = row.find('\t', start)) != std::string::npos; start = tab + 1)
        columns.push_back(row.substr(start, tab - start));
    columns.push_back(row.substr(start));
    return columns;
}

inline std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}
