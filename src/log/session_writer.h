#pragma once

#include "log/session_row.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Appends rows to a session file on a thread of its own, so the threads that produce rows only
// queue them. Rows are written in batches: each reaches the file (the operating system, which
// keeps it when the program is killed) within kBatchInterval of its Append. The first failure
// to write (a full disk, a removed folder) is reported once; rows after it are dropped, and the
// program goes on without its record.
class SessionWriter {
public:
    static constexpr std::chrono::milliseconds kBatchInterval{50};

    enum class OpenMode {
        CreateNew,      // fails when the file exists
        CreateOrAppend, // an existing session file is continued; any other existing file is refused
    };
    // Called once, on the writer's thread, with the text of the first write failure.
    using ErrorHandler = std::function<void(const std::string&)>;

    SessionWriter() = default;
    // Writes what is queued and closes.
    ~SessionWriter();
    SessionWriter(const SessionWriter&) = delete;
    SessionWriter& operator=(const SessionWriter&) = delete;

    // The handler, if any, must be set before Open.
    void OnError(ErrorHandler handler) { m_onError = std::move(handler); }
    // On failure `error` says why (missing folder, no permission, not a session file, ...).
    bool Open(const std::string& path, OpenMode mode, std::string& error);
    bool IsOpen() const;
    // The file last opened; set before the writer's thread starts and kept after Close.
    const std::string& Path() const { return m_path; }

    // From any thread; cheap: the row is queued.
    void Append(SessionRow row);
    // Waits until every row appended before the call is written (or writing has failed).
    void Flush();
    // Flushes, makes the file durable and closes it; the writer may be opened again.
    void Close();

    // Empty while every write has succeeded.
    std::string Error() const;
    std::uint64_t RowsWritten() const;

private:
    void Run();
    // Formats and writes one batch; false after a failure.
    bool WriteBatch(const std::vector<SessionRow>& rows);
    void Fail(std::string error);

    int m_fd = -1;
    std::string m_path;
    ErrorHandler m_onError;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;    // rows queued, flush asked for, or stop
    std::condition_variable m_written; // a batch is done
    std::vector<SessionRow> m_queue;
    std::uint64_t m_appended = 0;
    std::uint64_t m_done = 0; // rows written or dropped
    std::uint64_t m_rowsWritten = 0;
    bool m_flushWanted = false;
    bool m_stop = false;
    bool m_failed = false;
    std::string m_error;
    std::thread m_thread;
};
