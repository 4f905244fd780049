#include "cli_commands.h"
#include "version/version.h"

#include <CLI/CLI.hpp>

#include <iostream>

int main(int argc, char** argv)
{
    CLI::App app{"Vantrolix console tool: encode, decode and describe RS-232 device packets; list the device catalogue;\n"
                 "simulate a device and monitor a port",
                 "vantrolix-cli"};
    app.set_version_flag("--version", [] { return VersionLine("vantrolix-cli"); });
    app.require_subcommand(1);
    CliResult result;
    AddEncodeCommand(app, result);
    AddDecodeCommand(app, result);
    AddCatalogueCommand(app, result);
    AddSimulateCommand(app, result);
    AddMonitorCommand(app, result);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion&) {
        std::cout << VersionLine("vantrolix-cli") << '\n' << std::flush;
        if (!std::cout) {
            std::cerr << "vantrolix-cli: cannot write the version to standard output\n";
            return 1;
        }
        return 0;
    } catch (const CLI::ParseError& e) {
        std::cerr << e.what() << "\n\n" << app.help() ;
        return 2;
    }
    return result.exitCode;
}
