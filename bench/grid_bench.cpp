// The response log's grid at 1,000, 100,000 and 1,000,000 rows: the work for each appended row
// as the main window does it, one full repaint of the visible area, finding the cell under a
// point, Select All, copying everything selected (and, beside it, a QTableView over a plain model
// copying the same), one step of a drag that extends the selection
// over all rows, dropping the oldest rows of a full log, and the memory a row takes.
//
//   build/bin/vantrolix_grid_bench
#include "grid/grid_ctrl.h"
#include "support/grid_test_access.h"
#include "platform/device_context.h"
#include "platform/ole_data_source.h"
#include "support/log_grid.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QItemSelectionModel>
#include <QPainter>
#include <QTableView>

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <string_view>

namespace {

// Texts shaped like logged packets: a time, the frame's bytes, the payload's bytes and a
// description, 20 to 60 characters for the last three. Made once, before anything is timed.
class RowTexts {
public:
    RowTexts()
    {
        std::mt19937 rng(2024);
        static const char* const kDescriptions[] = {
            "Value: Master Volume = -35.5 dB",
            "Value: Input Source = Tuner (FM) Preset 12",
            "Value: Device ID = Surround Processor SP-9000 v2",
            "Value: RDS Radio Text = \"Traffic news at the top of the hour\"",
            "Checksum Error! Frame of 9 bytes dropped",
            "Invalid Packet! Framing error after 14 bytes received",
        };
        for (std::size_t i = 0; i < kPool; ++i) {
            char time[16];
            std::snprintf(time, sizeof time, "%02zu:%02zu:%02zu", (i / 3600) % 24, (i / 60) % 60, i % 60);
            m_rows[i][0] = time;
            for (int c = 1; c <= 2; ++c) {
                std::string bytes = "1";
                const std::size_t length = 20 + rng() % 41;
                while (bytes.size() < length)
                    bytes += ", " + std::to_string(rng() % 256);
                m_rows[i][c] = bytes.substr(0, length);
            }
            m_rows[i][3] = kDescriptions[rng() % 6];
        }
    }
    const std::string& Row(int n, int column) const
    {
        return m_rows[static_cast<std::size_t>(n) % kPool][static_cast<std::size_t>(column)];
    }

private:
    static constexpr std::size_t kPool = 4096;
    std::array<std::string, 4> m_rows[kPool];
};

const RowTexts& Texts()
{
    static const RowTexts texts;
    return texts;
}

// A grid set up as the main window sets up its log, filled with n rows and sized to them.
struct LogGrid {
    CGridCtrl grid;
    const RowTexts& texts = Texts();
    int rows;

    explicit LogGrid(int dataRows) : rows(dataRows)
    {
        grid.resize(900, 420);
        grid.show();
        SetUpLogGrid(grid);
        grid.SetRowCount(dataRows + 1);
        for (int r = 1; r <= dataRows; ++r) {
            for (int c = 0; c < 4; ++c)
                grid.SetItemText(r, c, texts.Row(r, c));
        }
        grid.AutoSizeColumns(0);
        grid.EnsureVisible(dataRows, 0);
    }

