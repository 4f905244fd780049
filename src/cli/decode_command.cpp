#include "cli_commands.h"
#include "console_output.h"
#include "console_platform.h"
#include "decode_stream.h"
#include "frame_row_printer.h"


#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

#include <unistd.h>

namespace {

struct DecodeOptions {
    std::string file;
    bool text = false;
};

int RunDecode(const DecodeOptions& options)
{
    const bool fromStdin = options.file.empty() || options.file == "-";
    const std::string name = fromStdin ? std::string("standard input") : options.file;
    int fd = STDIN_FILENO;
    if (!fromStdin) {
        fd = OpenForReading(options.file.c_str());
        if (fd < 0) {
            PrintError("cannot read " + name + ": " + std::strerror(errno));
            return 1;
        }
    }
    ConsoleOut& out = StandardOut();
    FrameRowPrinter printer(out);
    std::string error;
    const bool read = DecodeStream(fd, name, options.text, printer, [&out] { return !out.Failed(); }, error);
    if (!fromStdin)
        close(fd);
    const int status = out.Finish();
    if (!read) {
        PrintError(error);
        return 1;
    }
    return status;
}

} // namespace

void AddDecodeCommand(CLI::App& app, CliResult& result)
{
    auto options = std::make_shared<DecodeOptions>();
    CLI::App* cmd = app.add_subcommand(
        "decode", "Cut a captured byte stream into packets and print one described line per frame");
    cmd->add_option("file", options->file, "raw capture to read (standard input when absent or -)");
    cmd->add_flag("--text", options->text, "read byte values written as text (decimal or 0x hex) instead of raw bytes");
    cmd->callback([options, &result] { result.exitCode = RunDecode(*options); });
}
