#include "cli_commands.h"
#include "console_output.h"
#include "test_output.h"

#include "script/device_session.h"
#include "script/script_file.h"
#include "script/script_parser.h"
#include "script/script_runner.h"

#include <CLI/CLI.hpp>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

struct RunOptions {
    std::vector<std::string> scripts;
    std::string port;
    std::string junit;
    std::string log;
};

// The script's text; nothing, having said why, when it cannot be read.
std::optional<std::string> ReadScript(const std::string& path, const std::atomic<bool>& stop)
{
    std::string error;
    auto text = ReadScriptFile(path, error, &stop);
    if (!text && !error.empty())
        PrintError(error);
    return text;
}

int RunScripts(const RunOptions& options)
{
    TestOutput output(options.junit, options.log, options.scripts.front());
    // Every script is read and checked before anything is sent.
    std::vector<Script> scripts;
    for (const std::string& path : options.scripts) {
        const auto text = ReadScript(path, output.Stop());
        if (!text)
            return output.Stop() ? 1 : 2;
        ParsedScript parsed = ParseScript(*text, path);
        if (parsed.error) {
            PrintError(parsed.error->Text());
            return 2;
        }
        scripts.push_back(std::move(parsed.script));
    }
    const auto ended = [&output](int status) { return output.EndRecording(status); };
    if (const int status = output.Prepare(options.port))
        return ended(status);
    CDeviceSession& session = output.Session();
    const ScriptsComposed composed = ComposeScripts(scripts, session);
    if (composed.outcome == ScriptsComposed::Outcome::NoModel)
        return ended(output.Abandon(composed.error));
    if (composed.outcome == ScriptsComposed::Outcome::ScriptError) {
        PrintError(composed.error);
        return ended(2);
    }

    CScriptRunner runner(session, output.Report());
    runner.SetStopFlag(&output.Stop());
    for (const Script& script : scripts)
        runner.Run(script);
    return ended(output.Finish());
}

} // namespace

void AddRunCommand(CLI::App& app, CliResult& result)
{
    auto options = std::make_shared<RunOptions>();
    CLI::App* cmd = app.add_subcommand("run", "Run test scripts on a device: send commands, expect its answers");
    cmd->add_option("SCRIPT", options->scripts, "script files, run in order")->required();
    cmd->add_option("--port", options->port, "port name: COM1, ttyUSB0, or a path such as /dev/pts/3")->required();
    cmd->add_option("--junit", options->junit, "also write the results as JUnit XML to this file");
    cmd->add_option("--log", options->log,
                    "record the session (every packet sent and received) in this session file, or continue it");
    cmd->footer("Prints one line per step (ok or FAIL, file:line, step, what arrived, time) and \"N passed, N failed\".\n"
                "Exit status: 0 all passed, 1 a step failed or the port did not open, 2 a usage or script error (nothing is sent then).");
    cmd->callback([options, &result] { result.exitCode = RunScripts(*options); });
}
