// Watching the line between a room controller and the device it drives: both directions framed
// and described, the controller's packets as commands, the device's as answers.

#include "cli_commands.h"
#include "console_output.h"
#include "console_row_sink.h"
#include "monitor_record.h"
#include "number_option.h"
#include "port_opening.h"
#include "stop_pipe.h"

#include "log/printable_text.h"
#include "serial/line_watch.h"
#include "serial/serial_port.h"

#include <CLI/CLI.hpp>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kOutputFailed = 'O'; // standard output cannot take rows any more

struct SnoopOptions {
    std::string controller;
    std::string device;
    bool passThrough = false;
    std::optional<double> seconds;
    std::optional<std::string> logFile;
};

// Waits until a stop request, failed output or the deadline ends the watch.
void WaitForTheEnd(const StopPipe& notes, std::optional<Clock::time_point> deadline)
{
    for (;;) {
        if (deadline && Clock::now() >= *deadline)
            return;
        const std::string why = notes.Take(deadline);
        if (why.find(kStopAsked) != std::string::npos || why.find(kOutputFailed) != std::string::npos)
            return;
    }
}

// Opens both ports, the controller's first; on failure, the one already open is closed again
// (giving back its line settings) and the reason names the port.
bool OpenBoth(CSerialPort& controller, CSerialPort& device, const SnoopOptions& options, const StopPipe& notes,
              std::optional<Clock::time_point> deadline, MonitorRecord& record, std::string& error)
{
    for (auto [port, name] : {std::pair{&controller, &options.controller}, std::pair{&device, &options.device}}) {
        std::string reason;
        if (!OpenUnlessStopped(*port, *name, notes, deadline, reason)) {
            record.Port(*name, PortEventKind::CouldNotOpen, reason);
            error = "cannot open " + PrintableText(*name) + ": " + reason;
            if (controller.IsOpen()) {
                controller.Close();
                record.Port(options.controller, PortEventKind::Closed);
            }
            return false;
        }
        record.Port(*name, PortEventKind::Opened);
    }
    return true;
}

int RunSnoop(const SnoopOptions& options)
{
    if (options.controller == options.device) {
        PrintError("the controller and the device need a port each: " + PrintableText(options.controller)
                   + " is named for both");
        return 2;
    }
    StopPipe notes;
    if (!CatchStopsBeforeOpening(notes, "watch"))
        return 1;
    const auto deadline = DeadlineAfter(options.seconds);
    MonitorRecord record;
    if (!OpenRecordIfAsked(record, options.logFile, options.controller))
        return 1;
    std::string error;
    CSerialPort controller;
    CSerialPort device;
    if (!OpenBoth(controller, device, options, notes, deadline, record, error)) {
        PrintError(error);
        record.Close();
        return 1;
    }
    ConsoleOut& out = StandardOut();
    // Both sides print through one output: a row is whole before the other side's can start.
    std::mutex printing;
    ConsoleRowSink controllerRows(options.controller, out, [&notes] { notes.Note(kOutputFailed); });
    ConsoleRowSink deviceRows(options.device, out, [&notes] { notes.Note(kOutputFailed); });
    controllerRows.ShowSide(RowDirection::Controller);
    deviceRows.ShowSide(RowDirection::Device);
    controllerRows.ShareOutput(&printing);
    deviceRows.ShareOutput(&printing);
    if (options.logFile) {
        controllerRows.RecordTo(&record);
        deviceRows.RecordTo(&record);
    }
    CLineWatch watch(controller, controllerRows, device, deviceRows, options.passThrough);
    watch.Start();

    WaitForTheEnd(notes, deadline);

    watch.Stop(); // closes both ports, which gives them back their line settings
    record.Port(options.controller, PortEventKind::Closed);
    record.Port(options.device, PortEventKind::Closed);
    if (options.passThrough) {
        const auto lost = [](std::uint64_t bytes, const std::string& from, const std::string& to) {
            if (bytes > 0)
                PrintError(std::to_string(bytes) + " bytes from " + from + " could not be passed on to " + to);
        };
        lost(watch.ControllerBytesLost(), "the controller", "the device");
        lost(watch.DeviceBytesLost(), "the device", "the controller");
    }
    const int printed = out.Finish();
    return record.Close() ? printed : 1;
}

} // namespace

void AddSnoopCommand(CLI::App& app, CliResult& result)
{
    auto options = std::make_shared<SnoopOptions>();
    CLI::App* cmd = app.add_subcommand(
        "snoop", "Watch the line between a room controller and a device: both directions, decoded");
    cmd->add_option("--controller", options->controller, "the port that hears the controller")->required();
    cmd->add_option("--device", options->device, "the port that hears the device")->required();
    cmd->add_flag("--pass-through", options->passThrough,
                  "the controller is cabled to one port and the device to the other: pass every byte on, unchanged");
    AddNumberOption(*cmd, "--seconds", options->seconds, kSecondsRange, "stop after this many seconds");
    cmd->add_option("--log", options->logFile,
                    "record the session to FILE as well (continues a session file; never overwrites another file)")
        ->type_name("FILE");
    cmd->footer("Without --pass-through both ports only listen (a tap or Y cable): nothing is written to either.\n"
                "Rows are printed as SIDE<TAB>HH:MM:SS<TAB>Encoded<TAB>Data<TAB>Description, SIDE being\n"
                "controller or device. Ctrl+C ends it; both ports get back the line settings they had.");
    cmd->callback([options, &result] { result.exitCode = RunSnoop(*options); });
}
