// The receive path into the main window: the simulated device floods packets as fast as the
// pseudo-terminal takes them; rows per second that reach the log's grid, whether any was lost, and
// the longest time the UI thread could not run its own work (a 1 ms timer measures the gaps). With
// the session record on (the second argument), also the rows that reached the session file.
// Then a log of 1,000,000 rows: Select All and Copy chosen from the log's context menu, and the
// longest the UI thread stalled for each.

#include "app/port_setting.h"
#include "app/vantrolix_dlg.h"
#include "catalogue/model_argument.h"
#include "grid/grid_ctrl.h"
#include "log/session_reader.h"
#include "simulator/simulator_thread.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QTest>
#include <QElapsedTimer>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <fstream>
#include <memory>

namespace {

SimulatorOptions FloodOf(std::size_t flood)
{
    SimulatorOptions options;
    options.flood = flood;
    options.rdsInterval = std::chrono::hours(1);
    return options;
}

// The main window on a simulated device that floods it with the given number of packets, its
// session recorded or not (into the temporary folder); no window when the device could not start.
struct WindowOnDevice {
    CSimulatorThread device;
    QTemporaryDir settings;
    std::unique_ptr<CVantrolixDlg> dlg;

    WindowOnDevice(std::size_t flood, bool record) : device(FindModelArgument("Elmora"), FloodOf(flood))
    {
        const QString file = settings.filePath("vantrolix.conf");
        {
            QSettings config(file, QSettings::IniFormat);
            config.setValue("Session/Record", record);
            config.setValue("Session/Folder", settings.filePath("sessions"));
        }
        if (device.Started())
            dlg = std::make_unique<CVantrolixDlg>(CPortSetting(file), device.PortName());
    }
};

// Rows holding a valid packet (the flood and the Device ID answer).
int ValidRows(CGridCtrl& grid)
{
    int valid = 0;
    for (int row = 1; row < grid.GetRowCount(); ++row) {
        const std::string data = grid.GetItemText(row, 2);
        valid += !data.empty() && data != "Checksum Error!" && data != "Invalid Packet!";
    }
    return valid;
}

// Received rows in a session file that hold a valid packet.
int ValidRecordedRows(const std::string& path)
{
    int valid = 0;
    std::ifstream in(path, std::ios::binary);
    ReadSession(in, {[&](SessionRow&& row) {
                         valid += row.direction == RowDirection::Received && row.data != "Checksum Error!"
                             && row.data != "Invalid Packet!";
                     },
                     [](SessionProblem&&) {}});
    return valid;
}

void BM_FloodIntoTheLog(benchmark::State& state)
{
    const auto flood = static_cast<std::size_t>(state.range(0));
    const bool record = state.range(1) != 0;
    double rowsPerSecond = 0;
    qint64 longestStall = 0;
    int lost = 0;
    int lostOnDisk = 0;
    for (auto _ : state) {
        WindowOnDevice window(flood, record);
        if (!window.dlg) {
            state.SkipWithError(window.device.Error().c_str());
            return;
        }
        CSimulatorThread& device = window.device;
        CVantrolixDlg& dlg = *window.dlg;
        CGridCtrl& grid = *dlg.Grid();
        const int expected = static_cast<int>(flood) + 1; // the answer to the start-up query first

        QElapsedTimer sinceTick;
        qint64 stall = 0;
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        tick.setInterval(1);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            stall = std::max(stall, sinceTick.restart());
        });

        QElapsedTimer clock;
        clock.start();
        dlg.show();
        sinceTick.start();
        tick.start();
        // The flood ends when the device has sent everything and the log holds it all.
        while (clock.elapsed() < 120'000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            if (device.Runner().FloodSent() == flood && grid.GetRowCount() - 1 >= expected)
                break;
        }
        const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        tick.stop();
        dlg.ProcessReceivedRows();
        const int valid = ValidRows(grid);
        state.SetIterationTime(seconds);
        rowsPerSecond = valid / seconds;
        longestStall = std::max(longestStall, stall);
        lost += expected - valid;
        const std::string session = dlg.SessionFile();
        dlg.reject(); // closes the session file
        if (record)
            lostOnDisk += expected - ValidRecordedRows(session);
    }
    state.counters["rows_per_s"] = rowsPerSecond;
    state.counters["longest_stall_ms"] = static_cast<double>(longestStall);
    state.counters["lost"] = lost;
    if (record)
        state.counters["lost_on_disk"] = lostOnDisk;
}

// Right-clicks the cell and chooses the entry from the menu that opens; answers the longest the
// UI thread stalled from the click until the window has repainted.
qint64 ChooseFromContextMenu(CGridCtrl& grid, QPoint at, const QString& entry)
{
    QElapsedTimer sinceTick;
    qint64 stall = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] { stall = std::max(stall, sinceTick.restart()); });
    QTimer chooser;
    chooser.setInterval(5);
    QObject::connect(&chooser, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr)
            return;
        for (QAction* action : menu->actions()) {
            if (action->text() == entry) {
                chooser.stop();
                // The stall is measured from the choice on: the menu's own opening is not the grid's.
                sinceTick.restart();
                stall = 0;
                menu->setActiveAction(action);
                QTest::keyClick(menu, Qt::Key_Return);
                return;
            }
        }
    });
    sinceTick.start();
    tick.start();
    chooser.start();
    QTest::mouseClick(grid.viewport(), Qt::RightButton, Qt::NoModifier, at);
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 200)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    tick.stop();
    return stall;
}

void BM_SelectAllAndCopyAtAMillionRows(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    qint64 selectStall = 0;
    qint64 copyStall = 0;
    std::size_t copied = 0;
    for (auto _ : state) {
        WindowOnDevice window(0, false);
        if (!window.dlg) {
            state.SkipWithError(window.device.Error().c_str());
            return;
        }
        CVantrolixDlg& dlg = *window.dlg;
        CGridCtrl& grid = *dlg.Grid();
        dlg.show();
        QCoreApplication::processEvents();
        // Rows as the log adds them, in batches, texts of a logged packet's length.
        const int first = grid.GetRowCount();
        grid.SetRowCount(first + rows);
        for (int r = first; r < first + rows; ++r) {
            grid.SetItemText(r, 0, "12:34:56");
            grid.SetItemText(r, 1, "1, 2, 48, 49, 50, 51, 52, 53, 54, 2, 213");
            grid.SetItemText(r, 2, "48, 49, 50, 51, 52, 53, " + std::to_string(r));
            grid.SetItemText(r, 3, "Value: Master Volume = -35.5 dB");
        }
        grid.AutoSizeColumns(0);
        QCoreApplication::processEvents();
        CRect cell;
        grid.GetCellRect(grid.GetTopLeftScrolledCell().row, 1, &cell);
        const QPoint at((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
        selectStall = ChooseFromContextMenu(grid, at, "Select All");
        copyStall = ChooseFromContextMenu(grid, at, "Copy");
        copied = static_cast<std::size_t>(QGuiApplication::clipboard()->text().size());
        if (grid.GetSelectedCellRange().maxRow != grid.GetRowCount() - 1)
            state.SkipWithError("Select All did not select the log");
        dlg.reject();
    }
    state.counters["select_all_stall_ms"] = static_cast<double>(selectStall);
    state.counters["copy_stall_ms"] = static_cast<double>(copyStall);
    state.counters["copied_chars"] = static_cast<double>(copied);
}

BENCHMARK(BM_SelectAllAndCopyAtAMillionRows)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK(BM_FloodIntoTheLog)
    ->ArgNames({"rows", "recording"})
    ->ArgsProduct({{20'000, 100'000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

} // namespace
