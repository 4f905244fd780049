#include "catalogue/variable_argument.h"

#include "catalogue/catalogue_lookup.h"
#include "catalogue/catalogue_tables.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <vector>

bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

VariableArgument FindVariableArgument(std::string_view text, int modelRow)
{
    const std::string model = ModelName(modelRow);
    unsigned number = 0;
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (failure == std::errc{} && end == text.data() + text.size() && !text.empty()) {
        const std::size_t row = number <= 0xFF ? FindVariable(static_cast<std::uint8_t>(number)) : kVariableNotFound;
        if (row == kVariableNotFound || g_VariableTable[row].id != number)
            return {0, "no variable number " + std::string(text) + " in the catalogue"};
        if (!BitTest(modelRow, VariableModelMask(row)))
            return {0, model + " has no variable number " + std::string(text)};
        return {row, {}};
    }

    std::vector<std::size_t> matches;
    for (std::size_t row = 0; row < kVariableCount; ++row)
        if (BitTest(modelRow, VariableModelMask(row)) && SameIgnoringCase(text, g_VariableTable[row].name))
            matches.push_back(row);
    if (matches.empty())
        return {0, model + " has no variable named \"" + std::string(text) + "\""};
    if (matches.size() > 1) {
        std::string numbers;
        for (const std::size_t row : matches)
            numbers += (numbers.empty() ? "" : " and ") + std::to_string(g_VariableTable[row].id);
        return {0, "\"" + std::string(text) + "\" names two variables of " + model + ": " + numbers
                       + "; give the number"};
    }
    return {matches.front(), {}};
}
