#include "frame_row_printer.h"

#include "console_output.h"

#include "catalogue/catalogue_tables.h"
#include "log/log_row.h"

namespace {

// Radio text builds up over the rows, so the same frame may read differently each time.
bool RowFollowsFromFrame(const CountedBytes* payload, bool checksumError)
{
    return payload != nullptr && !checksumError && !(payload->Count() >= 1 && (*payload)[0] == MessageType::kRdsRt);
}

} // namespace

void FrameRowPrinter::OnFrame(const CountedBytes& frame, const CountedBytes* payload, bool checksumError)
{
    std::string& buffer = m_out.Buffer();
    const bool repeatable = RowFollowsFromFrame(payload, checksumError);
    const std::string_view bytes(reinterpret_cast<const char*>(frame.Bytes().data()), frame.Count());
    if (const std::string* row = repeatable ? m_repeated.Find(bytes) : nullptr) {
        buffer += *row;
    } else {
        const std::size_t start = buffer.size();
        AppendPacketColumns(buffer, frame, payload, checksumError, m_radioText);
        buffer += '\n';
        if (repeatable)
            m_repeated.Remember(bytes, std::string_view(buffer).substr(start));
    }
    m_out.EndRow();
}
