#pragma once

#include "log/session_writer.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// $XDG_STATE_HOME/vantrolix/sessions, or ~/.local/state/vantrolix/sessions when it is unset
// (or not an absolute path, as the XDG rules ask).
std::filesystem::path DefaultSessionFolder();

// "vantrolix-2026-12-07T13-04-56-ttyUSB0.tsv": the start time (local) and the port, with
// anything but letters, digits, '.', '_' and '-' in the port name made '_'.
std::string SessionFileName(std::chrono::system_clock::time_point start, std::string_view port);
// Names made by SessionFileName, with or without a "-N" before ".tsv": the only files that
// retention ever removes.
bool IsSessionFileName(std::string_view name);

// Creates the folder if need be and opens a new session file in it, named by the start time
// and port; a second run in the same second gets "-2", "-3", ... On failure `error` says why.
bool StartSessionFile(SessionWriter& writer, const std::filesystem::path& folder,
                      std::chrono::system_clock::time_point start, std::string_view port, std::string& error);

struct RetentionLimits {
    std::size_t maxFiles = 50;
    std::uintmax_t maxBytes = std::uintmax_t{1} << 30;
};

// Keeps the newest session files in the folder while both limits hold and removes the rest,
// never `keep` (the file being written, which counts first). Files of other names are left
// alone. Returns the files removed; `error` names the first that could not be.
std::vector<std::filesystem::path> PruneSessions(const std::filesystem::path& folder, const RetentionLimits& limits,
                                                 const std::filesystem::path& keep, std::string& error);
