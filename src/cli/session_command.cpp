#include "cli_commands.h"

#include "log/printable_text.h"
#include "log/session_reader.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

namespace {

struct SessionOptions {
    std::string file;
    bool all = false;
    bool milliseconds = false;
};

// Rows go out as the monitor prints them; a write that fails (a full disk, a closed pipe) ends
// the command with an error instead of a silently short listing.
class RowPrinter {
public:
    explicit RowPrinter(const SessionOptions& options) : m_options(options) {}

    void Print(const SessionRow& row)
    {
        const bool heard = row.direction == RowDirection::Received || IsWatchedSide(row.direction);
        if (m_failed || (!heard && !m_options.all))
            return;
        m_line.clear();
        // A watched line's rows say which side they were heard on, as `snoop` prints them.
        if (IsWatchedSide(row.direction)) {
            m_line += DirectionName(row.direction);
            m_line += '\t';
        }
        m_line += FormatClockTime(row.time, m_options.milliseconds);
        m_line += '\t';
        if (row.direction == RowDirection::Sent)
            m_line += "Sent: ";
        m_line += row.encoded;
        m_line += '\t';
        m_line += row.data;
        m_line += '\t';
        m_line += row.description;
        m_line += '\n';
        if (std::fwrite(m_line.data(), 1, m_line.size(), stdout) != m_line.size())
            Failed();
    }

    // False when any row could not be written.
    bool Finish()
    {
        if (!m_failed && (std::fflush(stdout) != 0 || std::ferror(stdout)))
            Failed();
        return !m_failed;
    }
    // The reader closed the pipe (| head): nothing is wrong that the user needs telling.
    bool ReaderGone() const { return m_error == EPIPE; }
    int Error() const { return m_error; }

private:
    const SessionOptions& m_options;
    void Failed()
    {
        m_failed = true;
        m_error = errno;
    }

    std::string m_line;
    bool m_failed = false;
    int m_error = 0;
};

int RunSession(const SessionOptions& options)
{
    const bool standardInput = options.file.empty() || options.file == "-";
    const std::string name = standardInput ? std::string("standard input") : PrintableText(options.file);
    std::ifstream fileStream;
    std::istream* in = &std::cin;
    if (!standardInput) {
        fileStream.open(options.file, std::ios::binary);
        if (!fileStream) {
            std::fprintf(stderr, "vantrolix-cli: cannot read %s: %s\n", name.c_str(), std::strerror(errno));
            return 1;
        }
        in = &fileStream;
    }
    RowPrinter printer(options);
    bool malformed = false;
    const bool read = ReadSession(*in, {[&](SessionRow&& row) { printer.Print(row); },
                                        [&](SessionProblem&& problem) {
                                            // A recording cut off by a crash is still a recording.
                                            malformed = malformed || !problem.cutShort;
                                            std::fprintf(stderr, "vantrolix-cli: %s: %s\n", name.c_str(),
                                                         problem.Text().c_str());
                                        }});
    if (!printer.Finish()) {
        if (!printer.ReaderGone())
            std::fprintf(stderr, "vantrolix-cli: cannot write the rows: %s\n", std::strerror(printer.Error()));
        return 1;
    }
    if (!read) {
        std::fprintf(stderr, "vantrolix-cli: error reading %s\n", name.c_str());
        return 1;
    }
    return malformed ? 1 : 0;
}

} // namespace

void AddSessionCommand(CLI::App& app, CliResult& result)
{
    auto options = std::make_shared<SessionOptions>();
    CLI::App* cmd = app.add_subcommand(
        "session", "Print the rows of a recorded session file (the window's or monitor --log's) as the monitor does");
    cmd->add_option("file", options->file, "session file to read (standard input when absent or -)");
    cmd->add_flag("--all", options->all, "also print sent commands (marked \"Sent: \") and port events");
    cmd->add_flag("--milliseconds", options->milliseconds, "print the time as HH:MM:SS.mmm");
    cmd->footer("Rows are printed as HH:MM:SS<TAB>Encoded<TAB>Data<TAB>Description in the time of the\n"
                "recording. Unreadable lines are named on standard error and the rest is printed; the\n"
                "exit status is then 1, except for a last line cut short by a killed recording.");
    cmd->callback([options, &result] { result.exitCode = RunSession(*options); });
}
