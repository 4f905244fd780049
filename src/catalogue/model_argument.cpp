#include "catalogue/model_argument.h"

#include "catalogue/catalogue_lookup.h"
#include "catalogue/catalogue_tables.h"

#include <algorithm>
#include <cctype>

namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

int FindModelArgument(std::string_view name)
{
    for (int row = 0; row < static_cast<int>(kModelCount); ++row)
        if (name == ModelName(row))
            return row;
    for (int row = 0; row < static_cast<int>(kModelCount); ++row)
        if (SameIgnoringCase(name, ModelName(row)))
            return row;
    return -1;
}

std::string UnknownModelText(std::string_view name)
{
    std::string text = "no model named \"" + std::string(name) + "\"; the models are:";
    for (int row = 0; row < static_cast<int>(kModelCount); ++row)
        text += std::string(row == 0 ? " " : ", ") + ModelName(row);
    return text;
}
