#include "cli_commands.h"
#include "monitor_record.h"

#include "protocol/command_packet.h"
#include "protocol/command_text_parser.h"
#include "serial/line_settings.h"
#include "log/log_row.h"
#include "serial/receive_worker.h"
#include "serial/serial_port.h"

#include <CLI/CLI.hpp>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <poll.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// After the last typed command, answers still on their way are shown before the monitor ends.
constexpr std::chrono::seconds kAnswerGrace{1};

// Prints each log row as one tab-separated line the moment it arrives; port events go to
// standard error, so standard output holds rows only. The session record, if any, gets them all.
class ConsoleRowSink : public IRowSink {
public:
    ConsoleRowSink(std::string port, MonitorRecord& record) : m_port(std::move(port)), m_record(record) {}

    void LogPacket(Clock::time_point when, const CountedBytes& frame, const CountedBytes* payload,
                   bool checksumError) override
    {
        const LogRow row = MakePacketRow(when, frame, payload, checksumError);
        Print(row);
        m_record.Received(when, row);
    }
    void ReportLineError(Clock::time_point when, std::uint32_t flags) override
    {
        const LogRow row = MakeLineErrorRow(when, flags);
        Print(row);
        m_record.Received(when, row);
    }
    void OnPortEvent(Clock::time_point, PortEvent event) override
    {
        m_record.Port(event == PortEvent::DeviceGone ? PortEventKind::DeviceGone : PortEventKind::Reopened);
        if (event == PortEvent::DeviceGone)
            std::fprintf(stderr, "vantrolix-cli: the device on %s has gone; waiting for it to come back\n", m_port.c_str());
        else
            std::fprintf(stderr, "vantrolix-cli: %s is open again\n", m_port.c_str());
    }

private:
    static void Print(const LogRow& row)
    {
        const std::string line = row.time + '\t' + row.encoded + '\t' + row.data + '\t'
            + row.description + '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fflush(stdout);
    }

    std::string m_port;
    MonitorRecord& m_record;
};

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

// Sends a command typed like the "Command Data" field; a failed write is reported, and the port's
// error state cleared so that the next command can go.
void Send(CSerialPort& port, MonitorRecord& record, const std::string& text)
{
    if (IsBlank(text))
        return;
    CCommandPacket packet;
    packet.SetCommand(ParseCommandText(text));
    const CountedBytes& encoded = packet.GetEncoded();
    std::size_t done = 0;
    const bool written = port.Write(encoded.Data(), encoded.Count(), &done);
    record.Sent(encoded, packet.GetCommand(), written && done == encoded.Count());
    if (!written) {
        port.ClearErrors(nullptr);
        std::fprintf(stderr, "vantrolix-cli: RS232 Transmit Error\n");
    }
}

// Sends each line of standard input until it ends or the deadline passes. True at the end of
// the input.
bool SendInputLines(CSerialPort& port, MonitorRecord& record, std::optional<Clock::time_point> deadline)
{
    std::string pending;
    char buffer[4096];
    for (;;) {
        int timeout = -1;
        if (deadline) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now());
            if (left.count() <= 0)
                return false;
            timeout = static_cast<int>(left.count());
        }
        pollfd in{STDIN_FILENO, POLLIN, 0};
        if (poll(&in, 1, timeout) <= 0)
            continue;
        const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            if (n < 0 && errno == EINTR)
                continue;
            if (!pending.empty())
                Send(port, record, pending);
            return true;
        }
        pending.append(buffer, static_cast<std::size_t>(n));
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
            Send(port, record, pending.substr(0, end));
            pending.erase(0, end + 1);
        }
    }
}

int RunMonitor(const MonitorOptions& options)
{
    MonitorRecord record;
    std::string error;
    if (options.logFile && !record.Open(*options.logFile, options.port, error)) {
        std::fprintf(stderr, "vantrolix-cli: %s\n", error.c_str());
        return 1;
    }
    CSerialPort port;
    if (!port.Open(options.port, std::string(kDeviceLineSettings))) {
        record.Port(PortEventKind::CouldNotOpen, port.GetOpenError());
        std::fprintf(stderr, "vantrolix-cli: cannot open %s: %s\n", options.port.c_str(), port.GetOpenError().c_str());
        return 1;
    }
    record.Port(PortEventKind::Opened);
    ConsoleRowSink sink(options.port, record);
    ReceiveWorker worker(port, sink);
    worker.Start();

    std::optional<Clock::time_point> deadline;
    if (options.seconds)
        deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(*options.seconds));
    for (const std::string& text : options.sends)
        Send(port, record, text);
    const bool inputEnded = SendInputLines(port, record, deadline);
    if (inputEnded && deadline)
        std::this_thread::sleep_until(*deadline);
    else if (inputEnded)
        std::this_thread::sleep_for(kAnswerGrace);

    worker.RequestStop();
    port.Close();
    worker.Join();
    record.Port(PortEventKind::Closed);
    return 0;
}

} // namespace

void AddMonitorCommand(CLI::App& app, CliResult& result)
{
    auto options = std::make_shared<MonitorOptions>();
    CLI::App* cmd = app.add_subcommand(
        "monitor", "Open a port as the main window does, send commands and print every log row as it arrives");
    cmd->add_option("--port", options->port, "port name: COM1, ttyUSB0, or a path such as /dev/pts/3")->required();
    cmd->add_option("--send", options->sends, "command text to send first, written like \"Command Data\" (repeatable)");
    cmd->add_option("--seconds", options->seconds,
                    "stop after this many seconds (otherwise a second after standard input ends)")
        ->check(CLI::PositiveNumber);
    cmd->add_option("--log", options->logFile,
                    "record the session to FILE as well (continues a session file; never overwrites another file)")
        ->type_name("FILE");
    cmd->footer("Each line typed on standard input is sent as a command. Rows are printed as\n"
                "HH:MM:SS<TAB>Encoded<TAB>Data<TAB>Description; line errors put their text in Encoded.");
    cmd->callback([options, &result] { result.exitCode = RunMonitor(*options); });
}
