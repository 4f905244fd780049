#include "catalogue/model_argument.h"

#include "catalogue/catalogue_lookup.h"
#include "catalogue/catalogue_tables.h"

#include "catalogue/variable_argument.h"

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
