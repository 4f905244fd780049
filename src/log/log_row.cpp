#include "log_row.h"
#include "printable_text.h"

#include "catalogue/catalogue_tables.h"
#include "catalogue/describer.h"
#include "serial/line_errors.h"

#include <algorithm>
#include <ctime>

std::string FormatLogTime(std::chrono::system_clock::time_point when)
{
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm local {};
    localtime_r(&seconds, &local);
    char text[16];
    const std::size_t n = std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return std::string(text, n);
}

namespace {

const char* FrameVerdict(bool checksumError)
{
    return checksumError ? "Checksum Error!" : "Invalid Packet!";
}

} // namespace

namespace {

template <class Describe>
LogRow FrameRow(std::chrono::system_clock::time_point when, const CountedBytes& frame, const CountedBytes* payload,
                bool checksumError, Describe describe)
{
    LogRow row{FormatLogTime(when), FormatBytes(frame), {}, {}};
    if (payload && !checksumError) {
        row.data = FormatBytes(*payload);
        row.description = DeviceText(describe(*payload));
    } else {
        row.data = FrameVerdict(checksumError);
    }
    return row;
}

} // namespace

LogRow MakePacketRow(std::chrono::system_clock::time_point when, const CountedBytes& frame,
                     const CountedBytes* payload, bool checksumError, CRadioText& radioText)
{
    return FrameRow(when, frame, payload, checksumError,
                    [&radioText](const CountedBytes& message) { return DescribeResponse(message, radioText); });
}

LogRow MakeCommandRow(std::chrono::system_clock::time_point when, const CountedBytes& frame,
                      const CountedBytes* payload, bool checksumError)
{
    return FrameRow(when, frame, payload, checksumError, DescribeCommand);
}

void AppendPacketColumns(std::string& out, const CountedBytes& frame, const CountedBytes* payload,
                         bool checksumError, CRadioText& radioText)
{
    AppendBytesText(out, frame.Bytes());
    out += '\t';
    if (payload && !checksumError) {
        AppendBytesText(out, payload->Bytes());
        out += '\t';
        AppendDeviceText(out, DescribeResponse(*payload, radioText));
    } else {
        out += FrameVerdict(checksumError);
        out += '\t';
    }
}

LogRow MakeLineErrorRow(std::chrono::system_clock::time_point when, std::uint32_t flags)
{
    return {FormatLogTime(when), LineErrorText(flags), {}, {}};
}

std::optional<std::string> ReportedDeviceName(const CountedBytes& payload)
{
    if (payload.Count() < 3 || payload[0] != MessageType::kValue || payload[1] != kDeviceIdVariable)
        return std::nullopt;
    // The name is a C text: a device may pad it with zero bytes, which are not part of it.
    const auto value = payload.Bytes().subspan(2);
    return std::string(value.begin(), std::find(value.begin(), value.end(), std::uint8_t{0}));
}
