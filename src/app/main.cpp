#include "app/command_line.h"
#include "app/vantrolix_app.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    // Qt takes its own arguments (-platform, -style, ...) first; ours are what is left.
    QApplication qtApp(argc, argv);
    QApplication::setOrganizationName("Vantrolix");
    QApplication::setApplicationName("Vantrolix");

    std::vector<std::string> args;
    for (const QString& arg : QApplication::arguments())
        args.push_back(arg.toStdString());
    const CommandLineParse parsed = ParseCommandLine(args);
    if (!parsed.run) {
        std::fputs(parsed.message.c_str(), parsed.exitCode == 0 ? stdout : stderr);
        return parsed.exitCode;
    }
    CVantrolixApp app(parsed.options);
    return app.InitInstance();
}
