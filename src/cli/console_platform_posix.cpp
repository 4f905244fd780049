#include "console_platform.h"

#include <csignal>

#include <fcntl.h>

void PrepareStandardStreams()
{
    // The signal would end the run before a monitored port got its line settings back.
    std::signal(SIGPIPE, SIG_IGN);
}

int OpenForReading(const char* path)
{
    return open(path, O_RDONLY | O_CLOEXEC);
}
