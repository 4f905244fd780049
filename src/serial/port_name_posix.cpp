#include "port_name.h"

#include <cctype>
#include <charconv>

namespace {

bool StartsWithCom(std::string_view name)
{
    return name.size() > 3 && std::toupper(static_cast<unsigned char>(name[0])) == 'C'
        && std::toupper(static_cast<unsigned char>(name[1])) == 'O'
        && std::toupper(static_cast<unsigned char>(name[2])) == 'M';
}

} // namespace

std::string DevicePathForPort(std::string_view name)
{
    if (!name.empty() && name.front() == '/')
        return std::string(name);
    if (StartsWithCom(name)) {
        const std::string_view digits = name.substr(3);
        unsigned number = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
        // COM0 has no counterpart; it and names like "COM1x" stay names in /dev.
        if (ec == std::errc{} && end == digits.data() + digits.size() && number >= 1)
            return "/dev/ttyS" + std::to_string(number - 1);
    }
    return "/dev/" + std::string(name);
}
