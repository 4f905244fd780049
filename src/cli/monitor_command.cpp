#include "cli_commands.h"
#include "console_input.h"

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
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// After the last typed command, answers still on their way are shown before the monitor ends.
constexpr std::chrono::seconds kAnswerGrace{1};

// Prints each log row as one tab-separated line the moment it arrives; port events go to
// standard error, so standard output holds rows only.
class ConsoleRowSink : public IRowSink {
public:
    explicit ConsoleRowSink(std::string port) : m_port(std::move(port)) {}

    void LogPacket(Clock::time_point when, const CountedBytes& frame, const CountedBytes* payload,
                   bool checksumError) override
    {
        Print(MakePacketRow(when, frame, payload, checksumError));
    }
    void ReportLineError(Clock::time_point when, std::uint32_t flags) override
    {
        Print(MakeLineErrorRow(when, flags));
    }
    void OnPortEvent(Clock::time_point, PortEvent event) override
    {
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
};

struct MonitorOptions {
    std::string port;
    std::vector<std::string> sends;
    std::optional<double> seconds;
};

bool IsBlank(const std::string& text)
{
    return text.find_first_not_of(" \t\r,") == std::string::npos;
}

// Sends a command typed like the "Command Data" field; a failed write is reported, and the port's
// error state cleared so that the next command can go.
void Send(CSerialPort& port, const std::string& text)
{
    if (IsBlank(text))
        return;
    CCommandPacket packet;
    packet.SetCommand(ParseCommandText(text));
    const CountedBytes& encoded = packet.GetEncoded();
    std::size_t done = 0;
    if (!port.Write(encoded.Data(), encoded.Count(), &done)) {
        port.ClearErrors(nullptr);
        std::fprintf(stderr, "vantrolix-cli: RS232 Transmit Error\n");
    }
}

// Sends each line of standard input until it ends, the deadline passes or Ctrl+C. True at the
// end of the input.
bool SendInputLines(CSerialPort& port, ConsoleInput& input, std::optional<Clock::time_point> deadline)
{
    std::string pending;
    for (;;) {
        const auto result = input.Read(pending, deadline);
        if (result == ConsoleInput::Result::End) {
            if (!pending.empty())
                Send(port, pending);
            return true;
        }
        if (result != ConsoleInput::Result::Data)
            return false;
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
            Send(port, pending.substr(0, end));
            pending.erase(0, end + 1);
        }
    }
}

int RunMonitor(const MonitorOptions& options)
{
    CSerialPort port;
    if (!port.Open(options.port, std::string(kDeviceLineSettings))) {
        std::fprintf(stderr, "vantrolix-cli: cannot open %s: %s\n", options.port.c_str(), port.GetOpenError().c_str());
        return 1;
    }
    ConsoleInput input;
    ConsoleRowSink sink(options.port);
    ReceiveWorker worker(port, sink);
    worker.Start();

    std::optional<Clock::time_point> deadline;
    if (options.seconds)
        deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(*options.seconds));
    for (const std::string& text : options.sends)
        Send(port, text);
    const bool inputEnded = SendInputLines(port, input, deadline);
    if (inputEnded)
        input.WaitUntil(deadline ? *deadline : Clock::now() + kAnswerGrace);

    worker.RequestStop();
    port.Close();
    worker.Join();
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
    cmd->footer("Each line typed on standard input is sent as a command. Rows are printed as\n"
                "HH:MM:SS<TAB>Encoded<TAB>Data<TAB>Description; line errors put their text in Encoded.");
    cmd->callback([options, &result] { result.exitCode = RunMonitor(*options); });
}
