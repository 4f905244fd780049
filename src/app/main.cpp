#include "app/command_line.h"
#include "app/early_output.h"
#include "app/qt_platform_choice.h"
#include "app/vantrolix_app.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {

int PrintAndEnd(const CommandLineParse& parsed)
{
    ConnectEarlyOutput();
    std::FILE* out = parsed.exitCode == 0 ? stdout : stderr;
    if (std::fputs(parsed.message.c_str(), out) < 0 || std::fflush(out) != 0) {
        if (out == stdout)
            std::fputs("vantrolix: cannot write to standard output\n", stderr);
        return parsed.exitCode == 0 ? 1 : parsed.exitCode;
    }
    return parsed.exitCode;
}

// Qt's own arguments are single-dash words (-platform, -style, -reverse); ours are not.
bool MayHoldQtArguments(const std::vector<std::string>& args)
{
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i].size() > 1 && args[i][0] == '-' && args[i][1] != '-' && args[i] != "-h")
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    // --help, --version and bad arguments are answered before Qt starts, so they work without a
    // display (over ssh, in a package build). Arguments that may be Qt's own go to Qt first.
    const std::vector<std::string> rawArgs(argv, argv + argc);
    const CommandLineParse early = ParseCommandLine(rawArgs);
    if (!early.run && (early.exitCode == 0 || !MayHoldQtArguments(rawArgs)))
        return PrintAndEnd(early);

    if (const auto platform = ChosenQtPlatform(RunningUnderWine(), std::getenv("QT_QPA_PLATFORM"), rawArgs))
        qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(*platform));
    QApplication qtApp(argc, argv);
    QApplication::setOrganizationName("Vantrolix");
    QApplication::setApplicationName("Vantrolix");

    std::vector<std::string> args;
    for (const QString& arg : QApplication::arguments())
        args.push_back(arg.toStdString());
    const CommandLineParse parsed = ParseCommandLine(args);
    if (!parsed.run)
        return PrintAndEnd(parsed);
    CVantrolixApp app(parsed.options);
    return app.InitInstance();
}
