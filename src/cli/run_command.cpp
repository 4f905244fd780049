#include "cli_commands.h"
#include "console_output.h"
#include "test_output.h"

#include "catalogue/model_argument.h"
#include "log/session_files.h"
#include "script/device_session.h"
#include "script/script_parser.h"
#include "script/script_runner.h"

#include <CLI/CLI.hpp>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <optional>
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

// The script's text; nothing, having said why, when it cannot be read. A named pipe waits for a
// writer as it opens; a stop request interrupts that wait.
std::optional<std::string> ReadScriptFile(const std::string& path, const std::atomic<bool>& stop)
{
    const auto failed = [&path](int error) {
        PrintError("cannot read " + path + ": " + ErrorText(error));
        return std::nullopt;
    };
    std::FILE* in = nullptr;
    while (!stop && !(in = std::fopen(path.c_str(), "rb")) && errno == EINTR) {
    }
    if (!in)
        return stop ? std::nullopt : failed(errno);
    std::string text(static_cast<std::size_t>(kLargestScript) + 1, '\0');
    std::size_t size = 0;
    while (size < text.size() && !stop) {
        errno = 0;
        const std::size_t n = std::fread(text.data() + size, 1, text.size() - size, in);
        size += n;
        if (n > 0)
            continue;
        if (std::ferror(in) && errno == EINTR) {
            std::clearerr(in);
            continue;
        }
        break;
    }
    const int error = std::ferror(in) ? errno : 0;
    std::fclose(in);
    if (stop)
        return std::nullopt;
    if (error != 0)
        return failed(error);
    if (size > static_cast<std::size_t>(kLargestScript)) {
        PrintError(path + " is larger than a script can be (16 MiB)");
        return std::nullopt;
    }
    text.resize(size);
    return text;
}

int RunScripts(const RunOptions& options)
{
    TestOutput output(options.junit, options.log, options.scripts.front());
    // Every script is read and checked before anything is sent.
    std::vector<Script> scripts;
    for (const std::string& path : options.scripts) {
        const auto text = ReadScriptFile(path, output.Stop());
        if (!text)
            return output.Stop() ? 1 : 2;
        ParsedScript parsed = ParseScript(*text, path);
        if (parsed.error) {
            PrintError(parsed.error->Text());
            return 2;
        }
        scripts.push_back(std::move(parsed.script));
    }
    auto session = std::make_unique<CDeviceSession>();
    const auto ended = [&](int status) {
        session.reset();
        return output.EndRecording(status);
    };
    if (const int status = output.Prepare(options.port, *session))
        return ended(status);
    std::string error;
    std::optional<int> deviceModel;
    for (Script& script : scripts) {
        int model = script.model ? FindModelArgument(*script.model) : -1;
        if (!script.model && NeedsModel(script)) {
            if (!deviceModel && !(deviceModel = IdentifyModel(*session, error)))
                return ended(output.Abandon(error + "; name the model with a model line in " + script.file));
            model = *deviceModel;
        }
        if (const auto composeError = ComposeScript(script, model)) {
            PrintError(composeError->Text());
            return ended(2);
        }
    }

    CScriptRunner runner(*session, output.Report());
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
