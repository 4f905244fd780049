#include "frame_row_printer.h"

#include "console_output.h"

#include "log/log_row.h"

void FrameRowPrinter::OnFrame(const CountedBytes& frame, const CountedBytes* payload, bool checksumError)
{
    std::string& buffer = m_out.Buffer();
    AppendPacketColumns(buffer, frame, payload, checksumError);
    buffer += '\n';
    m_out.EndRow();
}
