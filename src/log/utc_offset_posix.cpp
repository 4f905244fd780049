#include "log/utc_offset.h"

long UtcOffsetSeconds(std::time_t seconds)
{
    std::tm local {};
    localtime_r(&seconds, &local);
    return local.tm_gmtoff;
}
