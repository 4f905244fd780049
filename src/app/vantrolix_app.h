#pragma once

#include "app/command_line.h"

// Starts the program: the simulated device when asked for, then the main window, run modally; the
// program ends when that window closes.
class CVantrolixApp {
public:
    explicit CVantrolixApp(CommandLine options) : m_options(std::move(options)) {}

    // Returns the process's exit code: 0, 1 when the simulated device could not be started, or the
    // status of the script run with --exit-when-done.
    int InitInstance();

private:
    CommandLine m_options;
};
