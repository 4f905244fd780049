#include "log/session_recording.h"

#include "log/session_writer.h"

void SessionRecording::Emit(SessionRow row) const
{
    // A writer that is not open (recording off, or the file could not be made) drops the row.
    if (m_writer)
        m_writer->Append(row);
    if (m_onward)
        m_onward(std::move(row));
}

void SessionRecording::Record(SessionRow row)
{
    std::lock_guard lock(m_mutex);
    if (m_sending && m_held.size() < kMostHeld) {
        m_held.push_back(std::move(row));
        return;
    }
    Emit(std::move(row));
}

void SessionRecording::BeginSend()
{
    std::lock_guard lock(m_mutex);
    m_sending = true;
}

void SessionRecording::EndSend(SessionRow commandRow)
{
    std::lock_guard lock(m_mutex);
    m_sending = false;
    Emit(std::move(commandRow));
    for (SessionRow& row : m_held)
        Emit(std::move(row));
    m_held.clear();
}
