#pragma once

#include "log/session_row.h"

#include <cstddef>
#include <functional>
#include <mutex>
#include <vector>

class SessionWriter;

// Where the rows of a session go, the same for the window, the console monitor and test runs:
// into the session file, when one is being written, and then on to whoever shows them. Set up
// before the threads that record start; Record may then be called from any of them.
//
// A command's row is known only once its write has ended, and a quick device answers before
// that. Rows recorded while a send is under way are held and follow the command's row, so the
// file reads in the order things happened on the line.
class SessionRecording {
public:
    using Onward = std::function<void(SessionRow)>;
    // However long a write takes, no more rows than this wait for it; later ones go straight on.
    static constexpr std::size_t kMostHeld = 10'000;

    void WriteTo(SessionWriter* writer) { m_writer = writer; }
    void HandOnTo(Onward onward) { m_onward = std::move(onward); }

    void Record(SessionRow row);
    // Around a write: rows recorded meanwhile wait until the command's row has gone.
    void BeginSend();
    void EndSend(SessionRow commandRow);

private:
    void Emit(SessionRow row) const;

    SessionWriter* m_writer = nullptr;
    Onward m_onward;
    std::mutex m_mutex;
    bool m_sending = false;
    std::vector<SessionRow> m_held;
};
