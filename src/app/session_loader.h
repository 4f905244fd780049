#pragma once

#include "log/session_reader.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

// A line of a session file as it is handed over: a row, or why the line is none.
using LoadedLine = std::variant<SessionRow, SessionProblem>;

// How far a load has come.
struct SessionLoadState {
    std::uintmax_t bytesRead = 0;
    std::optional<std::uintmax_t> fileSize; // none for a pipe
    std::size_t linesHanded = 0;            // rows and unreadable lines handed over
    std::size_t linesLeftOut = 0;           // lines past the limit: counted, never held
    bool finished = false;
    std::string failure; // the file could not be opened, or its reading failed part way
};

// Reads a session file on a thread of its own and hands its lines over in batches, so a long
// recording neither holds up the thread that shows it nor runs ahead of it into memory: at most
// kQueuedBatches batches wait, of at most kBatchLines lines or about kBatchBytes of text each,
// and the reading waits for room. Past `lineLimit` lines the rest of the file is only counted.
class SessionLoader {
public:
    static constexpr std::size_t kBatchLines = 4096;
    static constexpr std::size_t kBatchBytes = std::size_t{4} << 20;
    static constexpr std::size_t kQueuedBatches = 4;

    // `news` is called on the loading thread when there is something to take or a new state
    // (progress, the end) and the taker has not yet been told since it last called Take.
    SessionLoader(std::string path, std::size_t lineLimit, std::function<void()> news);
    // Stops the load: a read waiting on a silent pipe gives up within about 100 ms. Should the
    // thread still be busy after a while, it is left to end on its own, touching nothing of the
    // caller's.
    ~SessionLoader();
    SessionLoader(const SessionLoader&) = delete;
    SessionLoader& operator=(const SessionLoader&) = delete;

    // The oldest batch waiting, or none; the state as it was when the batch was taken.
    std::vector<LoadedLine> Take(SessionLoadState& state);
    // Gives back a batch the taker is done with, to be freed on the loading thread while it
    // still reads (or at once, by the caller, once it has ended).
    void Recycle(std::vector<LoadedLine>&& batch);

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
};
