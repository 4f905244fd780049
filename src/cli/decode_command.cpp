#include "protocol/byte_text.h"
#include "cli_commands.h"

#include "catalogue/radio_text.h"

#include "protocol/receive_framer.h"
#include "log/log_row.h"

#include <CLI/CLI.hpp>

#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>

namespace {

// Prints each closed frame as the log's columns read, without the time. Rows without a payload
// keep an empty description column, so every row has three.
class PrintingSink : public IFrameSink {
public:
    explicit PrintingSink(std::ostream& out) : m_out(out) {}

    void OnFrame(const CountedBytes& frame, const CountedBytes* payload, bool checksumError) override
    {
        const LogRow row = MakePacketRow({}, frame, payload, checksumError);
        m_out << row.encoded << '\t' << row.data << '\t' << row.description << '\n';
    }

private:
    std::ostream& m_out;
};

struct DecodeOptions {
    std::string file;
    bool text = false;
};

int RunDecode(const DecodeOptions& options)
{
    std::ifstream fileStream;
    std::istream* in = &std::cin;
    if (!options.file.empty() && options.file != "-") {
        fileStream.open(options.file, std::ios::binary);
        if (!fileStream) {
            std::cerr << "vantrolix-cli: cannot read " << options.file << '\n';
            return 1;
        }
        in = &fileStream;
    }
    const std::string input{std::istreambuf_iterator<char>(*in), std::istreambuf_iterator<char>()};
    if (in->bad()) {
        std::cerr << "vantrolix-cli: error reading " << (options.file.empty() ? "standard input" : options.file) << '\n';
        return 1;
    }

    // Radio text accumulates over the rows of this capture only.
    g_RadioText.Reset();
    PrintingSink sink(std::cout);
    CReceiveFramer framer(sink);
    if (options.text) {
        const ByteTextResult parsed = ReadByteText(input);
        if (!parsed.error.empty()) {
            std::cerr << "vantrolix-cli: " << parsed.error << '\n';
            return 1;
        }
        for (std::uint8_t b : parsed.bytes)
            framer.PutByte(b);
    } else {
        for (char c : input)
            framer.PutByte(static_cast<std::uint8_t>(c));
    }
    // The end of the capture closes a partial frame, as a failed read would on the line.
    framer.AbortFrame();
    return 0;
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
