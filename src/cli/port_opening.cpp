#include "port_opening.h"

#include "console_output.h"
#include "monitor_record.h"

#include "serial/line_settings.h"
#include "serial/serial_port.h"

#include <thread>

bool CatchStopsBeforeOpening(const StopPipe& notes, const std::string& command)
{
    if (!notes.IsOpen()) {
        PrintError("cannot set up the " + command + ": no pipe for its threads");
        return false;
    }
    notes.CatchStopSignals();
    return true;
}

std::optional<std::chrono::steady_clock::time_point> DeadlineAfter(std::optional<double> seconds)
{
    using Clock = std::chrono::steady_clock;
    if (!seconds)
        return std::nullopt;
    return Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(*seconds));
}

bool OpenRecordIfAsked(MonitorRecord& record, const std::optional<std::string>& path, const std::string& port)
{
    std::string error;
    if (path && !record.Open(*path, port, error)) {
        PrintError(error);
        return false;
    }
    return true;
}

bool OpenUnlessStopped(CSerialPort& port, const std::string& name, const StopPipe& notes,
                       std::optional<std::chrono::steady_clock::time_point> deadline, std::string& reason)
{
    bool opened = false;
    std::thread opening([&] {
        opened = port.Open(name, kDeviceLineSettings);
        notes.Note(kOpenDone);
    });
    bool done = false;
    bool stop = false;
    while (!done && !stop) {
        const std::string why = notes.Take(deadline);
        done = why.find(kOpenDone) != std::string::npos;
        stop = why.empty() || why.find(kStopAsked) != std::string::npos;
    }
    if (stop)
        port.Close(); // cuts the open short, or closes what it opened just now
    opening.join();
    if (stop) {
        reason = "the run ended before the port opened";
        return false;
    }
    if (!opened)
        reason = port.GetOpenError();
    return opened;
}
