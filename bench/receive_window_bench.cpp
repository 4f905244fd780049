// The receive path into the main window: the simulated device floods packets as fast as the
// pseudo-terminal takes them; rows per second that reach the log's grid, whether any was lost, and
// the longest time the UI thread could not run its own work (a 1 ms timer measures the gaps). With
// the session record on (the second argument), also the rows that reached the session file.
// Beside it, the peer: a QPlainTextEdit window reading the same flood; processor time per row
// counts the whole process (device, receive thread, window) for both.
// Then a log of 1,000,000 rows: Select All and Copy chosen from the log's context menu, and the
// longest the UI thread stalled for each.

#include "app/port_setting.h"
#include "app/vantrolix_dlg.h"
#include "catalogue/model_argument.h"
#include "grid/grid_ctrl.h"
#include "log/session_reader.h"
#include "simulator/simulator_thread.h"

#include "protocol/byte_text.h"
#include "protocol/command_packet.h"

#include "stall_meter.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSocketNotifier>
#include <QTest>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <fstream>
#include <functional>
#include <memory>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Processor time of the whole process: the simulated device and the receive thread included, as
// they are for the peer.
double ProcessCpuSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Runs the event loop until done() answers true (asked every 5 ms) or the time is up; the loop
// sleeps between events, so processor time counts only the work.
void RunUntil(const std::function<bool()>& done, int timeoutMs)
{
    QEventLoop loop;
    QTimer check;
    check.setInterval(5);
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    check.start();
    loop.exec();
}

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
            // Room for the whole flood, so that every row it sent can be counted in the log.
            config.setValue("Log/Scrollback", static_cast<qulonglong>(std::max<std::size_t>(1'000'000, flood + 1000)));
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

// What the flood benchmarks report: the last run's rates, the worst stall, the rows lost in all.
struct FloodFigures {
    double rowsPerSecond = 0;
    double cpuPerRow = 0;
    qint64 longestStall = 0;
    int lost = 0;

    void Report(benchmark::State& state) const
    {
        state.counters["rows_per_s"] = rowsPerSecond;
        state.counters["cpu_us_per_row"] = cpuPerRow;
        state.counters["longest_stall_ms"] = static_cast<double>(longestStall);
        state.counters["lost"] = lost;
    }
};

