#include "line_errors.h"

const char* LineErrorText(std::uint32_t flags)
{
    if (flags & CE_FRAME)
        return "RS232 Framing Error!!!";
    if (flags & CE_IOE)
        return "I/O Error!!!";
    if (flags != 0)
        return "Unknown RS232 Error!!!";
    return "Unknown Error!!!";
}
