#pragma once

#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

// Starts a program in the background with its standard output sent to a file (/dev/null unless
// told otherwise) and, when asked, its standard error to /dev/null; 0 when it could not be started.
inline pid_t SpawnQuietly(std::vector<std::string> args, bool quietErrors = false,
                          const std::string& outputPath = "/dev/null")
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
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid = 0;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}
