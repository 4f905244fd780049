#include "log/session_row.h"

#include "log/printable_text.h"
#include "log/utc_offset.h"

#include <array>
#include <charconv>
#include <ctime>

namespace {

using namespace std::chrono;

constexpr std::array<std::string_view, 5> kDirectionNames{"received", "sent", "port", "controller", "device"};
constexpr std::int64_t kMsPerMinute = 60'000;

void AppendNumber(std::string& out, long long value, int width)
{
    char digits[24];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value < 0 ? -value : value);
    for (int pad = width - static_cast<int>(end - digits); pad > 0; --pad)
        out += '0';
    out.append(digits, end);
}

// Reads exactly `width` digits at `pos`.
std::optional<int> Digits(std::string_view text, std::size_t pos, std::size_t width)
{
    if (pos + width > text.size())
        return std::nullopt;
    int value = 0;
    for (std::size_t i = pos; i < pos + width; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// The local time is costly to find at flood rates and only its offset is wanted: the offset of
// the last second asked for is kept, per thread.
int LocalOffsetMinutes(std::time_t seconds)
{
    thread_local std::time_t cachedSecond = -1;
    thread_local int cachedOffset = 0;
    if (seconds != cachedSecond) {
        cachedOffset = static_cast<int>(UtcOffsetSeconds(seconds) / 60);
        cachedSecond = seconds;
    }
    return cachedOffset;
}

} // namespace

std::string_view DirectionName(RowDirection direction)
{
    return kDirectionNames[static_cast<std::size_t>(direction)];
}

bool IsWatchedSide(RowDirection direction)
{
    return direction == RowDirection::Controller || direction == RowDirection::Device;
}

std::optional<RowDirection> ParseDirection(std::string_view name)
{
    for (std::size_t i = 0; i < kDirectionNames.size(); ++i) {
        if (kDirectionNames[i] == name)
            return static_cast<RowDirection>(i);
    }
    return std::nullopt;
}

RowTime RowTime::Local(system_clock::time_point when)
{
    const std::int64_t ms = duration_cast<milliseconds>(when.time_since_epoch()).count();
    const std::int64_t seconds = ms >= 0 ? ms / 1000 : (ms - 999) / 1000;
    return {ms, LocalOffsetMinutes(static_cast<std::time_t>(seconds))};
}

namespace {
sys_time<milliseconds> LocalTime(RowTime time)
{
    return sys_time<milliseconds>{milliseconds{time.utcMs + time.offsetMinutes * kMsPerMinute}};
}

// "HH:MM:SS", then ".mmm" with milliseconds.
void AppendClock(std::string& out, const hh_mm_ss<milliseconds>& clock, bool withMilliseconds)
{
    AppendNumber(out, clock.hours().count(), 2);
    out += ':';
    AppendNumber(out, clock.minutes().count(), 2);
    out += ':';
    AppendNumber(out, clock.seconds().count(), 2);
    if (withMilliseconds) {
        out += '.';
        AppendNumber(out, clock.subseconds().count(), 3);
    }
}
} // namespace

std::string FormatIsoTime(RowTime time)
{
    const sys_time<milliseconds> local = LocalTime(time);
    const auto day = floor<days>(local);
    const year_month_day date{day};
    const hh_mm_ss clock{local - day};
    std::string out;
    out.reserve(29);
    AppendNumber(out, static_cast<int>(date.year()), 4);
    out += '-';
    AppendNumber(out, static_cast<unsigned>(date.month()), 2);
    out += '-';
    AppendNumber(out, static_cast<unsigned>(date.day()), 2);
    out += 'T';
    AppendClock(out, clock, true);
    out += time.offsetMinutes < 0 ? '-' : '+';
    const int offset = time.offsetMinutes < 0 ? -time.offsetMinutes : time.offsetMinutes;
    AppendNumber(out, offset / 60, 2);
    out += ':';
    AppendNumber(out, offset % 60, 2);
    return out;
}

std::optional<RowTime> ParseIsoTime(std::string_view text)
{
    // YYYY-MM-DDTHH:MM:SS.mmm+HH:MM, nothing more or less.
    if (text.size() != 29 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':'
        || text[16] != ':' || text[19] != '.' || (text[23] != '+' && text[23] != '-') || text[26] != ':')
        return std::nullopt;
    const auto y = Digits(text, 0, 4), mo = Digits(text, 5, 2), d = Digits(text, 8, 2);
    const auto h = Digits(text, 11, 2), mi = Digits(text, 14, 2), s = Digits(text, 17, 2);
    const auto ms = Digits(text, 20, 3), oh = Digits(text, 24, 2), om = Digits(text, 27, 2);
    if (!y || !mo || !d || !h || !mi || !s || !ms || !oh || !om)
        return std::nullopt;
    const year_month_day date{year{*y}, month{static_cast<unsigned>(*mo)}, day{static_cast<unsigned>(*d)}};
    // A leap second (:60) is not something this clock writes.
    if (!date.ok() || *h > 23 || *mi > 59 || *s > 59 || *oh > 23 || *om > 59)
        return std::nullopt;
    const int offset = (text[23] == '-' ? -1 : 1) * (*oh * 60 + *om);
    const auto local = sys_days{date} + hours{*h} + minutes{*mi} + seconds{*s} + milliseconds{*ms};
    return RowTime{local.time_since_epoch().count() - offset * kMsPerMinute, offset};
}

std::string FormatClockTime(RowTime time, bool milliseconds)
{
    // The clock part of the ISO text alone: no date worked out, and at 12 characters the text
    // stays within the string's own room (the log makes one for every row it shows).
    const auto local = LocalTime(time);
    std::string out;
    AppendClock(out, hh_mm_ss{local - floor<days>(local)}, milliseconds);
    return out;
}

SessionRow ReceivedRow(system_clock::time_point when, LogRow row)
{
    return {RowTime::Local(when), RowDirection::Received, std::move(row.encoded), std::move(row.data),
            std::move(row.description)};
}

SessionRow SentRow(system_clock::time_point when, std::string packet, std::string payload, std::string description)
{
    return {RowTime::Local(when), RowDirection::Sent, std::move(packet), std::move(payload), std::move(description)};
}

SessionRow PortRow(system_clock::time_point when, PortEventKind event, std::string_view port, std::string reason)
{
    static constexpr std::array<std::string_view, 5> kEvents{"Port opened: ", "Could not open port: ",
                                                              "Device gone: ", "Port re-opened: ", "Port closed: "};
    std::string encoded(kEvents[static_cast<std::size_t>(event)]);
    encoded += PrintableText(port);
    return {RowTime::Local(when), RowDirection::Port, std::move(encoded), PrintableText(reason), {}};
}
