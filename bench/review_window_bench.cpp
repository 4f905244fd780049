// A saved session opened read-only (--open): how soon the window is up, the processor time until
// its log first paints a screenful of the file's rows, how long the whole file takes to reach the
// log, the longest the UI thread could not run its own work meanwhile (a 1 ms timer measures the
// gaps), and the memory the loaded log holds. The file's rows are those of a device that answers
// queries, as a long recording holds them. Beside it the peer: the same file read into a
// QTableView whose columns fit their contents, as a plain Qt program shows such a file.

#include "app/port_setting.h"
#include "app/session_loader.h"
#include "app/vantrolix_dlg.h"
#include "log/session_format.h"
#include "stall_meter.h"

#include "grid/grid_ctrl.h"

#include <QAbstractTableModel>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QTableView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <array>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include <time.h>
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

double ProcessCpuMs()
{
    timespec cpu{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    return static_cast<double>(cpu.tv_sec) * 1e3 + static_cast<double>(cpu.tv_nsec) / 1e6;
}

// The processor time of the whole process at the first paint of a view once it holds a screenful
// of rows (`shown` tells how many it holds).
class FirstRowsPaint : public QObject {
public:
    FirstRowsPaint(QWidget& viewport, std::function<bool()> screenful) : m_screenful(std::move(screenful))
    {
        viewport.installEventFilter(this);
    }
    std::optional<double> CpuMs() const { return m_cpuMs; }
    int Paints() const { return m_paints; }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::Paint)
            return false;
        ++m_paints;
        if (!m_cpuMs && m_screenful())
            m_cpuMs = ProcessCpuMs();
        return false;
    }

private:
    std::function<bool()> m_screenful;
    std::optional<double> m_cpuMs;
    int m_paints = 0;
};

constexpr int kScreenfulRows = 20;

// What both openings report: the processor time to the first paint of rows and the file's bytes
// per second, of the wall clock and of the whole process's processor time.
struct OpeningFigures {
    double fileBytes = 0;
    double firstPaintCpuMs = 0;
    double loadCpuMs = 0;
    int paints = 0; // of the view's rows, until the whole file is shown

    // From the processor time before the opening began to its end.
    void Measured(double cpuBefore, const FirstRowsPaint& paint)
    {
        loadCpuMs = ProcessCpuMs() - cpuBefore;
        firstPaintCpuMs = paint.CpuMs().value_or(cpuBefore) - cpuBefore;
        paints = paint.Paints();
    }
    void Report(benchmark::State& state) const
    {
        state.counters["first_paint_cpu_ms"] = firstPaintCpuMs;
        state.counters["MB_per_s"] = benchmark::Counter(fileBytes / 1e6, benchmark::Counter::kIsRate);
        state.counters["MB_per_cpu_s"] = fileBytes / 1e3 / loadCpuMs;
        state.counters["file_MB"] = fileBytes / 1e6;
        state.counters["paints"] = paints;
    }
};

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
    OpeningFigures figures{static_cast<double>(std::filesystem::file_size(path))};
    double upMs = 0;
    qint64 longestStall = 0;
    double heldBytes = 0;
    std::size_t shown = 0;
    for (auto _ : state) {
        const double before = ResidentBytes();
        const double cpuBefore = ProcessCpuMs();
        QElapsedTimer clock;
        clock.start();
        auto dlg = std::make_unique<CVantrolixDlg>(CPortSetting(folder.filePath("vantrolix.conf")));
        CGridCtrl& grid = *dlg->Grid();
        const FirstRowsPaint paint(*grid.viewport(), [&grid] { return grid.GetRowCount() > kScreenfulRows; });
        dlg->SetReviewFile(path);
        dlg->show();
        upMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;

        StallMeter stalls;
        stalls.Start();
        while (dlg->IsLoading() && clock.elapsed() < 600'000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        stalls.Stop();
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
        figures.Measured(cpuBefore, paint);
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
    figures.Report(state);
}

// The peer's model: the file's rows as texts, four columns as the log shows them.
class PlainSessionModel : public QAbstractTableModel {
public:
    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : static_cast<int>(m_rows.size()); }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 4; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole)
            return {};
        return m_rows[static_cast<std::size_t>(index.row())][static_cast<std::size_t>(index.column())];
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const char* const kTitles[] = {"Time", "Encoded", "Data", "Description"};
        if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
            return QAbstractTableModel::headerData(section, orientation, role);
        return QString::fromLatin1(kTitles[section]);
    }
    // The file read whole, a line at a time: the clock time of the time stamp, then the encoded
    // bytes, the data and the description.
    void Load(const std::string& path)
    {
        QFile file(QString::fromStdString(path));
        if (!file.open(QIODevice::ReadOnly))
            return;
        beginResetModel();
        file.readLine(); // the titles
        while (!file.atEnd()) {
            const QByteArray line = file.readLine();
            const QList<QByteArray> fields = line.trimmed().split('\t');
            if (fields.size() != 5)
                continue;
            m_rows.push_back({QString::fromUtf8(fields[0].mid(11, 8)), QString::fromUtf8(fields[2]),
                              QString::fromUtf8(fields[3]), QString::fromUtf8(fields[4])});
        }
        endResetModel();
    }

