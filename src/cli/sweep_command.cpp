#include "cli_commands.h"
#include "console_output.h"
#include "test_output.h"

#include "catalogue/catalogue_lookup.h"
#include "catalogue/model_argument.h"
#include "script/conformance_sweep.h"
#include "script/device_session.h"
#include "script/script_runner.h"
#include "script/test_report.h"

#include <CLI/CLI.hpp>

#include <memory>
#include <optional>
#include <string>

namespace {

struct SweepOptions {
    std::string port;
    std::string model;
    std::string junit;
    std::string log;
    bool set = false;
};

int RunSweepCommand(const SweepOptions& options)
{
    std::optional<int> model;
    if (!options.model.empty()) {
        model = FindModelArgument(options.model);
        if (*model < 0) {
            PrintError(UnknownModelText(options.model));
            return 2;
        }
    }
    TestOutput output(options.junit, options.log, model ? "sweep " + std::string(ModelName(*model)) : "sweep");
    if (const int status = output.Prepare(options.port))
        return output.EndRecording(status);
    std::string error;
    if (!model && !(model = IdentifyModel(output.Session(), error)))
        return output.EndRecording(output.Abandon(error + "; name the model with --model"));
    RunSweep(output.Session(), *model, options.set, output.Report(), &output.Stop());
    return output.EndRecording(output.Finish());
}

} // namespace

void AddSweepCommand(CLI::App& app, CliResult& result)
{
    auto options = std::make_shared<SweepOptions>();
    CLI::App* cmd = app.add_subcommand(
        "sweep", "Query every variable the catalogue gives the device's model and check each answer");
    cmd->add_option("--port", options->port, "port name: COM1, ttyUSB0, or a path such as /dev/pts/3")->required();
    cmd->add_option("--model", options->model, "the device's model (otherwise asked of the device by its Device ID)");
    cmd->add_option("--junit", options->junit, "also write the results as JUnit XML to this file");
    cmd->add_option("--log", options->log,
                    "record the session (every packet sent and received) in this session file, or continue it");
    cmd->add_flag("--set", options->set,
                  "also set every variable with a value list to each of its values, then back to its value before: "
                  "this changes the device");
    cmd->footer("Prints one line per step and \"N passed, N failed\", then the variables that failed.\n"
                "Exit status: 0 all passed, 1 a variable failed or the port did not open, 2 a usage error.");
    cmd->callback([options, &result] { result.exitCode = RunSweepCommand(*options); });
}
