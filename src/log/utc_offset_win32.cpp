// Windows' struct tm has no offset field: the local fields read back as if they were UTC differ
// from the instant by the offset.

#include "log/utc_offset.h"

long UtcOffsetSeconds(std::time_t seconds)
{
    std::tm local {};
    if (localtime_s(&local, &seconds) != 0)
        return 0;
    const std::time_t asUtc = _mkgmtime(&local);
    return asUtc == -1 ? 0 : static_cast<long>(asUtc - seconds);
}
