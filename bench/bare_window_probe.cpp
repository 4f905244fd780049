// The peer of the start-up benchmark: the least a Qt Widgets program does to show a window.
#include "first_paint_exit.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    FirstPaintExit exit;
    app.installEventFilter(&exit);
    QWidget window;
    window.resize(800, 600);
    window.show();
    return QApplication::exec();
}
