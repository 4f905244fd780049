// The peers of the start-up benchmark: the least a Qt Widgets program does to show a window and,
// given the argument "text", the least it does to show a window with a line of text in it (the
// first text measured or drawn has Qt read the system's font configuration, which an empty
// window never does).
#include "first_paint_exit.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>

#include <cstring>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    FirstPaintExit exit;
    app.installEventFilter(&exit);
    QWidget window;
    if (argc > 1 && std::strcmp(argv[1], "text") == 0)
        (new QVBoxLayout(&window))->addWidget(new QLabel(QStringLiteral("Vantrolix")));
    window.resize(800, 600);
    window.show();
    return QApplication::exec();
}
