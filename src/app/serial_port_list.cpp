#include "app/serial_port_list.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace {

bool IsDigit(char c)
{
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// The digit run starting at `at`, without leading zeros; `at` moves past it.
std::string_view TakeNumber(std::string_view s, std::size_t& at)
{
    const std::size_t begin = at;
    while (at < s.size() && IsDigit(s[at]))
        ++at;
    std::string_view digits = s.substr(begin, at - begin);
    while (digits.size() > 1 && digits.front() == '0')
        digits.remove_prefix(1);
    return digits;
}

// Orders ttyUSB2 before ttyUSB10.
bool NaturalLess(std::string_view a, std::string_view b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            const std::string_view na = TakeNumber(a, i);
            const std::string_view nb = TakeNumber(b, j);
            if (na.size() != nb.size())
                return na.size() < nb.size();
            if (na != nb)
                return na < nb;
        } else {
            if (a[i] != b[j])
                return a[i] < b[j];
            ++i;
            ++j;
        }
    }
    return a.size() - i < b.size() - j;
}

} // namespace

std::vector<std::string> NaturallySorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end(), NaturalLess);
    return names;
}
