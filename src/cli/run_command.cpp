#include "cli_commands.h"
#include "console_output.h"
#include "test_output.h"

#include "catalogue/model_argument.h"
#include "log/session_writer.h"
#include "script/device_session.h"
#include "script/script_parser.h"
#include "script/script_runner.h"

#include <CLI/CLI.hpp>

#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A script is a page of text; anything far larger is the wrong file.
constexpr std::streamsize kLargestScript = 16 * 1024 * 1024;

struct RunOptions {
    std::vector<std::string> scripts;
    std::string port;
    std::string junit;
    std::string log;
};

std::optional<std::string> ReadScriptFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        PrintError("cannot read " + path);
        return std::nullopt;
    }
    std::string text(static_cast<std::size_t>(kLargestScript) + 1, '\0');
    in.read(text.data(), kLargestScript + 1);
    if (in.bad()) {
        PrintError("cannot read " + path);
        return std::nullopt;
    }
    if (in.gcount() > kLargestScript) {
        PrintError(path + " is larger than a script can be (16 MiB)");
        return std::nullopt;
    }
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

int RunScripts(const RunOptions& options)
{
    // Every script is read and checked before anything is sent.
    std::vector<Script> scripts;
    for (const std::string& path : options.scripts) {
        const auto text = ReadScriptFile(path);
        if (!text)
            return 2;
        ParsedScript parsed = ParseScript(*text, path);
        if (parsed.error) {
            PrintError(parsed.error->Text());
            return 2;
        }
        scripts.push_back(std::move(parsed.script));
    }
    SessionWriter recorder;
    auto session = std::make_unique<CDeviceSession>();
    if (const int status = TestOutput::Prepare(options.junit, options.log, options.port, recorder, *session))
        return status;
    std::string error;
    std::optional<int> deviceModel;
    for (Script& script : scripts) {
        int model = script.model ? FindModelArgument(*script.model) : -1;
        if (!script.model && NeedsModel(script)) {
            if (!deviceModel && !(deviceModel = IdentifyModel(*session, error))) {
                PrintError(error);
                return 1;
            }
            model = *deviceModel;
        }
        if (const auto composeError = ComposeScript(script, model)) {
            PrintError(composeError->Text());
            return 2;
        }
    }

    CTestReport report(TestOutput::Printer());
    CScriptRunner runner(*session, report);
    runner.SetStopFlag(&TestOutput::CatchStop());
    for (const Script& script : scripts)
        runner.Run(script);
    const int status = TestOutput::Finish(report, options.junit);
    session.reset();
    return TestOutput::EndRecording(recorder, status);
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
