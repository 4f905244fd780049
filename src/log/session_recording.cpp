#include "log/session_recording.h"

#include "log/session_writer.h"

void SessionRecording::Record(SessionRow row) const
{
    // A writer that is not open (recording off, or the file could not be made) drops the row.
    if (m_writer)
        m_writer->Append(row);
    if (m_onward)
        m_onward(std::move(row));
}
