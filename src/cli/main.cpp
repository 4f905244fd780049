#include "cli_commands.h"
#include "console_output.h"
#include "console_platform.h"
#include "version/version.h"

#include <CLI/CLI.hpp>

#include <string>

namespace {

std::string CommandList(CLI::App& app)
{
    std::string list;
    for (const CLI::App* cmd : app.get_subcommands([](CLI::App*) { return true; }))
        list += (list.empty() ? "" : ", ") + cmd->get_name();
    return list;
}

bool IsCommand(CLI::App& app, const std::string& name)
{
    for (const CLI::App* cmd : app.get_subcommands([](CLI::App*) { return true; }))
        if (cmd->get_name() == name)
            return true;
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    PrepareStandardStreams();

    CLI::App app{"Vantrolix console tool: encode, decode and describe RS-232 device packets; list the device catalogue;\n"
#if VANTROLIX_SIMULATOR
                 "simulate a device, monitor a port, and run test scripts and conformance sweeps on a device",
#else
                 "monitor a port, and run test scripts and conformance sweeps on a device",
#endif
                 "vantrolix-cli"};
    app.set_version_flag("--version", [] { return VersionLine("vantrolix-cli"); });
    app.require_subcommand(1);
    CliResult result;
    AddEncodeCommand(app, result);
    AddDecodeCommand(app, result);
    AddCatalogueCommand(app, result);
#if VANTROLIX_SIMULATOR
    AddSimulateCommand(app, result);
#endif
    AddMonitorCommand(app, result);
    AddSessionCommand(app, result);
    AddRunCommand(app, result);
    AddSweepCommand(app, result);
    AddSnoopCommand(app, result);

    const std::string hint = "run \"vantrolix-cli --help\" for the commands and their options";
    if (argc < 2) {
        PrintError("a command is needed: " + CommandList(app) + "; " + hint);
        return 2;
    }
    const std::string first = argv[1];
    if (!first.starts_with('-') && !IsCommand(app, first)) {
        PrintError("unknown command \"" + first + "\"; the commands are: " + CommandList(app));
        return 2;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion&) {
        StandardOut().Write(VersionLine("vantrolix-cli") + "\n");
        return StandardOut().Finish();
    } catch (const CLI::ParseError& e) {
        PrintError(e.what());
        PrintError(hint);
        return 2;
    }
    return result.exitCode;
}
