#include "port_error.h"

#include <cstring>

std::string SystemErrorText(long systemCode)
{
    return std::strerror(static_cast<int>(systemCode));
}
