// A saved session opened read-only (--open): how soon the window is up, how long the whole file
// takes to reach the log, the longest the UI thread could not run its own work meanwhile (a 1 ms
// timer measures the gaps), and the memory the loaded log holds. The file's rows are those of a
// device that answers queries and sends radio text, as a long recording holds them.

#include "app/port_setting.h"
#include "app/vantrolix_dlg.h"
#include "log/session_format.h"
#include "stall_meter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>

#include <unistd.h>

namespace {

// Resident memory of this process, in bytes.
double ResidentBytes()
{
    long pages = 0;
    long resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE));
}

std::string WriteSession(const QTemporaryDir& folder, int rows)
{
    const std::string path = folder.filePath("long.tsv").toStdString();
    std::ofstream out(path, std::ios::binary);
    out << kSessionTitles << '\n';
    const auto start = std::chrono::system_clock::now();
    std::string line;
    for (int i = 0; i < rows; ++i) {
        line.clear();
        const auto when = start + std::chrono::milliseconds(i);
        if (i % 2 == 0)
            AppendSessionLine(line, SentRow(when, "1, 20, 21, 22, 2, 236", "20, 21, 22", "Query Volume"));
        else
            AppendSessionLine(line, ReceivedRow(when, {"", "1, 20, 21, 94, 86, 22, 2, 157", "20, 21, 22, " + std::to_string(i % 200),
                                                       "Value Master Volume = -35.5 dB"}));
        out << line;
    }
    return path;
}

void BM_OpenASavedSession(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    QTemporaryDir folder;
    const std::string path = WriteSession(folder, rows);
    double upMs = 0;
    qint64 longestStall = 0;
    double heldBytes = 0;
    std::size_t shown = 0;
    for (auto _ : state) {
        const double before = ResidentBytes();
        QElapsedTimer clock;
        clock.start();
        auto dlg = std::make_unique<CVantrolixDlg>(CPortSetting(folder.filePath("vantrolix.conf")));
        dlg->SetReviewFile(path);
        dlg->show();
        upMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;

        StallMeter stalls;
        stalls.Start();
        while (dlg->IsLoading() && clock.elapsed() < 600'000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        stalls.Stop();
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
        longestStall = stalls.LongestMs();
        shown = dlg->Log()->KeptRows();
        heldBytes = ResidentBytes() - before;
        dlg->reject();
    }
    state.counters["window_up_ms"] = upMs;
    state.counters["longest_stall_ms"] = static_cast<double>(longestStall);
    state.counters["rows_kept"] = static_cast<double>(shown);
    state.counters["bytes_per_row"] = heldBytes / rows;
    state.counters["rows_per_s"] = benchmark::Counter(static_cast<double>(shown), benchmark::Counter::kIsRate);
}

// 1,852,705 rows: the length of a field recording that outgrew the live log's scrollback.
BENCHMARK(BM_OpenASavedSession)->Arg(200'000)->Arg(1'852'705)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

} // namespace
