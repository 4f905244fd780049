// Standard input on Windows: a pipe, a file or the console, none of which can be waited on alike,
// so a thread reads it and hands the chunks over. Ctrl+C, Ctrl+Break and the console closing
// reach a console control handler instead of a signal.

#include "console_input.h"

#include <condition_variable>
#include <mutex>
#include <thread>

#include <cstdio>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace {

struct Shared {
    std::mutex mutex;
    std::condition_variable changed;
    std::string pending;
    bool ended = false;
    bool finished = false; // the reader thread has returned
    bool interrupted = false;
};

// The handler has no argument to carry the state; one monitor runs per process.
std::shared_ptr<Shared> g_shared;
std::mutex g_sharedMutex;

BOOL WINAPI OnConsoleControl(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
        return FALSE;
    std::shared_ptr<Shared> shared;
    {
        std::lock_guard lock(g_sharedMutex);
        shared = g_shared;
    }
    if (!shared)
        return FALSE;
    {
        std::lock_guard lock(shared->mutex);
        shared->interrupted = true;
    }
    shared->changed.notify_all();
    return TRUE;
}

void ReadAll(const std::shared_ptr<Shared>& shared)
{
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    char buffer[4096];
    for (;;) {
        DWORD got = 0;
        // A pipe's writer closing shows as ERROR_BROKEN_PIPE: the end of the input, as is any
        // other failure, and a read of nothing.
        const bool read = input != nullptr && input != INVALID_HANDLE_VALUE
            && ReadFile(input, buffer, sizeof buffer, &got, nullptr) && got > 0;
        std::lock_guard lock(shared->mutex);
        if (read)
            shared->pending.append(buffer, got);
        else
            shared->ended = true;
        shared->changed.notify_all();
        if (!read)
            break;
    }
    std::lock_guard lock(shared->mutex);
    shared->finished = true;
}

} // namespace

struct ConsoleInput::State {
    std::shared_ptr<Shared> shared = std::make_shared<Shared>();
    std::thread reader;
    bool started = false;

    // Waits until something is there to report, or the deadline.
    template <typename Ready>
    bool WaitFor(std::unique_lock<std::mutex>& lock, std::optional<Clock::time_point> deadline, Ready ready)
    {
        if (!deadline) {
            shared->changed.wait(lock, ready);
            return true;
        }
        return shared->changed.wait_until(lock, *deadline, ready);
    }
};

ConsoleInput::ConsoleInput() : m_state(std::make_unique<State>())
{
    {
        std::lock_guard lock(g_sharedMutex);
        g_shared = m_state->shared;
    }
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

ConsoleInput::~ConsoleInput()
{
    SetConsoleCtrlHandler(OnConsoleControl, FALSE);
    {
        std::lock_guard lock(g_sharedMutex);
        g_shared.reset();
    }
    if (!m_state->reader.joinable())
        return;
    bool finished = false;
    {
        std::lock_guard lock(m_state->shared->mutex);
        finished = m_state->shared->finished;
    }
    // A read blocked on a console cannot be ended portably; the thread owns its share of the
    // state, and the process's end takes the thread with it.
    if (finished)
        m_state->reader.join();
    else
        m_state->reader.detach();
}

ConsoleInput::Result ConsoleInput::Read(std::string& chunk, std::optional<Clock::time_point> deadline)
{
    if (!m_state->started) {
        m_state->started = true;
        m_state->reader = std::thread(ReadAll, m_state->shared);
    }
    Shared& shared = *m_state->shared;
    std::unique_lock lock(shared.mutex);
    m_state->WaitFor(lock, deadline, [&] { return shared.interrupted || shared.ended || !shared.pending.empty(); });
    if (shared.interrupted)
        return Result::Interrupted;
    if (!shared.pending.empty()) {
        chunk += shared.pending;
        shared.pending.clear();
        return Result::Data;
    }
    if (shared.ended)
        return Result::End;
    return Result::TimedOut;
}

bool ConsoleInput::WaitUntil(Clock::time_point deadline)
{
    Shared& shared = *m_state->shared;
    std::unique_lock lock(shared.mutex);
    m_state->WaitFor(lock, deadline, [&] { return shared.interrupted; });
    return !shared.interrupted;
}

void UseBinaryStandardInput()
{
    _setmode(_fileno(stdin), _O_BINARY);
}
