// Reading lines on Windows: a console, a pipe or a file cannot be waited on together with the
// wake pipe, so a thread reads the input and hands each block over under the pipe's lock.

#include "input_lines.h"
#include "stop_pipe_win32.h"

#include <thread>

#include <io.h>
#include <windows.h>

namespace {

constexpr DWORD kBlock = 4096;

// Shared with the reading thread, which may still be blocked in a read when the lines go; the
// process's end takes it with it.
struct ReadState {
    std::shared_ptr<StopSignal> signal; // its mutex guards the fields below
    std::string data;
    bool ended = false;
};

void ReadAll(HANDLE input, const std::shared_ptr<ReadState>& state)
{
    std::string buffer(kBlock, '\0');
    for (;;) {
        DWORD got = 0;
        // A pipe whose writer has gone answers ERROR_BROKEN_PIPE: the end, as any failure is.
        const bool read = ReadFile(input, buffer.data(), kBlock, &got, nullptr) && got > 0;
        {
            std::lock_guard lock(state->signal->mutex);
            if (read)
                state->data.append(buffer, 0, got);
            else
                state->ended = true;
        }
        state->signal->changed.notify_all();
        if (!read)
            return;
    }
}

} // namespace

struct InputLines::Reader {
    std::shared_ptr<ReadState> state;
};

InputLines::InputLines(int fd, const StopPipe& wake, std::size_t maxLine)
    : m_fd(fd), m_wake(wake), m_maxLine(maxLine), m_reader(std::make_unique<Reader>())
{
}

InputLines::~InputLines() = default;

InputLines::Fill InputLines::FillBlock()
{
    m_block.clear();
    const std::shared_ptr<StopSignal>& signal = m_wake.GetNative().signal;
    if (!m_reader->state) {
        const HANDLE input = reinterpret_cast<HANDLE>(_get_osfhandle(m_fd));
        if (input == INVALID_HANDLE_VALUE || input == nullptr)
            return Fill::End;
        m_reader->state = std::make_shared<ReadState>();
        m_reader->state->signal = signal;
        std::thread(ReadAll, input, m_reader->state).detach();
    }
    ReadState& state = *m_reader->state;
    std::unique_lock lock(signal->mutex);
    signal->changed.wait(lock, [&] { return !signal->notes.empty() || !state.data.empty() || state.ended; });
    if (!signal->notes.empty())
        return Fill::Woken;
    if (!state.data.empty()) {
        m_block.swap(state.data);
        return Fill::Data;
    }
    return Fill::End;
}
