#include "cli_commands.h"
#include "console_output.h"
#include "number_option.h"
#include "stop_flag.h"

#include "catalogue/catalogue_lookup.h"
#include "catalogue/catalogue_tables.h"
#include "catalogue/variable_argument.h"
#include "catalogue/model_argument.h"
#include "log/printable_text.h"
#include "simulator/pseudo_terminal.h"
#include "simulator/simulated_device.h"
#include "simulator/simulator_runner.h"

#include <CLI/CLI.hpp>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace {

// More than a line at any speed delivers in a day; the bound keeps a typo from flooding forever.
constexpr NumberRange kFloodRange{0, 1e9, true};

struct SimulateOptions {
    std::string model = "Arvane";
    std::string link;
    bool noise = false;
    bool badChecksum = false;
    std::size_t flood = 0;
    std::vector<std::string> misbehave;
};

// Reads "VARIABLE=wrong|silent|bad-checksum" entries against the model; false, having said why,
// on the first that names no variable of the model or no known fault.
bool ReadMisbehaviour(const std::vector<std::string>& entries, int model, MisbehaviourMap& faults)
{
    for (const std::string& entry : entries) {
        const std::size_t equals = entry.rfind('=');
        const auto how = equals == std::string::npos ? std::nullopt : ParseMisbehaviour(entry.substr(equals + 1));
        if (!how) {
            PrintError("--misbehave " + entry + ": write VARIABLE=wrong, VARIABLE=silent or VARIABLE=bad-checksum");
            return false;
        }
        const VariableArgument variable = FindVariableArgument(entry.substr(0, equals), model);
        if (!variable.error.empty()) {
            PrintError("--misbehave: " + variable.error);
            return false;
        }
        faults[static_cast<std::uint8_t>(g_VariableTable[variable.row].id)] = *how;
    }
    return true;
}

int RunSimulate(const SimulateOptions& options)
{
    const int model = FindModelArgument(options.model);
    if (model < 0) {
        PrintError(UnknownModelText(options.model));
        return 2;
    }
    SimulatorOptions lineOptions;
    if (!ReadMisbehaviour(options.misbehave, model, lineOptions.misbehave))
        return 2;
    // Ctrl+C, kill, and a closed terminal all end the run the same way: the link goes with it.
    const std::atomic<bool>& stop = CatchStopRequests();
    CPseudoTerminal line;
    std::string error;
    if (!line.Create(error) || (!options.link.empty() && !line.Link(options.link, error))) {
        PrintError(error);
        return 1;
    }

    ConsoleOut& out = StandardOut();
    out.Write(std::string("Simulated device: ") + ModelName(model) + "\nPort: "
              + PrintableText(options.link.empty() ? line.SlavePath() : options.link)
              + "\nAnswering until interrupted (Ctrl+C).\n");
    // Nobody can use a device whose port name did not reach them.
    if (!out.Flush())
        return out.Finish();

    CSimulatedDevice device(model);
    lineOptions.noise = options.noise;
    lineOptions.badChecksum = options.badChecksum;
    lineOptions.flood = options.flood;
    CSimulatorRunner runner(line, device, lineOptions);
    runner.Run(stop);
    out.Write("Stopped. Commands received: " + std::to_string(device.CommandsReceived())
              + ", packets sent: " + std::to_string(runner.PacketsSent()) + ".\n");
    return out.Finish();
}

} // namespace

void AddSimulateCommand(CLI::App& app, CliResult& result)
{
    auto options = std::make_shared<SimulateOptions>();
    CLI::App* cmd = app.add_subcommand(
        "simulate", "Run a device of the catalogue behind a pseudo-terminal and print the port name to use");
    cmd->add_option("--model", options->model, "model name as the device reports it (default Arvane)");
    cmd->add_option("--link", options->link,
                    "also make this path a link to the port, for a fixed port name (a path that exists is refused)");
    cmd->add_flag("--noise", options->noise, "put a few random bytes between packets now and then");
    cmd->add_flag("--bad-checksum", options->badChecksum, "send every packet with a wrong checksum");
    AddNumberOption(*cmd, "--flood", options->flood, kFloodRange,
                    "after the first command, send N packets as fast as the line takes them");
    cmd->add_option("--misbehave", options->misbehave,
                    "VARIABLE=wrong|silent|bad-checksum: get one variable (name or number) wrong: answer an unreadable "
                    "value, no answer, or a wrong checksum (repeatable)");
    cmd->callback([options, &result] { result.exitCode = RunSimulate(*options); });
}
