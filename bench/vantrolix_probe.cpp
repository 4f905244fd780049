// The program as it starts for a user (the same steps as its main), ended at its first paint.
#include "first_paint_exit.h"

#include "app/command_line.h"
#include "app/vantrolix_app.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication qtApp(argc, argv);
    QApplication::setOrganizationName("Vantrolix");
    QApplication::setApplicationName("Vantrolix");
    FirstPaintExit exit;
    qtApp.installEventFilter(&exit);
    std::vector<std::string> args;
    for (const QString& arg : QApplication::arguments())
        args.push_back(arg.toStdString());
    const CommandLineParse parsed = ParseCommandLine(args);
    if (!parsed.run)
        return 2;
    CVantrolixApp app(parsed.options);
    return app.InitInstance();
}
