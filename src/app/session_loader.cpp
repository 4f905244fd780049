#include "app/session_loader.h"

#include "log/printable_text.h"
#include "log/session_files.h"
#include "log/waiting_read_buffer.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <filesystem>
#include <istream>
#include <mutex>
#include <thread>

namespace fs = std::filesystem;

namespace {

// Thrown through the reader's callbacks to end a load nobody waits for any more.
struct LoadStopped {};

// A batch this old is handed over at its next line, however short; its age is looked at every
// so many lines, a clock reading costing as much as a short line's parsing.
constexpr auto kBatchAge = std::chrono::milliseconds(100);
constexpr std::size_t kAgeCheckLines = 64;
// How long the owner waits for a stopped load to end before leaving it to end on its own.
constexpr auto kStopWait = std::chrono::seconds(1);

std::size_t TextBytes(const LoadedLine& line)
{
    if (const auto* row = std::get_if<SessionRow>(&line))
        return row->encoded.size() + row->data.size() + row->description.size();
    return std::get<SessionProblem>(line).reason.size();
}

} // namespace

struct SessionLoader::Shared {
    std::mutex mutex;
    std::condition_variable room;
    std::condition_variable ended;
    std::deque<std::vector<LoadedLine>> batches;
    // Batches the taker is done with, freed here: their texts were allocated on this thread, and
    // freeing them here keeps that work off the thread that shows them.
    std::vector<std::vector<LoadedLine>> spent;
    SessionLoadState state;
    std::function<void()> news;
    bool told = false;
    bool stopped = false;
    bool threadDone = false;

    // With the mutex held.
    void Tell()
    {
        if (told || !news)
            return;
        told = true;
        news();
    }

    // Waits for room, then queues the batch; throws LoadStopped once the owner has gone.
    void Push(std::vector<LoadedLine>&& batch, std::uintmax_t bytesRead)
    {
        std::vector<std::vector<LoadedLine>> done;
        {
            std::unique_lock lock(mutex);
            room.wait(lock, [this] { return stopped || batches.size() < kQueuedBatches; });
            if (stopped)
                throw LoadStopped{};
            state.linesHanded += batch.size();
            state.bytesRead = bytesRead;
            batches.push_back(std::move(batch));
            done.swap(spent);
            Tell();
        }
        // Freed outside the lock, so the taker never waits for it.
    }

    void ThrowIfStopped()
    {
        const std::lock_guard lock(mutex);
        if (stopped)
            throw LoadStopped{};
    }

    void Progress(std::uintmax_t bytesRead, std::size_t leftOut)
    {
        const std::lock_guard lock(mutex);
        if (stopped)
            throw LoadStopped{};
        state.bytesRead = bytesRead;
        state.linesLeftOut = leftOut;
        Tell();
    }

    void Finish(std::string failure, std::size_t leftOut)
    {
        const std::lock_guard lock(mutex);
        state.failure = std::move(failure);
        state.linesLeftOut = leftOut;
        if (state.fileSize && state.failure.empty())
            state.bytesRead = *state.fileSize;
        state.finished = true;
        Tell();
    }

    void Load(const std::string& path, std::size_t lineLimit);
};