    // What the main window did for every logged packet: a cell's text at a time (whole: the
    // row's texts in one call, as the log now adds them).
    void Append(bool whole = false)
    {
        const int n = grid.GetRowCount();
        grid.SetRowCount(n + 1);
        if (whole) {
            const std::string_view views[] = {texts.Row(n, 0), texts.Row(n, 1), texts.Row(n, 2), texts.Row(n, 3)};
            grid.SetRowTexts(n, views);
        } else {
            for (int c = 0; c < 4; ++c)
                grid.SetItemText(n, c, texts.Row(n, c));
        }
        grid.AutoSizeColumns(0);
        if (grid.IsCellVisible(n - 1, 0))
            grid.EnsureVisible(n, 0);
    }
};

// Large blocks (the row vectors) are mapped outside the heap's arena, or not, depending on what was
// freed before; both count.
std::size_t HeapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// The growth of the resident memory's high-water mark over a piece of work: the mark is reset
// first (Linux's clear_refs), so the peak counts however briefly it lasted.
class PeakGrowth {
public:
    PeakGrowth()
    {
        std::ofstream("/proc/self/clear_refs") << "5";
        m_start = StatusKb("VmRSS:");
    }
    double Megabytes() const { return static_cast<double>(StatusKb("VmHWM:") - m_start) / 1024.0; }

private:
    static long StatusKb(const std::string& key)
    {
        std::ifstream status("/proc/self/status");
        for (std::string word; status >> word;) {
            if (word == key) {
                long kb = 0;
                status >> kb;
                return kb;
            }
        }
        return 0;
    }
    long m_start = 0;
};

// Built once for each size and kept for the benchmarks that follow; gone before the application.
std::map<int, std::unique_ptr<LogGrid>> g_grids;

LogGrid& GridOf(int rows)
{
    std::unique_ptr<LogGrid>& grid = g_grids[rows];
    if (!grid)
        grid = std::make_unique<LogGrid>(rows);
    return *grid;
}

void BM_AppendRow(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    const bool whole = state.range(1) != 0;
    LogGrid& log = GridOf(rows);
    int appended = 0;
    for (auto _ : state) {
        log.Append(whole);
        // Keep the log at the size measured.
        if (++appended == 256) {
            state.PauseTiming();
            log.grid.SetRowCount(rows + 1);
            log.grid.EnsureVisible(rows, 0);
            QCoreApplication::sendPostedEvents();
            appended = 0;
            state.ResumeTiming();
        }
    }
    log.grid.SetRowCount(rows + 1);
    state.counters["rows"] = rows;
}

void BM_FullRepaint(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    LogGrid& log = GridOf(rows);
    QImage image(log.grid.viewport()->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        CDC dc(&painter);
        GridTestAccess::Draw(log.grid, &dc);
    }
    state.counters["rows"] = rows;
    state.counters["visible_rows"] = log.grid.GetVisibleScrolledRange().maxRow - log.grid.GetTopLeftScrolledCell().row + 1;
}

void BM_HitTest(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    LogGrid& log = GridOf(rows);
    const CRect client = log.grid.GetClientRect();
    int x = 0;
    int y = 0;
    for (auto _ : state) {
        x = (x + 37) % client.Width();
        y = (y + 23) % client.Height();
        benchmark::DoNotOptimize(log.grid.GetCellFromPoint(CPoint(x, y), true));
    }
    state.counters["rows"] = rows;
}

// Heap growth is the change in the allocator's bytes in use across the timed calls.
void BM_SelectAll(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    LogGrid& log = GridOf(rows);
    double grown = 0;
    for (auto _ : state) {
        state.PauseTiming();
        log.grid.SetSelectionStartCell(CGridCellId());
        log.grid.SelectRange(-1, -1, -1, -1, false, true);
        const std::size_t before = HeapInUse();
        state.ResumeTiming();
        log.grid.OnCommand(ID_EDIT_SELECT_ALL);
        state.PauseTiming();
        grown = static_cast<double>(HeapInUse()) - static_cast<double>(before);
        state.ResumeTiming();
    }
    log.grid.SelectRange(-1, -1, -1, -1, false, true);
    state.counters["rows"] = rows;
    state.counters["heap_growth_bytes"] = grown;
}

void BM_CopyAll(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    LogGrid& log = GridOf(rows);
    log.grid.SelectAll();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::unique_ptr<COleDataSource> data = log.grid.CreateCopyData();
        bytes = data != nullptr && data->GetGlobalData(CF_TEXT) != nullptr ? data->GetGlobalData(CF_TEXT)->size() : 0;
    }
    if (bytes == 0)
        state.SkipWithError("nothing was copied");
    log.grid.SelectRange(-1, -1, -1, -1, false, true);
    state.counters["rows"] = rows;
    state.counters["copied_bytes"] = static_cast<double>(bytes);
}

// Copy as the context menu does it: the text of everything selected handed to the clipboard;
// processor time and the peak growth of resident memory.
void BM_CopyToClipboard(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    LogGrid& log = GridOf(rows);
    log.grid.SelectAll();
    QGuiApplication::clipboard()->clear();
    double peak = 0;
    for (auto _ : state) {
        const PeakGrowth growth;
        log.grid.OnEditCopy();
        peak = std::max(peak, growth.Megabytes());
        state.PauseTiming();
        QGuiApplication::clipboard()->clear();
        state.ResumeTiming();
    }
    log.grid.ClearSelection();
    state.counters["rows"] = rows;
    state.counters["peak_growth_MB"] = peak;
}

