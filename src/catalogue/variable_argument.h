#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// A variable named on a command line or in a test script: by its number, or by its name in any
// case. Only the variables the model has count, so a name is ambiguous only where one model has
// two variables of that name (Elmora's two "Brightness").
struct VariableArgument {
    std::size_t row = 0; // row of g_VariableTable when error is empty
    std::string error;   // why the text names no single variable of the model
};

VariableArgument FindVariableArgument(std::string_view text, int modelRow);

// Whether two texts are the same but for the case of ASCII letters.
bool SameIgnoringCase(std::string_view a, std::string_view b);
