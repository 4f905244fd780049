// Reading a session file on a thread of its own: every line in order, in batches that never run
// ahead of the taker, the rest of a long file only counted, and failures named.
#include "app/session_loader.h"

#include "log/session_format.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>

#include <poll.h>
#include <unistd.h>

namespace {

// The loader's news, counted.
class News {
public:
    void Tell()
    {
        const std::lock_guard lock(m_mutex);
        ++m_count;
        m_changed.notify_all();
    }
    int Count()
    {
        const std::lock_guard lock(m_mutex);
        return m_count;
    }
    bool CameAfter(int seen)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(30), [&] { return m_count > seen; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_count = 0;
};

struct Loaded {
    std::vector<LoadedLine> lines;
    SessionLoadState state;
};

// Takes batches as the news comes, checking that the loader never holds more than it may.
Loaded TakeAll(SessionLoader& loader, News& news)
{
    Loaded result;
    for (;;) {
        const int seen = news.Count();
        const std::size_t taken = result.lines.size();
        std::vector<LoadedLine> batch = loader.Take(result.state);
        if (!batch.empty()) {
            EXPECT_LE(batch.size(), SessionLoader::kBatchLines);
            EXPECT_LE(result.state.linesHanded - taken, SessionLoader::kQueuedBatches * SessionLoader::kBatchLines);
            std::move(batch.begin(), batch.end(), std::back_inserter(result.lines));
            continue;
        }
        if (result.state.finished)
            return result;
        if (!news.CameAfter(seen)) {
            ADD_FAILURE() << "no news from the loader";
            return result;
        }
    }
}

class SessionLoaderTest : public ::testing::Test {
protected:
    // A session file of `rows` received rows whose data reads 0, 1, 2, ..., with a line that is
    // no row after the row `badAfter`.
    std::string Write(int rows, int badAfter = -1)
    {
        std::string text(kSessionTitles);
        text += '\n';
        const auto when = std::chrono::system_clock::now();
        for (int i = 0; i < rows; ++i) {
            AppendSessionLine(text, ReceivedRow(when, {"", "1, 2", std::to_string(i), ""}));
            if (i == badAfter)
                text += "not a row\n";
        }
        const std::string path = folder.filePath("session.tsv").toStdString();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    static std::string DataOf(const LoadedLine& line)
    {
        const auto* row = std::get_if<SessionRow>(&line);
        return row ? row->data : "problem at line " + std::to_string(std::get<SessionProblem>(line).line);
    }

    QTemporaryDir folder;
    News news;
};

} // namespace

TEST_F(SessionLoaderTest, EveryLineComesInOrderInBatchesThatNeverRunAheadOfTheTaker)
{
    const std::string path = Write(30'000, 12'344);
    SessionLoader loader(path, 1'000'000, [this] { news.Tell(); });
    const Loaded loaded = TakeAll(loader, news);
    ASSERT_EQ(loaded.lines.size(), 30'001u);
    EXPECT_EQ(DataOf(loaded.lines[0]), "0");
    EXPECT_EQ(DataOf(loaded.lines[12'345]), "problem at line 12347");
    EXPECT_EQ(DataOf(loaded.lines[12'346]), "12345");
    EXPECT_EQ(DataOf(loaded.lines.back()), "29999");
    EXPECT_TRUE(loaded.state.failure.empty()) << loaded.state.failure;
    EXPECT_EQ(loaded.state.linesLeftOut, 0u);
    ASSERT_TRUE(loaded.state.fileSize.has_value());
    EXPECT_EQ(*loaded.state.fileSize, std::filesystem::file_size(path));
    EXPECT_EQ(loaded.state.bytesRead, *loaded.state.fileSize);
}

// A taker that gives its batches back (to be freed on the loading thread) while the load goes on
// and after it has ended still gets every line once, in order.
TEST_F(SessionLoaderTest, BatchesGivenBackLeaveEveryLineInPlace)
{
    SessionLoader loader(Write(40'000), 1'000'000, [this] { news.Tell(); });
    SessionLoadState state;
    std::size_t next = 0;
    for (;;) {
        const int seen = news.Count();
        std::vector<LoadedLine> batch = loader.Take(state);
        const bool none = batch.empty();
        for (const LoadedLine& line : batch)
            ASSERT_EQ(DataOf(line), std::to_string(next++));
        loader.Recycle(std::move(batch));
        if (none && state.finished)
            break;
        if (none) {
            ASSERT_TRUE(news.CameAfter(seen)) << next << " lines came";
        }
    }
    EXPECT_EQ(next, 40'000u);
    EXPECT_TRUE(state.failure.empty()) << state.failure;
}

TEST_F(SessionLoaderTest, PastTheLimitLinesAreCountedAndNotHeld)
{
    SessionLoader loader(Write(50'000), 1000, [this] { news.Tell(); });
    const Loaded loaded = TakeAll(loader, news);
    ASSERT_EQ(loaded.lines.size(), 1000u);
    EXPECT_EQ(DataOf(loaded.lines.back()), "999");
    EXPECT_EQ(loaded.state.linesHanded, 1000u);
    EXPECT_EQ(loaded.state.linesLeftOut, 49'000u);
}

TEST_F(SessionLoaderTest, AFileThatCannotBeReadSaysWhy)
{
    for (const auto& [path, reason] : {std::pair{folder.filePath("absent.tsv"), "No such file or directory"},
                                       std::pair{folder.path(), "it is a folder"}}) {
        SessionLoader loader(path.toStdString(), 1000, [this] { news.Tell(); });
        const Loaded loaded = TakeAll(loader, news);
        EXPECT_TRUE(loaded.lines.empty());
        EXPECT_EQ(loaded.state.failure, "Cannot open " + path.toStdString() + ": " + reason);
    }
}

TEST_F(SessionLoaderTest, APipeShowsWhatCameBeforeItsWriterPausedAndGivesUpTheWaitWhenStopped)
{
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    // The loader opens the pipe by name, as `--open /dev/fd/N` would; the test keeps the writing end.
    const std::string path = "/proc/self/fd/" + std::to_string(ends[0]);
    std::string text(kSessionTitles);
    text += '\n';
    const auto when = std::chrono::system_clock::now();
    for (int i = 0; i < 10; ++i)
        AppendSessionLine(text, ReceivedRow(when, {"", "1, 2", std::to_string(i), ""}));
    ASSERT_EQ(::write(ends[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
    {
        SessionLoader loader(path, 1'000'000, [this] { news.Tell(); });
        // Far fewer lines than a batch, and the writer silent after them: they come all the same.
        std::vector<LoadedLine> lines;
        SessionLoadState state;
        while (lines.size() < 10) {
            const int seen = news.Count();
            std::vector<LoadedLine> batch = loader.Take(state);
            std::move(batch.begin(), batch.end(), std::back_inserter(lines));
            ASSERT_FALSE(state.finished) << state.failure;
            if (batch.empty()) {
                ASSERT_TRUE(news.CameAfter(seen)) << lines.size() << " lines came";
            }
        }
        ::close(ends[0]);
        EXPECT_EQ(DataOf(lines.back()), "9");
        EXPECT_FALSE(state.finished);
    }
    // Dropped, the load lets go of the pipe although its writer never ended it: the writing end
    // then hears that nobody reads.
    pollfd end{ends[1], POLLOUT, 0};
    bool readerGone = false;
    for (int i = 0; i < 300 && !readerGone; ++i)
        readerGone = ::poll(&end, 1, 100) == 1 && (end.revents & POLLERR) != 0;
    EXPECT_TRUE(readerGone);
    ::close(ends[1]);
}
