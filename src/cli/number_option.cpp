#include "number_option.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>

std::string PlainFigure(double value)
{
    char text[400]; // room for any double in fixed notation
    const auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    return ec == std::errc{} ? std::string(text, end) : std::to_string(value);
}

double ReadNumber(const std::string& option, const std::string& text, NumberRange range)
{
    const std::string outOfRange = "must be " + std::string(range.whole ? "a whole number " : "")
        + "between " + PlainFigure(range.min) + " and " + PlainFigure(range.max);
    // strtod would skip leading blanks and read nan, inf and hex floats; a number starts with a
    // digit, a sign or a point, and is all number.
    const bool plain = !text.empty() && text.find_first_not_of("0123456789+-.eE") == std::string::npos;
    if (!plain)
        throw CLI::ValidationError(option, "\"" + text + "\" is not a number");
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || end == text.c_str())
        throw CLI::ValidationError(option, "\"" + text + "\" is not a number");
    // A value too large for a double (1e999) reads as infinity; it is out of range all the same.
    if (!std::isfinite(value) || value < range.min || value > range.max)
        throw CLI::ValidationError(option, outOfRange + ", not " + text);
    if (range.whole && value != std::floor(value))
        throw CLI::ValidationError(option, outOfRange + ", not " + text);
    return value;
}
