#include "cli_commands.h"

#include <CLI/CLI.hpp>

#include <iostream>

int main(int argc, char** argv)
{
    CLI::App app{"Vantrolix console tool: encode, decode and describe RS-232 device packets; list the device catalogue;\n"
                 "simulate a device and monitor a port",
                 "vantrolix-cli"};
    app.require_subcommand(1);
    CliResult result;
    AddEncodeCommand(app, result);
    AddDecodeCommand(app, result);
    AddCatalogueCommand(app, result);
    AddSimulateCommand(app, result);
    AddMonitorCommand(app, result);
    AddSessionCommand(app, result);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << e.what() << "\n\n" << app.help() ;
        return 2;
    }
    return result.exitCode;
}
