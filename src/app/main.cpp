#include "app/command_line.h"
#include "app/vantrolix_app.h"

#include <QApplication>

#include <cstdio>

namespace {

int PrintAndEnd(const CommandLineParse& parsed)
{
    std::FILE* out = parsed.exitCode == 0 ? stdout : stderr;
    if (std::fputs(parsed.message.c_str(), out) < 0 || std::fflush(out) != 0) {
        if (out == stdout)
            std::fputs("vantrolix: cannot write to standard output\n", stderr);
        return parsed.exitCode == 0 ? 1 : parsed.exitCode;
    }
    return parsed.exitCode;
}

} // namespace

int main(int argc, char* argv[])
{
    // --help and --version answer before Qt starts, so they work without a display (over ssh, in
    // a package build). Anything else may carry Qt's own arguments, which it takes first.
    const CommandLineParse early = ParseCommandLine(std::vector<std::string>(argv, argv + argc));
    if (!early.run && early.exitCode == 0)
        return PrintAndEnd(early);

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
