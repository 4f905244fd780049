#pragma once

#include "log/session_row.h"

#include <functional>

class SessionWriter;

// Where the rows of a session go, the same for the window, the console monitor and test runs:
// into the session file, when one is being written, and then on to whoever shows them. Set up
// before the threads that record start; Record may then be called from any of them.
class SessionRecording {
public:
    using Onward = std::function<void(SessionRow)>;

    void WriteTo(SessionWriter* writer) { m_writer = writer; }
    void HandOnTo(Onward onward) { m_onward = std::move(onward); }

    void Record(SessionRow row) const;

private:
    SessionWriter* m_writer = nullptr;
    Onward m_onward;
};
