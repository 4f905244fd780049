#include "app/command_line.h"

#include "app/simulated_port.h"
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
    std::string openFile;
    CLI::Option* openOption =
        app.add_option("--open", openFile, "Show a saved session in the log, read-only; no port is opened")
            ->type_name("FILE")
            ->excludes(portOption)
            ->excludes(simulateOption);

    std::string runScript;
    CLI::Option* runOption =
        app.add_option("--run-script", runScript, "Run this test script (.vxs) on the port as soon as it is open")
            ->type_name("FILE")
            ->excludes(openOption);
    bool exitWhenDone = false;
    app.add_flag("--exit-when-done", exitWhenDone, "With --run-script: end when the script ends, with its status "
                                     "(0 passed, 1 failed or the port did not open, 2 script error)")
        ->needs(runOption);

    std::string watchController;
    std::string watchDevice;
    CLI::Option* controllerOption =
        app.add_option("--watch-controller", watchController,
                       "Watch the line between a room controller, heard on this port, and its device (this run only)")
            ->type_name("PORT")
            ->excludes(portOption)
            ->excludes(simulateOption)
            ->excludes(openOption)
            ->excludes(runOption);
    CLI::Option* deviceOption =
        app.add_option("--watch-device", watchDevice, "With --watch-controller: the port that hears the device")
            ->type_name("PORT")
            ->needs(controllerOption);
    controllerOption->needs(deviceOption);
    bool passThrough = false;
    app.add_flag("--pass-through", passThrough,
                 "With --watch-controller: the tool sits in the line and passes every byte on (otherwise both "
                 "ports only listen)")
        ->needs(controllerOption);

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
    const auto refuse = [&](const std::string& why) {
        result.exitCode = 2;
        result.message = why + "\n" + app.help();
        return result;
    };
    if (portOption->count() > 0) {
        if (port.empty())
            return refuse("--port needs a port name");
        result.options.port = port;
    }
    if (simulateOption->count() > 0) {
        if (const std::string why = SimulationUnavailable(); !why.empty())
            return refuse(why);
        const std::string name =
            model.empty() || model.front().empty() ? std::string(kDefaultSimulatedModel) : model.front();
        if (FindModelArgument(name) < 0)
            return refuse("--simulate: " + UnknownModelText(name));
        result.options.simulateModel = name;
    }
    if (openOption->count() > 0) {
        if (openFile.empty())
            return refuse("--open needs a file name");
        result.options.openFile = openFile;
    }
    if (runOption->count() > 0) {
        if (runScript.empty())
            return refuse("--run-script needs a script file");
        result.options.runScript = runScript;
        result.options.exitWhenDone = exitWhenDone;
    }
    if (controllerOption->count() > 0) {
        if (watchController.empty() || watchDevice.empty())
            return refuse("--watch-controller and --watch-device need a port name each");
        if (watchController == watchDevice)
            return refuse("the controller and the device need a port each: " + watchController + " is named for both");
        result.options.watchController = watchController;
        result.options.watchDevice = watchDevice;
        result.options.passThrough = passThrough;
    }
    result.run = true;
    return result;
}
