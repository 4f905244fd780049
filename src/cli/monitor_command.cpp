#include "cli_commands.h"
#include "console_output.h"
#include "console_row_sink.h"
#include "input_lines.h"
#include "monitor_record.h"
#include "number_option.h"
#include "port_opening.h"
#include "stop_pipe.h"

#include "log/packet_sender.h"
#include "log/sent_row.h"
#include "protocol/command_text_check.h"
#include "protocol/command_text_parser.h"
#include "serial/receive_worker.h"
#include "serial/serial_port.h"

#include <CLI/CLI.hpp>

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// After the last typed command, answers still on their way are shown before the monitor ends.
constexpr std::chrono::seconds kAnswerGrace{1};
// Far more than the 127 byte values a command holds, however they are written; the rest of a
// longer line is not kept.
constexpr std::size_t kLongestLine = 16 * 1024;

// Why the monitor's main thread wakes.
constexpr char kInputEnded = 'E';  // standard input has ended
constexpr char kOutputFailed = 'O'; // standard output cannot take rows any more

struct MonitorOptions {
    std::string port;
    std::vector<std::string> sends;
    std::optional<double> seconds;
    std::optional<std::string> logFile;
};

bool IsBlank(const std::string& text)
{
    return text.find_first_not_of(" \t\r,") == std::string::npos;
}

// Sends the --send texts, then each line of standard input, on a thread of its own: a write the
// far end does not take may block for a while, and the deadline must not wait for it.
class CommandSender {
public:
    CommandSender(CSerialPort& port, MonitorRecord& record, const StopPipe& notes)
        : m_sender(port, record.Recording()), m_notes(notes)
    {
    }

    void Run(const std::vector<std::string>& sends)
    {
        for (const std::string& text : sends)
            Send(text);
        InputLines lines(STDIN_FILENO, m_quit, kLongestLine);
        std::string line;
        for (;;) {
            const InputLines::Got got = lines.Next(line);
            if (got == InputLines::Got::Woken)
                return;
            if (got == InputLines::Got::End)
                break;
            if (lines.Cut())
                PrintError("a line of standard input is longer than " + std::to_string(kLongestLine)
                           + " characters; the rest of it was not kept");
            Send(line);
        }
        m_notes.Note(kInputEnded);
    }

    // Ends Run: a wait for input at once, a blocked write when the port closes.
    void Quit()
    {
        m_quitting = true;
        m_quit.Note('Q');
    }

private:
    // Sends a command typed like the "Command Data" field; a text that would not go out as written
    // is refused, and a failed write is reported.
    void Send(const std::string& text)
    {
        if (IsBlank(text) || m_quitting)
            return;
        if (const auto problem = CheckCommandText(text)) {
            PrintError("not sent: " + problem->Text());
            return;
        }
        // A write cut short by the end of the run is recorded as the failure it is, but not told.
        if (!m_sender.Send(ParseCommandText(text)).Sent() && !m_quitting)
            PrintError(kTransmitErrorText);
    }

    PacketSender m_sender;
    const StopPipe& m_notes;
    StopPipe m_quit;
    std::atomic<bool> m_quitting{false};
};

// Waits for the notes until the run is over: a signal or failed output ends it at once; the end
// of input a second later, or at the deadline when one was given.
void WaitForTheEnd(const StopPipe& notes, std::optional<Clock::time_point> deadline)
{
    std::optional<Clock::time_point> end = deadline;
    for (;;) {
        if (end && Clock::now() >= *end)
            return;
        for (const char why : notes.Take(end)) {
            if (why == kStopAsked || why == kOutputFailed)
                return;
            if (why == kInputEnded && !deadline)
                end = Clock::now() + kAnswerGrace;
        }
    }
}

// Every --send text is checked before the port opens: a device must not get half of what was asked.
bool CheckSendTexts(const std::vector<std::string>& sends)
{
    for (const std::string& text : sends) {
        if (IsBlank(text))
            continue;
        if (const auto problem = CheckCommandText(text)) {
            PrintError("--send refused, nothing was sent: " + problem->Text());
            return false;
        }
    }
    return true;
}

int RunMonitor(const MonitorOptions& options)
{
    if (options.port.empty()) {
        PrintError("monitor needs a port name: --port NAME (COM1, ttyUSB0, or a path such as /dev/pts/3)");
        return 2;
    }
    if (!CheckSendTexts(options.sends))
        return 2;
    StopPipe notes;
    if (!CatchStopsBeforeOpening(notes, "monitor"))
        return 1;
    const auto deadline = DeadlineAfter(options.seconds);
    MonitorRecord record;
    if (!OpenRecordIfAsked(record, options.logFile, options.port))
        return 1;
    std::string error;
    CSerialPort port;
    if (!OpenUnlessStopped(port, options.port, notes, deadline, error)) {
        record.Port(PortEventKind::CouldNotOpen, error);
        PrintError("cannot open " + options.port + ": " + error);
        return 1;
    }
    record.Port(PortEventKind::Opened);
    ConsoleOut& out = StandardOut();
    ConsoleRowSink sink(options.port, out, [&notes] { notes.Note(kOutputFailed); });
    if (options.logFile)
        sink.RecordTo(&record);
    ReceiveWorker worker(port, sink);
    worker.Start();
    CommandSender sender(port, record, notes);
    std::thread sending([&sender, &options] { sender.Run(options.sends); });

    WaitForTheEnd(notes, deadline);

    sender.Quit();
    worker.RequestStop();
    port.Close(); // also ends a write the far end is not taking
    worker.Join();
    sending.join();
    record.Port(PortEventKind::Closed);
    const int printed = out.Finish();
    // The failure was told when it happened; a run whose record is incomplete has still failed.
    return record.Close() ? printed : 1;
}

} // namespace

void AddMonitorCommand(CLI::App& app, CliResult& result)
{
    auto options = std::make_shared<MonitorOptions>();
    CLI::App* cmd = app.add_subcommand(
        "monitor", "Open a port as the main window does, send commands and print every log row as it arrives");
    cmd->add_option("--port", options->port, "port name: COM1, ttyUSB0, or a path such as /dev/pts/3")->required();
    cmd->add_option("--send", options->sends, "command text to send first, written like \"Command Data\" (repeatable)");
    AddNumberOption(*cmd, "--seconds", options->seconds, kSecondsRange,
                    "stop after this many seconds (otherwise a second after standard input ends)");
    cmd->add_option("--log", options->logFile,
                    "record the session to FILE as well (continues a session file; never overwrites another file)")
        ->type_name("FILE");
    cmd->footer("Each line typed on standard input is sent as a command. Rows are printed as\n"
                "HH:MM:SS<TAB>Encoded<TAB>Data<TAB>Description; line errors put their text in Encoded.\n"
                "Ctrl+C ends it; the port gets back the line settings it had.");
    cmd->callback([options, &result] { result.exitCode = RunMonitor(*options); });
}
