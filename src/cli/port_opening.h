#pragma once

#include "number_option.h"
#include "stop_pipe.h"

#include <chrono>
#include <optional>
#include <string>

class CSerialPort;
class MonitorRecord;

// Notes that wake a console command's main thread, shared by the commands that open ports.
constexpr char kStopAsked = 'S'; // a request to end the program
constexpr char kOpenDone = 'P';  // the port has opened, or could not be

// --seconds: a year at most, so long soak runs fit and the deadline stays far from any clock's
// limits.
constexpr NumberRange kSecondsRange{0.001, 365.0 * 24 * 3600};

// Catches stop requests on the run's notes before any port opens, so that whatever ends the run
// gives the ports their settings back; false, having said so, when the notes could not be set up.
bool CatchStopsBeforeOpening(const StopPipe& notes, const std::string& command);
// When a run given --seconds ends.
std::optional<std::chrono::steady_clock::time_point> DeadlineAfter(std::optional<double> seconds);
// Opens the --log record when one is asked for; false, having said why, when it cannot be.
bool OpenRecordIfAsked(MonitorRecord& record, const std::optional<std::string>& path, const std::string& port);

// Opens the port at the device's line settings on a thread of its own, so that Ctrl+C or the
// deadline ends a slow open (a gateway's name server or handshake that never answers) at once:
// closing the port cuts it short. False, with the reason, when the port did not open or the run
// ended first.
bool OpenUnlessStopped(CSerialPort& port, const std::string& name, const StopPipe& notes,
                       std::optional<std::chrono::steady_clock::time_point> deadline, std::string& reason);
