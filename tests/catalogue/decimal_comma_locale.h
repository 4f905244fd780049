#pragma once

#include <clocale>
#include <string>

// For its lifetime, switches the C library's number formatting to a locale that writes a decimal
// comma, as a GUI toolkit does for a German or French user, when such a locale is installed.
class DecimalCommaLocale {
public:
    DecimalCommaLocale() : m_previous(std::setlocale(LC_NUMERIC, nullptr))
    {
        m_active = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr
            || std::setlocale(LC_NUMERIC, "fr_FR.UTF-8") != nullptr
            || std::setlocale(LC_NUMERIC, "German_Germany.1252") != nullptr; // Windows' name
    }
    ~DecimalCommaLocale() { std::setlocale(LC_NUMERIC, m_previous.c_str()); }
    DecimalCommaLocale(const DecimalCommaLocale&) = delete;
    DecimalCommaLocale& operator=(const DecimalCommaLocale&) = delete;

    bool Active() const { return m_active; }

private:
    std::string m_previous;
    bool m_active = false;
};
