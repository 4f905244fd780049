#include "log/sent_row.h"

#include "catalogue/describer.h"
#include "log/printable_text.h"

#include <string>

SessionRow MakeSentRow(std::chrono::system_clock::time_point when, const CountedBytes& packet,
                       const CountedBytes& payload)
{
    return SentRow(when, FormatBytes(packet), FormatBytes(payload), DeviceText(DescribeCommand(payload)));
}

SessionRow MakeTransmitFailureRow(std::chrono::system_clock::time_point when, const CountedBytes& packet,
                                  const CountedBytes& payload, std::size_t bytesSent)
{
    return SentRow(when, FormatBytes(packet), kTransmitErrorText,
                   DeviceText(DescribeCommand(payload)) + " (" + std::to_string(bytesSent) + " of "
                       + std::to_string(packet.Count()) + " bytes sent)");
}
