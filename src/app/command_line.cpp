#include "app/command_line.h"

#include "catalogue/model_argument.h"
#include "version/version.h"

#include <CLI/CLI.hpp>

CommandLineParse ParseCommandLine(const std::vector<std::string>& args)
{
    CLI::App app{"Sends commands to RS-232 controlled audio/video devices and logs their answers.",
                 "vantrolix"};
    std::string port;
    std::vector<std::string> model;
    app.set_version_flag("--version", [] { return VersionLine("vantrolix"); });
    CLI::Option* portOption = app.add_option("--port", port, "Use this serial port for this run (not stored)");
    CLI::Option* simulateOption =
        app.add_option("--simulate", model,
                       std::string("Start a simulated device on a pseudo-terminal and use it (model: ") +
                           kDefaultSimulatedModel + ")")
            ->type_name("[MODEL]")
            ->expected(0, 1)
            ->excludes(portOption);

    CommandLineParse result;
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    if (!reversed.empty())
        reversed.pop_back();
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        result.message = app.help();
        return result;
    } catch (const CLI::CallForVersion&) {
        result.message = VersionLine("vantrolix") + "\n";
        return result;
    } catch (const CLI::ParseError& e) {
        result.exitCode = 2;
        result.message = std::string(e.what()) + "\n" + app.help();
        return result;
    }
    if (portOption->count() > 0) {
        if (port.empty()) {
            result.exitCode = 2;
            result.message = "--port needs a port name\n" + app.help();
            return result;
        }
        result.options.port = port;
    }
    if (simulateOption->count() > 0) {
        const std::string name =
            model.empty() || model.front().empty() ? std::string(kDefaultSimulatedModel) : model.front();
        if (FindModelArgument(name) < 0) {
            result.exitCode = 2;
            result.message = "--simulate: " + UnknownModelText(name) + "\n" + app.help();
            return result;
        }
        result.options.simulateModel = name;
    }
    result.run = true;
    return result;
}