// The peer: a QTableView over a plain model holding the same texts, everything selected, copied
// the way such a program does it: the selected indexes in order, their texts joined by tabs and
// line feeds, handed to the clipboard.
class PlainLogModel : public QAbstractTableModel {
public:
    explicit PlainLogModel(int rows) : m_rows(rows) {}
    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : m_rows; }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 4; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole)
            return {};
        return QString::fromLatin1(Texts().Row(index.row() + 1, index.column()));
    }

private:
    int m_rows;
};

void BM_PeerTableViewCopy(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    PlainLogModel model(rows);
    QTableView view;
    view.setModel(&model);
    view.resize(900, 420);
    view.show();
    view.selectAll();
    QGuiApplication::clipboard()->clear();
    double peak = 0;
    qsizetype copied = 0;
    for (auto _ : state) {
        const PeakGrowth growth;
        {
            QModelIndexList indexes = view.selectionModel()->selectedIndexes();
            std::sort(indexes.begin(), indexes.end());
            QString text;
            for (qsizetype i = 0; i < indexes.size(); ++i) {
                if (i > 0)
                    text += indexes[i].row() != indexes[i - 1].row() ? u'\n' : u'\t';
                text += model.data(indexes[i], Qt::DisplayRole).toString();
            }
            copied = text.size();
            QGuiApplication::clipboard()->setText(text);
        }
        peak = std::max(peak, growth.Megabytes());
        state.PauseTiming();
        QGuiApplication::clipboard()->clear();
        state.ResumeTiming();
    }
    state.counters["rows"] = rows;
    state.counters["peak_growth_MB"] = peak;
    state.counters["copied_chars"] = static_cast<double>(copied);
}

// What a drag or Shift+Down does each time the pointer or the focus reaches another row: the
// block from the anchor in the first data row to the focus, here moving between the last two rows.
void BM_ExtendSelectionStep(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    LogGrid& log = GridOf(rows);
    log.grid.SetSelectionStartCell(CGridCellId(1, 0));
    int step = 0;
    for (auto _ : state) {
        const CGridCellId cell(rows - (step++ & 1), 3);
        log.grid.SelectCellSpan(cell, false, true);
        log.grid.SetFocusCell(cell);
    }
    log.grid.SetSelectionStartCell(CGridCellId());
    log.grid.ClearSelection();
    state.counters["rows"] = rows;
}

// A log at its scrollback limit drops its oldest rows, one or a batch at a time; the rows are
// added back untimed, with their texts and the columns sized as the log does after each batch,
// so that every call sees a million.
void BM_DeleteOldestRows(benchmark::State& state)
{
    const int rows = 1'000'000;
    const auto batch = static_cast<int>(state.range(0));
    LogGrid& log = GridOf(rows);
    for (auto _ : state) {
        log.grid.DeleteRows(1, batch);
        state.PauseTiming();
        log.grid.SetRowCount(rows + 1);
        for (int r = rows + 1 - batch; r <= rows; ++r) {
            for (int c = 0; c < 4; ++c)
                log.grid.SetItemText(r, c, log.texts.Row(r, c));
        }
        log.grid.AutoSizeColumns(0);
        state.ResumeTiming();
    }
    state.counters["rows"] = rows;
    state.counters["time_per_row"] = benchmark::Counter(static_cast<double>(batch) * static_cast<double>(state.iterations()),
                                                      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_MemoryPerRow(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    double perRow = 0;
    for (auto _ : state) {
        const std::size_t before = HeapInUse();
        LogGrid log(rows);
        perRow = static_cast<double>(HeapInUse() - before) / rows;
    }
    state.counters["bytes_per_row"] = perRow;
}

} // namespace

BENCHMARK(BM_AppendRow)->ArgNames({"rows", "whole"})->ArgsProduct({{1000, 100000, 1000000}, {0, 1}})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullRepaint)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HitTest)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_SelectAll)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyAll)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyToClipboard)->Arg(1000000)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeerTableViewCopy)->Arg(1000000)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtendSelectionStep)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeleteOldestRows)->Arg(1)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemoryPerRow)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    Texts();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_grids.clear();
    return 0;
}
