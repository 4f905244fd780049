#include "c_locale_strtod.h"

#include <cctype>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>

// The C library of each platform names its locale objects differently; this is the only place
// the catalogue and the scripts see the difference.
#ifdef _WIN32

namespace {

// Where the word ends in text when text starts with it in any case; null otherwise.
const char* AfterWord(const char* text, const char* word)
{
    for (; *word; ++text, ++word)
        if (std::tolower(static_cast<unsigned char>(*text)) != *word)
            return nullptr;
    return text;
}

double Ended(double value, const char* at, char** end)
{
    if (end)
        *end = const_cast<char*>(at);
    return value;
}

} // namespace

// The system's _strtod_l keeps the C locale's decimal point but knows no "inf" or "nan" and would
// read them as zero, a valid value; they are read here as C99 reads them, so that every build
// refuses the same input. (MinGW's own C99 strtod follows the process locale's decimal point.)
double StrtodInCLocale(const char* text, char** end)
{
    const char* word = text;
    while (std::isspace(static_cast<unsigned char>(*word)))
        ++word;
    const bool negative = *word == '-';
    if (*word == '-' || *word == '+')
        ++word;
    if (const char* after = AfterWord(word, "inf")) {
        const char* longer = AfterWord(after, "inity");
        return Ended(negative ? -HUGE_VAL : HUGE_VAL, longer ? longer : after, end);
    }
    if (const char* after = AfterWord(word, "nan")) {
        // "nan(chars)" takes its parenthesis along when it is closed.
        if (*after == '(') {
            const char* close = after + 1;
            while (std::isalnum(static_cast<unsigned char>(*close)) || *close == '_')
                ++close;
            if (*close == ')')
                after = close + 1;
        }
        return Ended(std::nan(""), after, end);
    }
    static const _locale_t cLocale = _create_locale(LC_ALL, "C");
    if (cLocale == nullptr)
        return std::strtod(text, end);
    return _strtod_l(text, end, cLocale);
}

#else

double StrtodInCLocale(const char* text, char** end)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    if (cLocale == static_cast<locale_t>(nullptr))
        return std::strtod(text, end);
    return strtod_l(text, end, cLocale);
}

#endif
