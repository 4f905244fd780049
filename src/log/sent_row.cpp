#include "log/sent_row.h"

#include "catalogue/describer.h"
#include "log/printable_text.h"

SessionRow MakeSentRow(std::chrono::system_clock::time_point when, const CountedBytes& packet,
                       const CountedBytes& payload, bool written)
{
    return SentRow(when, FormatBytes(packet), written ? FormatBytes(payload) : "RS232 Transmit Error",
                   DeviceText(DescribeCommand(payload)));
}