void BM_FloodIntoTheLog(benchmark::State& state)
{
    const auto flood = static_cast<std::size_t>(state.range(0));
    const bool record = state.range(1) != 0;
    FloodFigures figures;
    int lostOnDisk = 0;
    for (auto _ : state) {
        const double cpuBefore = ProcessCpuSeconds();
        WindowOnDevice window(flood, record);
        if (!window.dlg) {
            state.SkipWithError(window.device.Error().c_str());
            return;
        }
        CSimulatorThread& device = window.device;
        CVantrolixDlg& dlg = *window.dlg;
        CGridCtrl& grid = *dlg.Grid();
        const int expected = static_cast<int>(flood) + 1; // the answer to the start-up query first

        StallMeter stall;
        QElapsedTimer clock;
        clock.start();
        dlg.show();
        stall.Start();
        // The flood ends when the device has sent everything and the log holds it all.
        RunUntil([&] { return device.Runner().FloodSent() == flood && grid.GetRowCount() - 1 >= expected; }, 120'000);
        const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        stall.Stop();
        dlg.ProcessReceivedRows();
        figures.cpuPerRow = (ProcessCpuSeconds() - cpuBefore) / static_cast<double>(expected) * 1e6;
        const int valid = ValidRows(grid);
        state.SetIterationTime(seconds);
        figures.rowsPerSecond = valid / seconds;
        figures.longestStall = std::max(figures.longestStall, stall.LongestMs());
        figures.lost += expected - valid;
        const std::string session = dlg.SessionFile();
        dlg.reject(); // closes the session file
        if (record)
            lostOnDisk += expected - ValidRecordedRows(session);
    }
    figures.Report(state);
    if (record)
        state.counters["lost_on_disk"] = lostOnDisk;
}

// The peer: a QPlainTextEdit window reading the same flood from the same simulated device on a
// pseudo-terminal, as a serial terminal would show it: one line per packet, its bytes as text,
// nothing decoded. It asks for the Device ID as the main window does, which starts the flood.
void BM_PeerPlainTextFlood(benchmark::State& state)
{
    const auto flood = static_cast<std::size_t>(state.range(0));
    FloodFigures figures;
    for (auto _ : state) {
        const double cpuBefore = ProcessCpuSeconds();
        CSimulatorThread device(FindModelArgument("Elmora"), FloodOf(flood));
        const int fd = device.Started() ? open(device.PortName().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC) : -1;
        if (fd < 0) {
            state.SkipWithError("no simulated device");
            return;
        }
        termios line {};
        tcgetattr(fd, &line);
        cfmakeraw(&line);
        tcsetattr(fd, TCSANOW, &line);

        QPlainTextEdit view;
        view.setReadOnly(true);
        view.resize(900, 420);
        QSocketNotifier readable(fd, QSocketNotifier::Read);
        std::vector<std::uint8_t> packet;
        bool checksumNext = false;
        bool escaped = false;
        int rows = 0;
        // Everything a read brings is appended at once, as a terminal does.
        QObject::connect(&readable, &QSocketNotifier::activated, [&] {
            std::uint8_t block[4096];
            std::string lines;
            for (ssize_t n; (n = read(fd, block, sizeof block)) > 0;) {
                for (ssize_t i = 0; i < n; ++i) {
                    const std::uint8_t b = block[i];
                    packet.push_back(b);
                    // A packet ends with the (possibly escaped) checksum after its end byte.
                    if (checksumNext && !(b == 0x5E && !escaped)) {
                        if (!lines.empty())
                            lines += '\n';
                        AppendBytesText(lines, packet);
                        ++rows;
                        packet.clear();
                        checksumNext = escaped = false;
                    } else if (checksumNext) {
                        escaped = true;
                    } else if (b == 0x02) {
                        checksumNext = true;
                    }
                }
            }
            if (!lines.empty())
                view.appendPlainText(QString::fromLatin1(lines));
        });

        StallMeter stall;
        QElapsedTimer clock;
        clock.start();
        view.show();
        stall.Start();
        CCommandPacket query;
        query.SetCommand(CountedBytes{20, 20});
        const auto bytes = query.GetEncoded().Bytes();
        if (write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            state.SkipWithError("could not ask the device");
        const int expected = static_cast<int>(flood) + 1;
        RunUntil([&] { return device.Runner().FloodSent() == flood && rows >= expected; }, 120'000);
        const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        stall.Stop();
        figures.cpuPerRow = (ProcessCpuSeconds() - cpuBefore) / static_cast<double>(expected) * 1e6;
        state.SetIterationTime(seconds);
        figures.rowsPerSecond = rows / seconds;
        figures.longestStall = std::max(figures.longestStall, stall.LongestMs());
        figures.lost += expected - rows;
        readable.setEnabled(false);
        close(fd);
    }
    figures.Report(state);
}

// Right-clicks the cell and chooses the entry from the menu that opens; answers the longest the
// UI thread stalled from the click until the window has repainted.
qint64 ChooseFromContextMenu(CGridCtrl& grid, QPoint at, const QString& entry)
{
    StallMeter stall;
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
                stall.Start();
                menu->setActiveAction(action);
                QTest::keyClick(menu, Qt::Key_Return);
                return;
            }
        }
    });
    stall.Start();
    chooser.start();
    QTest::mouseClick(grid.viewport(), Qt::RightButton, Qt::NoModifier, at);
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 200)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    stall.Stop();
    return stall.LongestMs();
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
    ->Args({1'000'000, 0})
    ->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

BENCHMARK(BM_PeerPlainTextFlood)
    ->ArgNames({"rows"})
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

} // namespace