void SessionLoader::Shared::Load(const std::string& path, std::size_t lineLimit)
{
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        Finish("Cannot open " + PrintableText(path) + ": it is a folder", 0);
        return;
    }
    if (fs::is_regular_file(path, ec)) {
        const std::uintmax_t size = fs::file_size(path, ec);
        const std::lock_guard lock(mutex);
        if (!ec)
            state.fileSize = size;
    }
    int openError = 0;
    const int fd = OpenForReading(path, openError);
    if (fd < 0) {
        Finish("Cannot open " + PrintableText(path) + ": " + ErrorText(openError), 0);
        return;
    }
    bool seekable = false;
    {
        const std::lock_guard lock(mutex);
        seekable = state.fileSize.has_value();
    }
    std::vector<LoadedLine> batch;
    std::size_t batchBytes = 0;
    std::chrono::steady_clock::time_point batchStart;
    std::size_t kept = 0;
    std::size_t leftOut = 0;
    std::istream in(nullptr);
    const auto position = [&in, seekable]() -> std::uintmax_t {
        const auto at = seekable ? static_cast<std::streamoff>(in.tellg()) : std::streamoff(-1);
        return at < 0 ? 0 : static_cast<std::uintmax_t>(at);
    };
    const auto handOver = [&] {
        if (batch.empty())
            return;
        const std::size_t lines = batch.size();
        Push(std::move(batch), position());
        batch.clear();
        // The next batch is made at the size of this one at once rather than grown to it, every
        // line moved at each doubling.
        batch.reserve(lines);
        batchBytes = 0;
    };
    // A pipe's writer may pause for good: what came before the pause is shown now, not at the
    // next line; and a load nobody waits for any more ends instead of waiting on.
    CWaitingReadBuffer buffer(fd, [&] {
        handOver();
        ThrowIfStopped();
    });
    in.rdbuf(&buffer);
    const auto add = [&](LoadedLine&& line) {
        if (kept == lineLimit) {
            // Counted only; the count goes out now and then, so the taker sees the reading go on.
            if (++leftOut % kBatchLines == 0)
                Progress(position(), leftOut);
            return;
        }
        ++kept;
        batchBytes += TextBytes(line);
        if (batch.empty())
            batchStart = std::chrono::steady_clock::now();
        batch.push_back(std::move(line));
        // A slow source (a pipe) still shows its lines soon after they come.
        if (batch.size() >= kBatchLines || batchBytes >= kBatchBytes || kept == lineLimit
            || (batch.size() % kAgeCheckLines == 0 && std::chrono::steady_clock::now() - batchStart >= kBatchAge))
            handOver();
    };
    try {
        const bool read = ReadSession(in, {[&](SessionRow&& row) { add(std::move(row)); },
                                           [&](SessionProblem&& problem) { add(std::move(problem)); }});
        handOver();
        const std::string why = buffer.Error() != 0 ? ": " + ErrorText(buffer.Error()) : std::string();
        Finish(read && why.empty() ? std::string() : "Reading " + PrintableText(path) + " failed part way" + why, leftOut);
    } catch (const LoadStopped&) {
    } catch (const std::exception& error) {
        // Out of memory, most likely: what was handed over stays shown.
        Finish("Reading " + PrintableText(path) + " failed part way: " + error.what(), leftOut);
    }
}

SessionLoader::SessionLoader(std::string path, std::size_t lineLimit, std::function<void()> news)
    : m_shared(std::make_shared<Shared>())
{
    m_shared->news = std::move(news);
    std::thread([shared = m_shared, path = std::move(path), lineLimit] {
        shared->Load(path, lineLimit);
        const std::lock_guard lock(shared->mutex);
        shared->threadDone = true;
        shared->ended.notify_all();
    }).detach();
}

SessionLoader::~SessionLoader()
{
    std::unique_lock lock(m_shared->mutex);
    m_shared->stopped = true;
    m_shared->news = nullptr;
    m_shared->batches.clear();
    m_shared->spent.clear();
    m_shared->room.notify_all();
    // A load that ends soon is waited for, so no thread outlives its window without need.
    m_shared->ended.wait_for(lock, kStopWait, [this] { return m_shared->threadDone; });
}

std::vector<LoadedLine> SessionLoader::Take(SessionLoadState& state)
{
    const std::lock_guard lock(m_shared->mutex);
    m_shared->told = false;
    state = m_shared->state;
    if (m_shared->batches.empty())
        return {};
    std::vector<LoadedLine> batch = std::move(m_shared->batches.front());
    m_shared->batches.pop_front();
    m_shared->room.notify_all();
    return batch;
}

void SessionLoader::Recycle(std::vector<LoadedLine>&& batch)
{
    if (batch.empty())
        return;
    const std::lock_guard lock(m_shared->mutex);
    // Once the loading thread is done, nobody else would free them.
    if (m_shared->threadDone || m_shared->stopped || m_shared->spent.size() >= kQueuedBatches)
        return;
    m_shared->spent.push_back(std::move(batch));
}
