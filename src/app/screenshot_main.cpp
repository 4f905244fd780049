// Renders the main window (a filled log, filtered, with the details pane) and the Build Command
// window beside it to a PNG, on a simulated device, so the picture in the README can be made
// again at any time.
#include "app/details_pane.h"
#include "app/find_bar.h"
#include "app/port_setting.h"
#include "app/vantrolix_dlg.h"
#include "builder/build_command_dlg.h"
#include "catalogue/model_argument.h"
#include "platform/resource_loader.h"
#include "simulator/simulator_thread.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

void Wait(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

void Send(CVantrolixDlg& dlg, const char* command)
{
    qobject_cast<QLineEdit*>(dlg.Control(1017))->setText(command);
    dlg.Transmit();
    Wait(150);
}

void Pick(CBuildCommandDlg& builder, int listId, const QString& entry)
{
    auto* list = qobject_cast<QListWidget*>(builder.Control(listId));
    const QList<QListWidgetItem*> found = list->findItems(entry, Qt::MatchExactly);
    if (!found.isEmpty())
        list->setCurrentItem(found.front());
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: vantrolix-screenshot FILE.png\n");
        return 2;
    }
    QApplication::setWindowIcon(LoadResourceIcon(IDR_MAINFRAME));
    QTemporaryDir settings;
    SimulatorOptions options;
    options.rdsInterval = std::chrono::milliseconds(250);
    CSimulatorThread device(FindModelArgument("Arvane"), options);
    if (!device.Started()) {
        std::fprintf(stderr, "vantrolix-screenshot: %s\n", device.Error().c_str());
        return 1;
    }

    CVantrolixDlg dlg(CPortSetting(settings.filePath("vantrolix.conf")), device.PortName());
    dlg.show();
    // Room for the log beside the find bar and the details pane.
    dlg.resize(std::max(dlg.width(), 1100), std::max(dlg.height(), 860));
    Wait(300);
    for (const char* command : {"20 21", "20 22", "21 22 7", "20 43", "20 45", "20 47", "23", "25 3"})
        Send(dlg, command);
    Wait(1200);

    // Only the tuner's rows, and the details of the last one.
    dlg.FindActions()[3]->trigger();
    dlg.FindBar()->FilterField()->setText("Tuner");
    dlg.FindBar()->ApplyFilter();
    dlg.FindBar()->FindField()->setText("Tuner Band");
    dlg.FindActions()[1]->trigger();
    dlg.DetailsActions()[0]->trigger();
    Wait(300);

    qobject_cast<QPushButton*>(dlg.Control(1004))->click();
    Wait(300);
    CBuildCommandDlg& builder = *dlg.Builder();
    Pick(builder, 1024, "21 - Set");
    Pick(builder, 1025, "43 - Tuner Band");
    Pick(builder, 1026, "1 - FM");
    Wait(200);

    const QPixmap main = dlg.grab();
    const QPixmap side = builder.grab();
    const int gap = 16;
    QImage canvas(main.width() + gap + side.width() + 2 * gap, std::max(main.height(), side.height()) + 2 * gap,
                  QImage::Format_RGB32);
    canvas.fill(QColor(0x80, 0x80, 0x80));
    QPainter painter(&canvas);
    painter.drawPixmap(gap, gap, main);
    painter.drawPixmap(2 * gap + main.width(), gap, side);
    painter.end();
    // A few hundred colours at most: a palette keeps the file small.
    const QImage indexed = canvas.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
    if (!indexed.save(QString::fromLocal8Bit(argv[1]), "PNG", 0)) {
        std::fprintf(stderr, "vantrolix-screenshot: cannot write %s\n", argv[1]);
        return 1;
    }
    dlg.reject();
    return 0;
}
