#include "c_locale_strtod.h"

#include <cctype>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>

// The C library of each platform names its locale objects differently; this is the only place
// the catalogue sees the difference.
#ifdef _WIN32

namespace {

bool StartsWithWord(const char* text, const char* word)
{
    for (; *word; ++text, ++word)
        if (std::tolower(static_cast<unsigned char>(*text)) != *word)
            return false;
    return true;
}

} // namespace

// The system's _strtod_l keeps the C locale's decimal point but knows no "inf" or "nan" and would
// read them as zero, a valid value; they are read here as C99 reads them, so that every build
// refuses the same input. (MinGW's own C99 strtod follows the process locale's decimal point.)
double StrtodInCLocale(const char* text)
{
    const char* word = text;
    while (std::isspace(static_cast<unsigned char>(*word)))
        ++word;
    const bool negative = *word == '-';
    if (*word == '-' || *word == '+')
        ++word;
    if (StartsWithWord(word, "inf"))
        return negative ? -HUGE_VAL : HUGE_VAL;
    if (StartsWithWord(word, "nan"))
        return std::nan("");
    static const _locale_t cLocale = _create_locale(LC_ALL, "C");
    if (cLocale == nullptr)
        return std::strtod(text, nullptr);
    return _strtod_l(text, nullptr, cLocale);
}

#else

double StrtodInCLocale(const char* text)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    if (cLocale == static_cast<locale_t>(nullptr))
        return std::strtod(text, nullptr);
    return strtod_l(text, nullptr, cLocale);
}

#endif
