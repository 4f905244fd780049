#pragma once

#include <ctime>

// The processor time the whole test process has used, for telling a quiet wait from a busy one.
inline double ProcessCpuMilliseconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}