private:
    std::vector<std::array<QString, 4>> m_rows;
};

void BM_PeerTableViewOpen(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    QTemporaryDir folder;
    const std::string path = WriteSession(folder, rows);
    OpeningFigures figures{static_cast<double>(std::filesystem::file_size(path))};
    int shown = 0;
    for (auto _ : state) {
        const double cpuBefore = ProcessCpuMs();
        QElapsedTimer clock;
        clock.start();
        auto view = std::make_unique<QTableView>();
        view->resize(1180, 640);
        auto model = std::make_unique<PlainSessionModel>();
        const FirstRowsPaint paint(*view->viewport(), [&model] { return model->rowCount({}) > kScreenfulRows; });
        model->Load(path);
        view->setModel(model.get());
        view->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
        view->show();
        while (!paint.CpuMs() && clock.elapsed() < 600'000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
        figures.Measured(cpuBefore, paint);
        shown = model->rowCount({});
        view.reset();
    }
    state.counters["rows_kept"] = shown;
    figures.Report(state);
}

// The loading thread alone, its batches taken as they come and given back: the file's bytes per
// second of the whole process's processor time, the window's share of an opening left out.
void BM_SessionLoaderAlone(benchmark::State& state)
{
    QTemporaryDir folder;
    const std::string path = WriteSession(folder, static_cast<int>(state.range(0)));
    const auto fileBytes = static_cast<double>(std::filesystem::file_size(path));
    std::mutex mutex;
    std::condition_variable told;
    bool news = false;
    std::size_t lines = 0;
    double cpuMs = 0;
    for (auto _ : state) {
        lines = 0;
        const double cpuBefore = ProcessCpuMs();
        SessionLoader loader(path, CSessionReview::kRowLimit, [&] {
            const std::lock_guard lock(mutex);
            news = true;
            told.notify_one();
        });
        SessionLoadState loadState;
        for (;;) {
            {
                std::unique_lock lock(mutex);
                told.wait_for(lock, std::chrono::milliseconds(100), [&] { return news; });
                news = false;
            }
            std::vector<LoadedLine> batch;
            while (!(batch = loader.Take(loadState)).empty()) {
                lines += batch.size();
                loader.Recycle(std::move(batch));
            }
            if (loadState.finished)
                break;
        }
        cpuMs = ProcessCpuMs() - cpuBefore;
    }
    state.counters["lines"] = static_cast<double>(lines);
    state.counters["MB_per_cpu_s"] = fileBytes / 1e3 / cpuMs;
    state.counters["MB_per_s"] = benchmark::Counter(fileBytes / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SessionLoaderAlone)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// 1,000,000 rows: about 100 MB, a long day's recording. 1,852,705 rows: the length of a field
// recording that outgrew the live log's scrollback.
BENCHMARK(BM_OpenASavedSession)->Arg(200'000)->Arg(1'000'000)->Arg(1'852'705)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(BM_PeerTableViewOpen)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

} // namespace
