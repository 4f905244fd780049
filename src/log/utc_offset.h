#pragma once

#include <ctime>

// How far local time is ahead of UTC at `seconds`, daylight saving included; one file per platform.
long UtcOffsetSeconds(std::time_t seconds);
