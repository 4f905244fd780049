// The receive path into the main window: the simulated device floods packets as fast as the
// pseudo-terminal takes them; rows per second that reach the log's grid, whether any was lost, and
// the longest time the UI thread could not run its own work (a 1 ms timer measures the gaps). With
// the session record on (the second argument), also the rows that reached the session file.

#include "app/port_setting.h"
#include "app/vantrolix_dlg.h"
#include "catalogue/model_argument.h"
#include "grid/grid_ctrl.h"
#include "log/session_reader.h"
#include "simulator/simulator_thread.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <fstream>

namespace {

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
        SimulatorOptions options;
        options.flood = flood;
        options.rdsInterval = std::chrono::hours(1);
        CSimulatorThread device(FindModelArgument("Elmora"), options);
        if (!device.Started()) {
            state.SkipWithError(device.Error().c_str());
            return;
        }
        QTemporaryDir settings;
        {
            QSettings config(settings.filePath("vantrolix.conf"), QSettings::IniFormat);
            config.setValue("Session/Record", record);
            config.setValue("Session/Folder", settings.filePath("sessions"));
        }
        CVantrolixDlg dlg(CPortSetting(settings.filePath("vantrolix.conf")), device.PortName());
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

BENCHMARK(BM_FloodIntoTheLog)
    ->ArgNames({"rows", "recording"})
    ->ArgsProduct({{20'000, 100'000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
