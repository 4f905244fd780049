#pragma once

#include <string>
#include <vector>

#include <csignal>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

// Starts a program in the background with its standard output sent to a file (/dev/null unless
// told otherwise) and, when asked, its standard error to /dev/null, or to a file of its own;
// 0 when it could not be started.
inline pid_t SpawnQuietly(std::vector<std::string> args, bool quietErrors = false,
                          const std::string& outputPath = "/dev/null", const std::string& errorPath = {})
{
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (quietErrors)
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    else if (!errorPath.empty())
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid = 0;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Sends the signal and waits for the program to end; its wait status.
inline int StopSpawned(pid_t pid, int signal)
{
    kill(pid, signal);
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}
