// The stop pipe on Windows: notes under a mutex, a condition variable to wake the waiters.

#include "stop_flag.h"
#include "stop_flag_win32.h"
#include "stop_pipe_win32.h"

#include <utility>

namespace {

void AddNote(StopSignal& signal, char why)
{
    {
        std::lock_guard lock(signal.mutex);
        signal.notes += why;
    }
    signal.changed.notify_all();
}

} // namespace

StopPipe::StopPipe() : m_native(std::make_unique<Native>()) {}

StopPipe::~StopPipe()
{
    StopWakingOn(m_native->signal.get());
}

bool StopPipe::IsOpen() const
{
    return true;
}

void StopPipe::Note(char why) const
{
    AddNote(*m_native->signal, why);
}

void StopPipe::CatchStopSignals() const
{
    CatchStopRequests();
    WakeOnStopRequests(m_native->signal);
}

std::string StopPipe::Take(std::optional<Clock::time_point> until) const
{
    StopSignal& signal = *m_native->signal;
    std::unique_lock lock(signal.mutex);
    const auto noted = [&] { return !signal.notes.empty(); };
    if (until)
        signal.changed.wait_until(lock, *until, noted);
    else
        signal.changed.wait(lock, noted);
    return std::exchange(signal.notes, {});
}
