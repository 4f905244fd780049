#include "cli_commands.h"
#include "console_output.h"
#include "log/printable_text.h"

#include "catalogue/describer.h"

#include "protocol/command_packet.h"
#include "protocol/command_text_check.h"
#include "protocol/command_text_parser.h"

#include <CLI/CLI.hpp>

#include <memory>
#include <string>
#include <vector>

namespace {

std::string JoinWords(const std::vector<std::string>& words)
{
    std::string text;
    for (const std::string& word : words) {
        if (!text.empty())
            text += ' ';
        text += word;
    }
    return text;
}

} // namespace

void AddEncodeCommand(CLI::App& app, CliResult& result)
{
    auto words = std::make_shared<std::vector<std::string>>();
    CLI::App* cmd = app.add_subcommand(
        "encode", "Parse TEXT like the \"Command Data\" field and print the payload, its packet and its description");
    cmd->add_option("text", *words, "byte values in decimal or 0x hex, separated by spaces or commas "
                                    "(put -- first when the text begins with a minus sign)");
    cmd->callback([words, &result] {
        const std::string text = JoinWords(*words);
        CCommandPacket packet;
        packet.SetCommand(ParseCommandText(text));
        ConsoleOut& out = StandardOut();
        // The preview is printed whatever the text; a text that would not go out as written says so.
        out.Write("Command: " + FormatBytes(packet.GetCommand()) + '\n' + "Encoded: " + packet.GetEncodedText()
                  + '\n' + "Description: " + DeviceText(DescribeCommand(packet.GetCommand())) + '\n');
        result.exitCode = out.Finish();
        if (const auto problem = CheckCommandText(text)) {
            PrintError("not a command as written: " + problem->Text());
            result.exitCode = 1;
        }
    });
}
