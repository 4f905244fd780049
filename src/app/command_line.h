#pragma once

#include <optional>
#include <string>
#include <vector>

// What the program was asked to do by its arguments.
struct CommandLine {
    std::optional<std::string> port;          // --port NAME: this run only, not stored
    std::optional<std::string> simulateModel; // --simulate [MODEL]
    std::optional<std::string> openFile;      // --open FILE: a saved session, read-only, no port
    std::optional<std::string> runScript;     // --run-script FILE: run it once the port is open
    bool exitWhenDone = false;                // --exit-when-done: end with the script's status
    // --watch-controller PORT --watch-device PORT [--pass-through]: watch the line between a room
    // controller and its device for this run, not stored.
    std::optional<std::string> watchController;
    std::optional<std::string> watchDevice;
    bool passThrough = false;
};

struct CommandLineParse {
    bool run = false;     // false: print `message` and end with `exitCode`
    int exitCode = 0;     // 0 for --help and --version, 2 for bad arguments
    std::string message;  // the help, the version, or the error followed by the usage
    CommandLine options;
};

inline constexpr const char* kDefaultSimulatedModel = "Elmora";

// args[0] is the program's name, as in argv.
CommandLineParse ParseCommandLine(const std::vector<std::string>& args);
