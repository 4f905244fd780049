// The stop pipe on Windows: Ctrl+C, Ctrl+Break and the console closing reach a console control
// handler, which runs on a thread of its own, instead of a signal.

#include "stop_pipe_win32.h"

#include <utility>

#include <windows.h>

namespace {

// The handler has no argument to carry a pipe: the one that catches stops is kept here.
std::mutex g_catcherMutex;
std::shared_ptr<StopSignal> g_catcher;

void AddNote(StopSignal& signal, char why)
{
    {
        std::lock_guard lock(signal.mutex);
        signal.notes += why;
    }
    signal.changed.notify_all();
}

BOOL WINAPI OnConsoleControl(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
        return FALSE;
    std::shared_ptr<StopSignal> catcher;
    {
        std::lock_guard lock(g_catcherMutex);
        catcher = g_catcher;
    }
    if (!catcher)
        return FALSE;
    AddNote(*catcher, 'S');
    return TRUE;
}

} // namespace

StopPipe::StopPipe() : m_native(std::make_unique<Native>()) {}

StopPipe::~StopPipe()
{
    std::lock_guard lock(g_catcherMutex);
    if (g_catcher == m_native->signal) {
        SetConsoleCtrlHandler(OnConsoleControl, FALSE);
        g_catcher.reset();
    }
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
    std::lock_guard lock(g_catcherMutex);
    if (!g_catcher)
        SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    g_catcher = m_native->signal;
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
